// The one view: it fills the main frame, holds the manifest read at its creation and the
// folder the user chose, paints the update's picture and talks to the user for the update run. The wizard's
// page commands (101 to 103, posted to itself) reach OnCommand like any other command.
#pragma once

#include <memory>
#include <string>

#include "engine/message_seam.h"
#include "engine/update_context.h"
#include "framework/window.h"
#include "wizard/progress_window.h"

class CRenovoView : public framework::View, public engine::MessageSeam {
public:
    static constexpr char kClassName[] = "CRenovoView";
    static bool Register(HINSTANCE instance);
    bool CreateIn(HINSTANCE instance, framework::FrameWindow& frame) {
        return View::CreateIn(instance, kClassName, frame);
    }

    const engine::UpdateContext& Manifest() const { return manifest_; }

    int ShowMessage(const std::string& text, const std::string& caption,
                    engine::Buttons buttons) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    void ShowEntry(int number, int count, int disk, const std::string& name) override;
    void ShowFile(const std::string& name, uint64_t done, uint64_t total) override;
    void ShowConversion(const std::string& file) override;
    void EndProgress() override;

protected:
    // Reads the manifest (a missing one leaves it fresh) and queues the start page.
    bool OnCreate(CREATESTRUCTW& cs) override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnPaint() override;

private:
    // Each page is built afresh for one visit and sees copies of the manifest's fields; the
    // next step is posted, so this handler and its page are gone before the next page opens.
    void OnStartPage();
    void OnDestinationPage();
    void OnConfirmPage();
    bool RunUpdate();
    void CloseFrame() const;
    void PaintContent(HDC dc, const RECT& client) const;

    engine::UpdateContext manifest_;  // read once, then only read: each run plans for itself
    std::string chosenFolder_;        // the manifest's default until the user confirms one
    // From the confirmation page until the run ends.
    std::unique_ptr<wizard::CProgressWindow> progress_;
    bool running_ = false;  // an update run is under way
};
