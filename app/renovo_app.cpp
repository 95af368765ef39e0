#include "app/renovo_app.h"

#include <commctrl.h>

#include "app/about_box.h"
#include "ids/resource.h"

namespace {

// Loads the themed common controls that the side-by-side manifest asks for.
void LoadCommonControls() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
}

}  // namespace

bool CRenovoApp::InitInstance() {
    LoadCommonControls();
    if (!CreateMainFrame()) {
        return false;
    }
    ShowMainFrame();
    return true;
}

bool CRenovoApp::CreateMainFrame() {
    frame_ = std::make_unique<CMainFrame>();
    if (!frame_->LoadFrame(Instance(), [this](int id) { return OnCommand(id); })) {
        return false;
    }
    SetMainWindow(frame_->Handle(),
                  ::LoadAcceleratorsW(Instance(), MAKEINTRESOURCEW(IDR_MAINFRAME)));
    return true;
}

void CRenovoApp::ShowMainFrame() const {
    ::ShowWindow(frame_->Handle(), SW_SHOW);
    ::UpdateWindow(frame_->Handle());
}

bool CRenovoApp::OnCommand(int id) {
    switch (id) {
        case ID_APP_ABOUT:
            ShowAboutBox();
            return true;
    }
    return false;
}

void CRenovoApp::ShowAboutBox() {
    CAboutBox about;
    about.DoModal();
}
