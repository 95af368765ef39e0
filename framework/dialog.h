// A modal dialog built from a resource template. The dialog manager creates and destroys the
// window; the base borrows its HWND from WM_INITDIALOG until DoModal returns (null outside
// that time) and has one dialog procedure that routes to the virtual handlers below; no
// exception leaves it (one that escapes a handler ends the dialog with -1). The dialog is a
// UTF-16 one: its texts cross converted with cp932 (wide.h), whatever the system code page.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace framework {

class Dialog {
public:
    // A null parent makes the application's main window the owner, as for every page.
    explicit Dialog(int templateId, HWND parent = nullptr)
        : templateId_(templateId), parent_(parent) {}
    virtual ~Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog and returns its end code; -1 when it could not be opened.
    INT_PTR DoModal();

    HWND Handle() const { return hwnd_; }
    HWND Item(int id) const { return ::GetDlgItem(hwnd_, id); }
    // Nothing when the text has a character cp932 cannot carry (typed by the user, say).
    std::optional<std::string> GetItemText(int id) const;
    // For messages only: what cp932 cannot carry shows as '?'.
    std::string GetItemTextShown(int id) const;
    void SetItemText(int id, const std::string& text) const;
    void SetCaption(const std::string& text) const;
    void EndDialog(INT_PTR result) const { ::EndDialog(hwnd_, result); }

protected:
    // Return value as for WM_INITDIALOG: true lets the system set the focus.
    virtual bool OnInitDialog() { return true; }
    // True when the command was handled. The base sends IDOK and IDCANCEL to OnOK/OnCancel.
    virtual bool OnCommand(int id, int code, HWND control);
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // True when the dialog painted itself.
    virtual bool OnPaint() { return false; }

private:
    static INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp);

    int templateId_;
    HWND parent_;
    HWND hwnd_ = nullptr;
};

}  // namespace framework
