// The last page: the folder the update will work on; "更新" goes ahead, "戻る" and Escape go
// back to the destination page.
#pragma once

#include <string>

#include "framework/dialog.h"

class CConfirmPage : public framework::Dialog {
public:
    CConfirmPage();

    std::string destFolder;
    std::string bitmap;  // relative to the program folder

protected:
    bool OnInitDialog() override;
    bool OnPaint() override;
};
