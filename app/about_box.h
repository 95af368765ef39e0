// The about box, dialog 100.
#pragma once

#include "app/res/resource.h"
#include "framework/dialog.h"

class CAboutBox : public framework::Dialog {
public:
    CAboutBox() : Dialog(IDD_ABOUTBOX) {}
};
