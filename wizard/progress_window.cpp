#include "wizard/progress_window.h"

#include <commctrl.h>
#include <imm.h>

#include <cstdio>

#include "engine/texts.h"
#include "framework/handles.h"
#include "framework/window.h"

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
// The eye needs no more than a few pictures a second.
constexpr UINT kTakeUpInterval = 100;  // ms
constexpr UINT_PTR kTakeUpTimer = 1;
// Posted or sent by the run: take up what was noted and paint it now; go off the screen.
constexpr UINT kPaintNow = WM_APP + 1;
constexpr UINT kClose = WM_APP + 2;
// Posted to the window thread: open a window for the board handed over in lParam.
constexpr UINT kOpen = WM_APP + 3;
// Posted by the run at the first thing it shows, when the window was made before.
constexpr UINT kShow = WM_APP + 4;

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
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    }
    const int width = Scaled(kWidth), height = Scaled(kHeight);
    const int x = area.left + (area.right - area.left - width) / 2;
    const int y = area.top + (area.bottom - area.top - height) / 2;
    return RECT{x, y, x + width, y + height};
}

HWND AddChild(HWND parent, const char* cls, int id, int row, HFONT font) {
    const DWORD own = id == CProgressWindow::kBar ? PBS_SMOOTH : SS_LEFTNOWORDWRAP;
    HWND child = ::CreateWindowExA(
        0, cls, "", WS_CHILD | WS_VISIBLE | own, Scaled(kMargin), Scaled(kRowTop[row]),
        Scaled(kWidth - 3 * kMargin), Scaled(kRowHeight), parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return child;
}

// The window's thread may send to the run's (its owner is the run's window): while the run
// waits for it, such messages are answered, and nothing is taken off the queue.
void WaitAnsweringSent(HANDLE object) {
    while (::MsgWaitForMultipleObjects(1, &object, FALSE, INFINITE, QS_SENDMESSAGE) ==
           WAIT_OBJECT_0 + 1) {
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

}  // namespace

struct CProgressWindow::Board {
    struct Shown {
        std::string entry, disk, file;
        int bar = 0;
    };

    explicit Board(HWND ownerWindow) : owner(ownerWindow) {}

    const HWND owner;
    const framework::KernelObject opened{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    const framework::KernelObject closed{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};

    // On the run's thread: `change` applied to what is shown, for the window to take up.
    template <typename Change>
    void Note(const Change& change) {
        framework::CriticalSection::Lock held(lock);
        change(shown);
        stale = true;
    }

    framework::CriticalSection lock;  // over all below
    Shown shown;
    bool stale = false;  // `shown` holds changes the window has not taken up
    // Each side sets its own under the lock and reads the other's, so that of the window
    // opening and the run's first picture, whichever comes second shows the window.
    HWND window = nullptr;  // set once open, before `opened`
    bool visible = false;   // the run has shown something
};

class CProgressWindow::Frame : public framework::Window {
public:
    explicit Frame(std::shared_ptr<Board> board) : board_(std::move(board)) {}
    // Whatever ends it, the run waiting for it goes on.
    ~Frame() override { ::SetEvent(board_->closed.Get()); }
    bool Open();

protected:
    bool PreCreateWindow(CREATESTRUCTA& cs) override;
    bool OnCreate(CREATESTRUCTA& cs) override;
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void Show();
    void TakeUp();
    void SetItem(int id, const std::string& text) const;

    const std::shared_ptr<Board> board_;
    framework::GdiObject<HFONT> font_;
};

void CProgressWindow::Prepare() {
    if (board_) {
        return;
    }
    board_ = std::make_shared<Board>(owner_);
    if (!board_->opened || !board_->closed || !HandToWindowThread(board_)) {
        ::SetEvent(board_->opened.Get());
        ::SetEvent(board_->closed.Get());
    }
}

void CProgressWindow::Start() {
    if (shown_) {
        return;
    }
    Prepare();
    shown_ = true;
    HWND open = nullptr;
    {
        framework::CriticalSection::Lock held(board_->lock);
        board_->visible = true;
        open = board_->window;
    }
    if (open != nullptr) {
        ::PostMessageA(open, kShow, 0, 0);
    }
    if (owner_ != nullptr) {
        const HWND root = ::GetAncestor(owner_, GA_ROOT);
        if (::EnableWindow(root, FALSE) == 0) {
            disabled_ = root;
        }
    }
}

// A thread's first window costs it several times what the window itself does (under Wine,
// a connection of its own to the display), so one thread serves every progress window of the
// process. It lives as long as the process: its id is never another thread's.
bool CProgressWindow::HandToWindowThread(const std::shared_ptr<Board>& board) {
    static DWORD threadId = 0;
    auto handed = std::make_unique<std::shared_ptr<Board>>(board);
    if (threadId != 0 &&
        ::PostThreadMessageA(threadId, kOpen, 0, reinterpret_cast<LPARAM>(handed.get()))) {
        handed.release();  // the thread's now
        return true;
    }
    const framework::KernelObject thread(
        ::CreateThread(nullptr, 0, &CProgressWindow::WindowThread, handed.get(), 0, &threadId));
    if (!thread) {
        threadId = 0;
        return false;
    }
    handed.release();
    return true;
}

HWND CProgressWindow::OpenedWindow() {
    WaitAnsweringSent(board_->opened.Get());
    return board_->window;
}

// The owner takes input again before the window goes, so that activation returns to it.
void CProgressWindow::Close() {
    if (disabled_ != nullptr) {
        ::EnableWindow(disabled_, TRUE);
        disabled_ = nullptr;
    }
    if (!board_) {
        return;
    }
    if (const HWND window = OpenedWindow()) {
        ::PostMessageA(window, kClose, 0, 0);
    }
    WaitAnsweringSent(board_->closed.Get());
    board_.reset();
    shown_ = false;
}

HWND CProgressWindow::MessageOwner() {
    const HWND window = shown_ ? OpenedWindow() : nullptr;
    if (window == nullptr) {
        return owner_;
    }
    ::SendMessageA(window, kPaintNow, 0, 0);
    return window;
}

void CProgressWindow::ShowEntry(int number, int count, int disk, const std::string& name) {
    Start();
    char entry[64];
    std::snprintf(entry, sizeof(entry), "%d / %d  ", number, count);
    char diskText[64];
    std::snprintf(diskText, sizeof(diskText), engine::kProgressDisk, disk);
    board_->Note([&](Board::Shown& shown) { shown = Board::Shown{entry + name, diskText, {}, 0}; });
}

void CProgressWindow::ShowFile(const std::string& name, uint64_t done, uint64_t total) {
    Start();
    board_->Note([&](Board::Shown& shown) {
        shown.file = name;
        shown.bar = total == 0 ? 0 : static_cast<int>(done * kBarRange / total);
    });
}

// Each rule of the conversion runs once, for long: shown at once once the window is there.
void CProgressWindow::ShowConversion(const std::string& file) {
    Start();
    board_->Note([&](Board::Shown& shown) { shown = Board::Shown{file, {}, {}, 0}; });
    if (::WaitForSingleObject(board_->opened.Get(), 0) == WAIT_OBJECT_0 && board_->window) {
        ::PostMessageA(board_->window, kPaintNow, 0, 0);
    }
}

DWORD WINAPI CProgressWindow::WindowThread(void* handed) {
    // Its windows take no input: no input-method window of their own to make and take down.
    ::ImmDisableIME(::GetCurrentThreadId());
    std::unique_ptr<Frame> frame = OpenFrame(handed);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == nullptr && msg.message == kOpen) {
            frame = OpenFrame(reinterpret_cast<void*>(msg.lParam));
        } else {
            ::DispatchMessageA(&msg);
        }
        if (frame && frame->Handle() == nullptr) {
            frame.reset();  // taken down
        }
    }
    return 0;
}

// The window of a board handed over; null when it could not open, which the board tells.
std::unique_ptr<CProgressWindow::Frame> CProgressWindow::OpenFrame(void* handed) {
    const std::shared_ptr<Board> board =
        *std::unique_ptr<std::shared_ptr<Board>>(static_cast<std::shared_ptr<Board>*>(handed));
    auto frame = std::make_unique<Frame>(board);
    if (!frame->Open()) {
        frame.reset();
    }
    ::SetEvent(board->opened.Get());
    return frame;
}

bool CProgressWindow::Frame::Open() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    if (!RegisterClass(instance, kClassName, nullptr,
                       reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)) ||
        !Create(instance, kClassName, engine::kProgressCaption,
                WS_POPUP | WS_CAPTION | WS_BORDER | WS_DISABLED, board_->owner, nullptr)) {
        return false;
    }
    bool visible = false;
    {
        framework::CriticalSection::Lock held(board_->lock);
        board_->window = Handle();
        visible = board_->visible;
    }
    if (visible) {
        Show();
    }
    return true;
}

