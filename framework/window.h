// Windows of our own classes: a base that routes messages to virtual handlers, the frame
// (a top-level window whose client area is filled by one view) and the view.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace framework {

// A window's text as Windows holds it, in UTF-16: what the wrappers below narrow to cp932.
std::wstring WindowText(HWND hwnd);

// Holds the HWND of a window it created; the window is destroyed with the object at the
// latest. The window procedure stores `this` at WM_NCCREATE; no exception leaves it. Its class
// is a UTF-16 one and its texts cross converted with cp932 (wide.h), so that they read right
// whatever the system code page.
class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() const { return hwnd_; }

    // Registers a class whose windows are routed to Window objects; an existing
    // registration of the same name counts as success.
    static bool RegisterClass(HINSTANCE instance, const char* className, HICON icon,
                              HBRUSH background);

    // Fills `cs` (defaults plus `className`, `title`, `parent`, `menu`), lets PreCreateWindow
    // adjust it (not its texts), and creates the window. False when creation failed or
    // WM_CREATE refused.
    bool Create(HINSTANCE instance, const char* className, const std::string& title, DWORD style,
                HWND parent, HMENU menu);

    void PostCommand(int id) const;
    // Nothing when the text has a character cp932 cannot carry.
    std::optional<std::string> GetText() const;
    void SetText(const std::string& text) const;

protected:
    virtual bool PreCreateWindow(CREATESTRUCTW& cs);
    virtual LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
    // False refuses creation (WM_CREATE gives -1).
    virtual bool OnCreate(CREATESTRUCTW& cs);
    // True when the command was handled.
    virtual bool OnCommand(int id, int code, HWND control);
    // True when the window painted itself.
    virtual bool OnPaint();
    virtual void OnSize(int width, int height);
    LRESULT Default(UINT msg, WPARAM wp, LPARAM lp) const;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);

    HWND hwnd_ = nullptr;
};

class View;

// A top-level window with one view that always fills its client area. Destroying the
// application's main frame ends the message loop.
class FrameWindow : public Window {
public:
    void SetView(View* view) { view_ = view; }

protected:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnSize(int width, int height) override;

private:
    View* view_ = nullptr;
};

// A child window that fills its frame's client area.
class View : public Window {
public:
    // The id the frame's only pane carries.
    static constexpr int kPaneId = 0xE900;

    bool CreateIn(HINSTANCE instance, const char* className, FrameWindow& frame);
    HWND ParentFrame() const { return ::GetParent(Handle()); }
};

}  // namespace framework
