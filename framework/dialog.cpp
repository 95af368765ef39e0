#include "framework/dialog.h"

#include "framework/application.h"

namespace framework {

INT_PTR Dialog::DoModal() {
    Application* app = Application::Current();
    HINSTANCE instance = app ? app->Instance() : ::GetModuleHandleA(nullptr);
    HWND owner = parent_ ? parent_ : (app ? app->MainWindow() : nullptr);
    INT_PTR result = ::DialogBoxParamA(instance, MAKEINTRESOURCEA(templateId_), owner,
                                       &Dialog::Proc, reinterpret_cast<LPARAM>(this));
    hwnd_ = nullptr;
    return result;
}

std::string Dialog::GetItemText(int id) const {
    HWND item = Item(id);
    std::string text(static_cast<size_t>(::GetWindowTextLengthA(item)) + 1, '\0');
    text.resize(static_cast<size_t>(::GetWindowTextA(item, text.data(), int(text.size()))));
    return text;
}

void Dialog::SetItemText(int id, const std::string& text) const {
    ::SetDlgItemTextA(hwnd_, id, text.c_str());
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
        ::SetWindowLongPtrA(hwnd, DWLP_USER, lp);
    }
    auto* self = reinterpret_cast<Dialog*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
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
