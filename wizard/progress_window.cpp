#include "wizard/progress_window.h"

#include <commctrl.h>

#include "engine/texts.h"
#include "framework/handles.h"
#include "framework/wide.h"
#include "framework/window.h"
#include "text/format.h"

namespace wizard {

namespace {

// The layout at 96 DPI, in pixels; the window lays it out at the system's DPI (the program is
// DPI aware, so Windows no longer stretches it as a bitmap).
constexpr int kWidth = 420;
// Tall enough that a message centred over it (the disk prompt) leaves the entry and the disk
// above it and the file and the bar below it in view.
constexpr int kHeight = 290;
constexpr int kMargin = 12;
// Client-area rows of the entry, the disk, the file and the bar.
constexpr int kRowTop[] = {12, 36, 196, 222};
constexpr int kRowHeight = 18;
constexpr int kLayoutDpi = 96;
constexpr int kBarRange = 1000;

// A length of the 96-DPI layout at the system's DPI.
int Scaled(int pixels) {
    static const int dpi = [] {
        const framework::WindowDc screen(nullptr);
        const int got = screen.Get() ? ::GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
        return got > 0 ? got : kLayoutDpi;
    }();
    return ::MulDiv(pixels, dpi, kLayoutDpi);
}

RECT CentreOver(HWND owner) {
    RECT area{};
    if (owner == nullptr || !::GetWindowRect(owner, &area)) {
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    }
    const int width = Scaled(kWidth), height = Scaled(kHeight);
    const int x = area.left + (area.right - area.left - width) / 2;
    const int y = area.top + (area.bottom - area.top - height) / 2;
    return RECT{x, y, x + width, y + height};
}

HWND AddChild(HWND parent, const wchar_t* cls, int id, int row, HFONT font) {
    const DWORD own = id == CProgressWindow::kBar ? PBS_SMOOTH : SS_LEFTNOWORDWRAP;
    HWND child = ::CreateWindowExW(
        0, cls, L"", WS_CHILD | WS_VISIBLE | own, Scaled(kMargin), Scaled(kRowTop[row]),
        Scaled(kWidth - 3 * kMargin), Scaled(kRowHeight), parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return child;
}

}  // namespace

class CProgressWindow::Frame : public framework::Window {
public:
    bool Open(HWND owner);
    void Show(HWND owner);
    bool visible() const { return ::IsWindowVisible(Handle()) != FALSE; }
    // Each only when it changes: a control repaints on every change.
    void SetItem(int id, const std::string& text);
    void SetBar(int position);

protected:
    bool PreCreateWindow(CREATESTRUCTW& cs) override;
    bool OnCreate(CREATESTRUCTW& cs) override;

private:
    framework::GdiObject<HFONT> font_;
    std::string items_[kBar];
    int bar_ = 0;
};

bool CProgressWindow::Frame::Open(HWND owner) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    return RegisterClass(instance, kClassName, nullptr,
                         reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)) &&
           Create(instance, kClassName, engine::kProgressCaption,
                  WS_POPUP | WS_CAPTION | WS_BORDER | WS_DISABLED, owner, nullptr);
}

// Centred where the owner is now: it may have moved since the window was made.
void CProgressWindow::Frame::Show(HWND owner) {
    const RECT at = CentreOver(owner);
    ::SetWindowPos(Handle(), HWND_TOP, at.left, at.top, at.right - at.left, at.bottom - at.top,
                   SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void CProgressWindow::Frame::SetItem(int id, const std::string& text) {
    if (items_[id - 1] != text) {
        items_[id - 1] = text;
        ::SetDlgItemTextW(Handle(), id, framework::Wide(text).c_str());
    }
}

void CProgressWindow::Frame::SetBar(int position) {
    if (bar_ != position) {
        bar_ = position;
        ::SendDlgItemMessageW(Handle(), kBar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    }
}

// A dialog's frame, which carries no icon: under Wine such a window shows and goes in two
// thirds of the time a plain caption takes.
bool CProgressWindow::Frame::PreCreateWindow(CREATESTRUCTW& cs) {
    cs.dwExStyle |= WS_EX_DLGMODALFRAME;
    return true;
}

bool CProgressWindow::Frame::OnCreate(CREATESTRUCTW&) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    font_.Reset(::CreateFontIndirectW(&metrics.lfMessageFont));
    AddChild(Handle(), L"STATIC", kEntryText, 0, font_.Get());
    AddChild(Handle(), L"STATIC", kDiskText, 1, font_.Get());
    AddChild(Handle(), L"STATIC", kFileText, 2, font_.Get());
    HWND bar = AddChild(Handle(), PROGRESS_CLASSW, kBar, 3, font_.Get());
    ::SendMessageW(bar, PBM_SETRANGE, 0, MAKELPARAM(0, kBarRange));
    return true;
}

CProgressWindow::CProgressWindow(HWND owner) : owner_(owner) {}

CProgressWindow::~CProgressWindow() {
    Close();
}

void CProgressWindow::Prepare() {
    if (frame_) {
        return;
    }
    frame_ = std::make_unique<Frame>();
    if (!frame_->Open(owner_)) {
        frame_.reset();
    }
}

CProgressWindow::Frame* CProgressWindow::Shown() {
    Prepare();
    if (!frame_ || frame_->visible()) {
        return frame_.get();
    }
    frame_->Show(owner_);
    if (owner_ != nullptr) {
        const HWND root = ::GetAncestor(owner_, GA_ROOT);
        if (::EnableWindow(root, FALSE) == 0) {
            disabled_ = root;
        }
    }
    return frame_.get();
}

// The owner takes input again before the window goes, so that activation returns to it.
void CProgressWindow::Close() {
    if (disabled_ != nullptr) {
        ::EnableWindow(disabled_, TRUE);
        disabled_ = nullptr;
    }
    if (frame_) {
        ::ShowWindow(frame_->Handle(), SW_HIDE);
        frame_.reset();
    }
}

HWND CProgressWindow::MessageOwner() {
    if (!frame_ || !frame_->visible()) {
        return owner_;
    }
    ::RedrawWindow(frame_->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return frame_->Handle();
}

void CProgressWindow::ShowEntry(int number, int count, int disk, const std::string& name) {
    if (Frame* frame = Shown()) {
        frame->SetItem(kEntryText, text::Format("%d / %d  ", number, count) + name);
        frame->SetItem(kDiskText, text::Format(engine::kProgressDisk, disk));
        frame->SetItem(kFileText, "");
        frame->SetBar(0);
    }
}

void CProgressWindow::ShowFile(const std::string& name, uint64_t done, uint64_t total) {
    if (Frame* frame = Shown()) {
        frame->SetItem(kFileText, name);
        frame->SetBar(total == 0 ? 0 : static_cast<int>(done * kBarRange / total));
    }
}

void CProgressWindow::ShowConversion(const std::string& file) {
    if (Frame* frame = Shown()) {
        frame->SetItem(kEntryText, file);
        frame->SetItem(kDiskText, "");
        frame->SetItem(kFileText, "");
        frame->SetBar(0);
    }
}

}  // namespace wizard
