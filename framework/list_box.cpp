#include "framework/list_box.h"

namespace framework {

std::string ListBox::GetText(int index) const {
    LRESULT length = ::SendMessageA(hwnd_, LB_GETTEXTLEN, WPARAM(index), 0);
    if (length < 0) {
        return {};
    }
    std::string text(static_cast<size_t>(length) + 1, '\0');
    LRESULT got =
        ::SendMessageA(hwnd_, LB_GETTEXT, WPARAM(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(got < 0 ? 0 : static_cast<size_t>(got));
    return text;
}

}  // namespace framework
