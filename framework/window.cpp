#include "framework/window.h"

#include <utility>

#include "framework/application.h"
#include "framework/wide.h"

namespace framework {

std::wstring WindowText(HWND hwnd) {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(hwnd, text.data(), int(text.size()))));
    return text;
}

Window::~Window() {
    if (hwnd_) {
        // Detach first: the object is partly destroyed, so no handler may run any more.
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(std::exchange(hwnd_, nullptr));
    }
}

bool Window::RegisterClass(HINSTANCE instance, const char* className, HICON icon,
                           HBRUSH background) {
    const std::wstring name = Wide(className);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = &Window::Proc;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = background;
    wc.lpszClassName = name.c_str();
    return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool Window::Create(HINSTANCE instance, const char* className, const std::string& title,
                    DWORD style, HWND parent, HMENU menu) {
    const std::wstring wideClass = Wide(className);
    const std::wstring wideTitle = Wide(title);
    CREATESTRUCTW cs{};
    cs.hInstance = instance;
    cs.lpszClass = wideClass.c_str();
    cs.lpszName = wideTitle.c_str();
    cs.style = static_cast<LONG>(style);
    cs.x = cs.y = cs.cx = cs.cy = CW_USEDEFAULT;
    cs.hwndParent = parent;
    cs.hMenu = menu;
    if (!PreCreateWindow(cs)) {
        return false;
    }
    HWND hwnd =
        ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style),
                          cs.x, cs.y, cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, this);
    return hwnd != nullptr && hwnd == hwnd_;
}

void Window::PostCommand(int id) const {
    ::PostMessageW(hwnd_, WM_COMMAND, static_cast<WPARAM>(id), 0);
}

std::optional<std::string> Window::GetText() const {
    return Narrow(WindowText(hwnd_));
}

void Window::SetText(const std::string& text) const {
    ::SetWindowTextW(hwnd_, Wide(text).c_str());
}

bool Window::PreCreateWindow(CREATESTRUCTW&) {
    return true;
}
bool Window::OnCreate(CREATESTRUCTW&) {
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
    return ::DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT Window::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE:
            return OnCreate(*reinterpret_cast<CREATESTRUCTW*>(lp)) ? 0 : -1;
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
        auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) {
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    }
    LRESULT result = self->Dispatch(msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
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
    if (!Create(instance, className, {}, WS_CHILD | WS_VISIBLE, frame.Handle(),
                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPaneId)))) {
        frame.SetView(nullptr);
        return false;
    }
    ::MoveWindow(Handle(), 0, 0, client.right, client.bottom, FALSE);
    return true;
}

}  // namespace framework
