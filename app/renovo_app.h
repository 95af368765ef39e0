// The application object: creates the frame and the view, shows the frame and lets the
// message loop run the wizard (the program folder is set before, for every mode).
#pragma once

#include <memory>

#include "app/main_frame.h"
#include "framework/application.h"

class CRenovoApp : public framework::Application {
public:
    using Application::Application;

    // The application's one command: the about box.
    bool OnCommand(int id);
    void ShowAboutBox();

    CMainFrame* Frame() const { return frame_.get(); }

protected:
    bool InitInstance() override;

private:
    // The document template's work: the frame with its view, the menu and the accelerators.
    bool CreateMainFrame();
    void ShowMainFrame() const;

    std::unique_ptr<CMainFrame> frame_;
};
