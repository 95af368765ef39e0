// The application object: one per process. Run() prepares the process, calls the start-up
// hook, then pumps messages until the main window has gone, and returns the exit status.
#pragma once

#include <windows.h>

namespace framework {

class Application {
public:
    explicit Application(HINSTANCE instance);
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The one live application object, or null outside Run's lifetime of the object.
    static Application* Current();

    // InitInstance false ends at once with status 0; otherwise the loop's WM_QUIT status.
    int Run();

    HINSTANCE Instance() const { return instance_; }
    HWND MainWindow() const { return mainWindow_; }
    void SetMainWindow(HWND hwnd, HACCEL accelerators = nullptr);

    // Nested: the arrow comes back only when every Begin has had its End.
    void BeginWaitCursor();
    void EndWaitCursor();
    int WaitCursorDepth() const { return waitDepth_; }

protected:
    virtual bool InitInstance() = 0;

private:
    bool TranslateForMainWindow(MSG& msg);

    HINSTANCE instance_;
    HWND mainWindow_ = nullptr;
    HACCEL accelerators_ = nullptr;
    int waitDepth_ = 0;
    HCURSOR cursorBeforeWait_ = nullptr;
};

// BeginWaitCursor / EndWaitCursor of the current application for one scope.
class ScopedWaitCursor {
public:
    ScopedWaitCursor();
    ~ScopedWaitCursor();
    ScopedWaitCursor(const ScopedWaitCursor&) = delete;
    ScopedWaitCursor& operator=(const ScopedWaitCursor&) = delete;
};

}  // namespace framework
