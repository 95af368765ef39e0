// The about box, dialog 100.
#pragma once

#include "framework/dialog.h"
#include "ids/resource.h"

class CAboutBox : public framework::Dialog {
public:
    CAboutBox() : Dialog(IDD_ABOUTBOX) {}
};
