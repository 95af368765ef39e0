// A list box control of a dialog: the window belongs to the dialog, not to this object. Its
// texts cross in UTF-16, converted with cp932 (wide.h).
#pragma once

#include <windows.h>

#include <string>

namespace framework {

class ListBox {
public:
    ListBox() = default;
    explicit ListBox(HWND hwnd) : hwnd_(hwnd) {}
    void Attach(HWND hwnd) { hwnd_ = hwnd; }
    HWND Handle() const { return hwnd_; }

    void ResetContent() const { ::SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0); }
    // The index the (possibly sorted) list gave the string, or a negative LB_ERR code.
    int AddString(const std::string& s) const;
    // -1 when nothing is selected.
    int GetCurSel() const { return static_cast<int>(::SendMessageW(hwnd_, LB_GETCURSEL, 0, 0)); }
    // The entry's text; empty for an index out of range, and for an entry cp932 cannot carry
    // (the lists hold texts of the program's own).
    std::string GetText(int index) const;

private:
    HWND hwnd_ = nullptr;
};

}  // namespace framework
