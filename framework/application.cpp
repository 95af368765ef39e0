#include "framework/application.h"

namespace framework {

namespace {
Application* g_current = nullptr;

// A file call on an empty floppy drive must fail back to its caller, whose messages say what
// to do, instead of stopping in the system's "no disk in the drive" box.
void KeepFileErrorsWithTheCaller() {
    ::SetErrorMode(::SetErrorMode(0) | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}

}  // namespace

Application::Application(HINSTANCE instance) : instance_(instance) {
    g_current = this;
}

Application::~Application() {
    if (g_current == this) {
        g_current = nullptr;
    }
}

Application* Application::Current() {
    return g_current;
}

void Application::SetMainWindow(HWND hwnd, HACCEL accelerators) {
    mainWindow_ = hwnd;
    accelerators_ = accelerators;
}

bool Application::TranslateForMainWindow(MSG& msg) {
    return accelerators_ && mainWindow_ &&
           ::TranslateAcceleratorW(mainWindow_, accelerators_, &msg) != 0;
}

int Application::Run() {
    KeepFileErrorsWithTheCaller();
    if (!InitInstance()) {
        return 0;
    }
    MSG msg{};
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!TranslateForMainWindow(msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}

void Application::BeginWaitCursor() {
    HCURSOR wait = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT));
    HCURSOR previous = ::SetCursor(wait);
    if (waitDepth_++ == 0) {
        cursorBeforeWait_ = previous;
    }
}

void Application::EndWaitCursor() {
    if (waitDepth_ == 0) {
        return;
    }
    if (--waitDepth_ == 0) {
        ::SetCursor(cursorBeforeWait_
                        ? cursorBeforeWait_
                        : ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
        cursorBeforeWait_ = nullptr;
    }
}

ScopedWaitCursor::ScopedWaitCursor() {
    if (Application* app = Application::Current()) {
        app->BeginWaitCursor();
    }
}

ScopedWaitCursor::~ScopedWaitCursor() {
    if (Application* app = Application::Current()) {
        app->EndWaitCursor();
    }
}

}  // namespace framework
