// The main frame: a bare maximised window (caption only) whose view runs the wizard. Its
// caption becomes the manifest's first line once the queued command 104 arrives.
#pragma once

#include <functional>
#include <string>

#include "framework/handles.h"
#include "framework/window.h"
#include "wizard/view.h"

class CMainFrame : public framework::FrameWindow {
public:
    // Receives the commands the frame does not handle itself (the application's).
    using CommandTarget = std::function<bool(int id)>;

    // Creates the frame with menu 128 and the window title of document string 128.
    bool LoadFrame(HINSTANCE instance, CommandTarget target);
    CRenovoView& View() { return view_; }

    // The first line of the program folder's manifest, or "" when it has none.
    static std::string ReadTitle();

protected:
    bool PreCreateWindow(CREATESTRUCTW& cs) override;
    bool OnCreate(CREATESTRUCTW& cs) override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    void Maximise() const;
    void OnLoadTitle() const;

    HINSTANCE instance_ = nullptr;
    CommandTarget target_;
    framework::Menu menu_;
    CRenovoView view_;
};
