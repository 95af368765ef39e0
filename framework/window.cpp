#include "framework/window.h"

#include <utility>

#include "framework/application.h"

namespace framework {

Window::~Window() {
    if (hwnd_) {
        // Detach first: the object is partly destroyed, so no handler may run any more.
        ::SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(std::exchange(hwnd_, nullptr));
    }
}

bool Window::RegisterClass(HINSTANCE instance, const char* className, HICON icon,
                           HBRUSH background) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = &Window::Proc;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = background;
    wc.lpszClassName = className;
    return ::RegisterClassExA(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool Window::Create(HINSTANCE instance, const char* className, const std::string& title,
                    DWORD style, HWND parent, HMENU menu) {
    CREATESTRUCTA cs{};
    cs.hInstance = instance;
    cs.lpszClass = className;
    cs.lpszName = title.c_str();
    cs.style = static_cast<LONG>(style);
    cs.x = cs.y = cs.cx = cs.cy = CW_USEDEFAULT;
    cs.hwndParent = parent;
    cs.hMenu = menu;
    if (!PreCreateWindow(cs)) {
        return false;
    }
    HWND hwnd =
        ::CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style),
                          cs.x, cs.y, cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, this);
    return hwnd != nullptr && hwnd == hwnd_;
}

void Window::PostCommand(int id) const {
    ::PostMessageA(hwnd_, WM_COMMAND, static_cast<WPARAM>(id), 0);
}

std::string Window::GetText() const {
    std::string text(static_cast<size_t>(::GetWindowTextLengthA(hwnd_)) + 1, '\0');
    text.resize(static_cast<size_t>(::GetWindowTextA(hwnd_, text.data(), int(text.size()))));
    return text;
}

void Window::SetText(const std::string& text) const {
    ::SetWindowTextA(hwnd_, text.c_str());
}

bool Window::PreCreateWindow(CREATESTRUCTA&) {
    return true;
}
bool Window::OnCreate(CREATESTRUCTA&) {
    return true;
}
bool Window::OnCommand(int, int, HWND) {
    return false;
}
bool Window::OnPaint() {
    return false;
}
void Window::OnSize(int, int) {}

LRESULT Window::Default(UINT msg, WPARAM wp, LPARAM lp) const {
    return ::DefWindowProcA(hwnd_, msg, wp, lp);
}

LRESULT Window::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE:
            return OnCreate(*reinterpret_cast<CREATESTRUCTA*>(lp)) ? 0 : -1;
        case WM_COMMAND:
            if (OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp))) {
                return 0;
            }
            break;
        case WM_PAINT:
            if (OnPaint()) {
                return 0;
            }
            break;
        case WM_SIZE:
            OnSize(LOWORD(lp), HIWORD(lp));
            break;
    }
    return Default(msg, wp, lp);
}

LRESULT Window::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    try {
        return OnMessage(msg, wp, lp);
    } catch (...) {
        // Nothing may unwind through Windows; a failed creation is refused, the rest dropped.
        return msg == WM_CREATE ? -1 : 0;
    }
}

LRESULT CALLBACK Window::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) {
        return ::DefWindowProcA(hwnd, msg, wp, lp);
    }
    LRESULT result = self->Dispatch(msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

LRESULT FrameWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_SETFOCUS:
            if (view_ && view_->Handle()) {
                ::SetFocus(view_->Handle());
                return 0;
            }
            break;
        case WM_DESTROY: {
            Application* app = Application::Current();
            if (app && app->MainWindow() == Handle()) {
                app->SetMainWindow(nullptr);
                ::PostQuitMessage(0);
            }
            break;
        }
    }
    return Window::OnMessage(msg, wp, lp);
}

void FrameWindow::OnSize(int width, int height) {
    if (view_ && view_->Handle()) {
        ::MoveWindow(view_->Handle(), 0, 0, width, height, TRUE);
    }
}

bool View::CreateIn(HINSTANCE instance, const char* className, FrameWindow& frame) {
    frame.SetView(this);
    RECT client{};
    ::GetClientRect(frame.Handle(), &client);
    if (!Create(instance, className, "", WS_CHILD | WS_VISIBLE, frame.Handle(),
                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPaneId)))) {
        frame.SetView(nullptr);
        return false;
    }
    ::MoveWindow(Handle(), 0, 0, client.right, client.bottom, FALSE);
    return true;
}

}  // namespace framework
