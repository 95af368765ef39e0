// The application object: sets the program folder, creates the document, the frame and the
// view, shows the frame and lets the message loop run the wizard.
#pragma once

#include <memory>

#include "app/doc.h"
#include "app/main_frame.h"
#include "framework/application.h"

class CRenovoApp : public framework::Application {
public:
    using Application::Application;

    // The application's commands: the about box and New. Open is not offered, since the
    // document can hold nothing that a file could give it.
    bool OnCommand(int id);
    void ShowAboutBox();

    CMainFrame* Frame() const { return frame_.get(); }

protected:
    bool InitInstance() override;

private:
    // The document template's work: the frame with its view, the menu and the accelerators.
    bool CreateMainFrame();
    void ShowMainFrame() const;

    CRenovoDoc doc_;
    std::unique_ptr<CMainFrame> frame_;
};