// Centred where the owner is now: it may have moved since the window was made.
void CProgressWindow::Frame::Show() {
    TakeUp();
    ::SetTimer(Handle(), kTakeUpTimer, kTakeUpInterval, nullptr);
    const RECT at = CentreOver(board_->owner);
    // Neither activated nor moving its owner: both would wait on the run's busy thread.
    ::SetWindowPos(Handle(), HWND_TOP, at.left, at.top, at.right - at.left, at.bottom - at.top,
                   SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

// A dialog's frame, which carries no icon: under Wine such a window shows and goes in two
// thirds of the time a plain caption takes.
bool CProgressWindow::Frame::PreCreateWindow(CREATESTRUCTA& cs) {
    cs.dwExStyle |= WS_EX_DLGMODALFRAME;
    return true;
}

bool CProgressWindow::Frame::OnCreate(CREATESTRUCTA&) {
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

LRESULT CProgressWindow::Frame::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_TIMER:
            TakeUp();
            return 0;
        case kShow:
            Show();
            return 0;
        case kPaintNow:
            TakeUp();
            ::RedrawWindow(Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            return 0;
        case kClose:
            // Off the screen at once; the run goes on while the window is taken down.
            ::ShowWindow(Handle(), SW_HIDE);
            ::SetEvent(board_->closed.Get());
            ::DestroyWindow(Handle());
            return 0;
    }
    return Window::OnMessage(msg, wp, lp);
}

// The controls take what changed since the last time; they paint from the message loop.
void CProgressWindow::Frame::TakeUp() {
    Board::Shown shown;
    {
        framework::CriticalSection::Lock lock(board_->lock);
        if (!board_->stale) {
            return;
        }
        shown = board_->shown;
        board_->stale = false;
    }
    SetItem(kEntryText, shown.entry);
    SetItem(kDiskText, shown.disk);
    SetItem(kFileText, shown.file);
    ::SendDlgItemMessageA(Handle(), kBar, PBM_SETPOS, static_cast<WPARAM>(shown.bar), 0);
}

// Only when it changes: a static repaints on every WM_SETTEXT.
void CProgressWindow::Frame::SetItem(int id, const std::string& text) const {
    char now[MAX_PATH + 64] = {};
    ::GetDlgItemTextA(Handle(), id, now, sizeof(now));
    if (text != now) {
        ::SetDlgItemTextA(Handle(), id, text.c_str());
    }
}

}  // namespace wizard
