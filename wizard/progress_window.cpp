#include "wizard/progress_window.h"

#include <commctrl.h>

#include <cstdio>

#include "engine/texts.h"

namespace wizard {

namespace {

constexpr int kWidth = 420;
// Tall enough that a message centred over it (the disk prompt) leaves the entry and the disk
// above it and the file and the bar below it in view.
constexpr int kHeight = 290;
constexpr int kMargin = 12;
// Client-area rows of the entry, the disk, the file and the bar.
constexpr int kRowTop[] = {12, 36, 196, 222};
constexpr int kBarRange = 1000;
constexpr DWORD kPaintInterval = 100;  // ms

RECT CentreOver(HWND owner) {
    RECT area{};
    if (owner == nullptr || !::GetWindowRect(owner, &area)) {
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    }
    const int x = area.left + (area.right - area.left - kWidth) / 2;
    const int y = area.top + (area.bottom - area.top - kHeight) / 2;
    return RECT{x, y, x + kWidth, y + kHeight};
}

HWND AddChild(HWND parent, const char* cls, int id, int row, HFONT font) {
    const int height = 18;
    const DWORD own = id == CProgressWindow::kBar ? PBS_SMOOTH : SS_LEFTNOWORDWRAP;
    HWND child = ::CreateWindowExA(
        0, cls, "", WS_CHILD | WS_VISIBLE | own, kMargin, kRowTop[row], kWidth - 3 * kMargin,
        height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return child;
}

}  // namespace

bool CProgressWindow::EnsureOpen() {
    if (Handle() != nullptr || failed_) {
        return !failed_;
    }
    failed_ = true;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    if (!RegisterClass(instance, kClassName, nullptr,
                       reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)) ||
        !Create(instance, kClassName, engine::kProgressCaption, WS_POPUP | WS_CAPTION | WS_BORDER,
                owner_, nullptr)) {
        return false;
    }
    failed_ = false;
    if (owner_ != nullptr && ::EnableWindow(::GetAncestor(owner_, GA_ROOT), FALSE) == 0) {
        disabled_ = ::GetAncestor(owner_, GA_ROOT);
    }
    const RECT at = CentreOver(owner_);
    ::SetWindowPos(Handle(), HWND_TOP, at.left, at.top, kWidth, kHeight, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    return true;
}

// The owner takes input again before the window goes, so that activation returns to it.
void CProgressWindow::Close() {
    if (disabled_ != nullptr) {
        ::EnableWindow(disabled_, TRUE);
        disabled_ = nullptr;
    }
    if (Handle() != nullptr) {
        ::DestroyWindow(Handle());
    }
}

bool CProgressWindow::OnCreate(CREATESTRUCTA&) {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof(metrics);
    ::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    font_.Reset(::CreateFontIndirectA(&metrics.lfMessageFont));
    AddChild(Handle(), "STATIC", kEntryText, 0, font_.Get());
    AddChild(Handle(), "STATIC", kDiskText, 1, font_.Get());
    AddChild(Handle(), "STATIC", kFileText, 2, font_.Get());
    HWND bar = AddChild(Handle(), PROGRESS_CLASSA, kBar, 3, font_.Get());
    ::SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, kBarRange));
    return true;
}

HWND CProgressWindow::MessageOwner() {
    if (Handle() == nullptr) {
        return owner_;
    }
    if (stale_) {
        Paint();
    }
    return Handle();
}

void CProgressWindow::ShowEntry(int number, int count, int disk, const std::string& name) {
    if (!EnsureOpen()) {
        return;
    }
    char entry[64];
    std::snprintf(entry, sizeof(entry), "%d / %d  ", number, count);
    shown_.entry = entry + name;
    char diskText[64];
    std::snprintf(diskText, sizeof(diskText), engine::kProgressDisk, disk);
    shown_.disk = diskText;
    shown_.file.clear();
    shown_.bar = 0;
    PaintNowAndThen();
}

void CProgressWindow::ShowFile(const std::string& name, uint64_t done, uint64_t total) {
    if (!EnsureOpen()) {
        return;
    }
    shown_.file = name;
    shown_.bar = total == 0 ? 0 : static_cast<int>(done * kBarRange / total);
    PaintNowAndThen();
}

// Each rule of the conversion runs once, for long: shown at once.
void CProgressWindow::ShowConversion(const std::string& file) {
    if (!EnsureOpen()) {
        return;
    }
    shown_ = Shown{file, {}, {}, 0};
    Paint();
}

// The eye needs no more than a few pictures a second, and each costs round trips to the
// display, many times the decoding of a small member. What is not painted now is painted with
// a later change, or before the next message.
void CProgressWindow::PaintNowAndThen() {
    stale_ = true;
    if (!painted_ || ::GetTickCount() - lastPaint_ >= kPaintInterval) {
        Paint();
    }
}

// The controls take what changed, then it is painted at once, as WM_PAINT sent here, without
// taking a message off the queue.
void CProgressWindow::Paint() {
    SetItem(kEntryText, shown_.entry);
    SetItem(kDiskText, shown_.disk);
    SetItem(kFileText, shown_.file);
    ::SendDlgItemMessageA(Handle(), kBar, PBM_SETPOS, static_cast<WPARAM>(shown_.bar), 0);
    ::RedrawWindow(Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    painted_ = true;
    stale_ = false;
    lastPaint_ = ::GetTickCount();
}

// Only when it changes: a static repaints on every WM_SETTEXT.
void CProgressWindow::SetItem(int id, const std::string& text) const {
    char now[MAX_PATH + 64] = {};
    ::GetDlgItemTextA(Handle(), id, now, sizeof(now));
    if (text != now) {
        ::SetDlgItemTextA(Handle(), id, text.c_str());
    }
}

}  // namespace wizard
