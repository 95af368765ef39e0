#include "app/renovo_app.h"

#include <commctrl.h>

#include "app/about_box.h"
#include "app/program_folder_setup.h"
#include "app/res/resource.h"
#include "app/texts.h"
#include "engine/program_folder.h"

namespace {

std::string AppTitle(HINSTANCE instance) {
    char buffer[64] = {};
    ::LoadStringA(instance, IDS_APP_TITLE, buffer, sizeof(buffer));
    return buffer;
}

}  // namespace

bool CRenovoApp::InitInstance() {
    // Loads the themed common controls that the side-by-side manifest asks for.
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    // The program keeps no settings of its own there (no recent files: nothing is opened).
    SetRegistryKey(app::kRegistryCompany, AppTitle(Instance()));

    engine::SetProgramFolder(app::ProgramFolderFromPath(app::ModuleFileName()));

    if (!doc_.OnNewDocument()) {
        return false;
    }
    frame_ = std::make_unique<CMainFrame>();
    if (!frame_->LoadFrame(Instance(), [this](int id) { return OnCommand(id); })) {
        return false;
    }
    SetMainWindow(frame_->Handle(),
                  ::LoadAcceleratorsA(Instance(), MAKEINTRESOURCEA(IDR_MAINFRAME)));
    ::ShowWindow(frame_->Handle(), SW_SHOW);
    ::UpdateWindow(frame_->Handle());
    return true;
}

bool CRenovoApp::OnCommand(int id) {
    switch (id) {
        case ID_APP_ABOUT:
            ShowAboutBox();
            return true;
        case ID_FILE_NEW:
            // The document is never modified, so New only starts it afresh.
            doc_.OnNewDocument();
            return true;
    }
    return false;
}

void CRenovoApp::ShowAboutBox() {
    CAboutBox about;
    about.DoModal();
}
