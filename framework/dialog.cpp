#include "framework/dialog.h"

#include "framework/application.h"
#include "framework/wide.h"
#include "framework/window.h"

namespace framework {

INT_PTR Dialog::DoModal() {
    Application* app = Application::Current();
    HINSTANCE instance = app ? app->Instance() : ::GetModuleHandleW(nullptr);
    HWND owner = parent_ ? parent_ : (app ? app->MainWindow() : nullptr);
    INT_PTR result = ::DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId_), owner,
                                       &Dialog::Proc, reinterpret_cast<LPARAM>(this));
    hwnd_ = nullptr;
    return result;
}

std::optional<std::string> Dialog::GetItemText(int id) const {
    return Narrow(WindowText(Item(id)));
}

std::string Dialog::GetItemTextShown(int id) const {
    return NarrowShown(WindowText(Item(id)));
}

void Dialog::SetItemText(int id, const std::string& text) const {
    ::SetDlgItemTextW(hwnd_, id, Wide(text).c_str());
}

void Dialog::SetCaption(const std::string& text) const {
    ::SetWindowTextW(hwnd_, Wide(text).c_str());
}

bool Dialog::OnCommand(int id, int, HWND) {
    switch (id) {
        case IDOK:
            OnOK();
            return true;
        case IDCANCEL:
            OnCancel();
            return true;
    }
    return false;
}

INT_PTR Dialog::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG:
            return OnInitDialog() ? TRUE : FALSE;
        case WM_COMMAND:
            return OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp)) ? TRUE : FALSE;
        case WM_PAINT:
            return OnPaint() ? TRUE : FALSE;
    }
    return FALSE;
}

INT_PTR CALLBACK Dialog::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        auto* self = reinterpret_cast<Dialog*>(lp);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lp);
    }
    auto* self = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self) {
        return FALSE;
    }
    try {
        return self->OnMessage(msg, wp, lp);
    } catch (...) {
        ::EndDialog(hwnd, -1);
        return TRUE;
    }
}

}  // namespace framework
