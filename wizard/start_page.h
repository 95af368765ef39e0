// The first page: the notes of this update; "開始" goes on, "取消" and Escape end the program.
#pragma once

#include <string>

#include "framework/dialog.h"

class CStartPage : public framework::Dialog {
public:
    CStartPage();

    std::string notes;         // CR LF line breaks
    std::string bitmap;        // relative to the program folder
    std::string masterAdjust;  // flag as text: 0 retitles the page

protected:
    bool OnInitDialog() override;
    bool OnPaint() override;
};
