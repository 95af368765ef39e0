#include "framework/list_box.h"

#include "framework/wide.h"

namespace framework {

int ListBox::AddString(const std::string& s) const {
    const std::wstring text = Wide(s);
    return static_cast<int>(
        ::SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

std::string ListBox::GetText(int index) const {
    const LRESULT length = ::SendMessageW(hwnd_, LB_GETTEXTLEN, WPARAM(index), 0);
    if (length < 0) {
        return {};
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got =
        ::SendMessageW(hwnd_, LB_GETTEXT, WPARAM(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(got < 0 ? 0 : static_cast<size_t>(got));
    return Narrow(text).value_or(std::string());
}

}  // namespace framework
