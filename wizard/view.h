// The one view: it fills the main frame, owns the update context for the program's whole
// life, paints the update's picture and talks to the user for the update run. The wizard's
// page commands (101 to 103, posted to itself) reach OnCommand like any other command.
#pragma once

#include <string>

#include "engine/message_seam.h"
#include "engine/update_context.h"
#include "framework/window.h"

class CRenovoView : public framework::View, public engine::MessageSeam {
public:
    static constexpr char kClassName[] = "CRenovoView";
    static bool Register(HINSTANCE instance);
    bool CreateIn(HINSTANCE instance, framework::FrameWindow& frame) {
        return View::CreateIn(instance, kClassName, frame);
    }

    engine::UpdateContext& Context() { return context_; }
    const engine::UpdateContext& Context() const { return context_; }

    int ShowMessage(const std::string& text, const std::string& caption,
                    engine::Buttons buttons) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    void* OwnerWindow() const override { return Handle(); }

protected:
    // Reads the manifest (a missing one leaves the context fresh) and queues the start page.
    bool OnCreate(CREATESTRUCTA& cs) override;
    bool OnPaint() override;

private:
    void PaintContent(HDC dc, const RECT& client) const;

    engine::UpdateContext context_;
};
