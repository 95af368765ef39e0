// The small window that shows how far the update run is: the entry being installed and how
// many there are, the update disk it comes from, the file being written and a bar over the
// bytes of the entry (during the conversions, the master file being converted). The thread
// that calls it is busy with the run, or waits for it (wizard/answering_run.h), so the window
// lives on a thread of its own with its own message loop: the run only notes each change, and
// the window takes the changes up a few times a second, and at once before a message of the
// run, which it owns. Painting and taking down the window so cost the run next to nothing, and
// making it costs the run nothing when it is made, hidden, before the run (while the last page
// is read). The thread is started with the process's first progress window and kept for the
// next. Its pixel layout is scaled to the system's DPI.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

namespace wizard {

class CProgressWindow {
public:
    static constexpr char kClassName[] = "RenovoProgress";
    // Control ids, read from outside by the end-to-end tests.
    static constexpr int kEntryText = 1;
    static constexpr int kDiskText = 2;
    static constexpr int kFileText = 3;
    static constexpr int kBar = 4;

    // The window opens at the first thing it shows, centred over `owner` (the screen when
    // null), with no system menu and taking no input; the owner's top-level window takes no
    // input either until Close.
    explicit CProgressWindow(HWND owner = nullptr) : owner_(owner) {}
    // Makes the window ahead of the run, hidden; it shows at the first thing shown.
    void Prepare();
    ~CProgressWindow() { Close(); }
    CProgressWindow(const CProgressWindow&) = delete;
    CProgressWindow& operator=(const CProgressWindow&) = delete;

    // Returns once the window is off the screen; its thread takes it down meanwhile.
    void Close();
    // The window messages of the run are to be owned by, so that they stand in front of it;
    // brought up to date first, since a message is a long pause in the run. The owner while
    // nothing has been shown.
    HWND MessageOwner();

    void ShowEntry(int number, int count, int disk, const std::string& name);
    void ShowFile(const std::string& name, uint64_t done, uint64_t total);
    void ShowConversion(const std::string& file);

private:
    struct Board;  // what the run notes and the window's thread takes up; shared by both
    class Frame;   // the window itself, on its thread

    void Start();
    HWND OpenedWindow();  // waits until the window is open; null when it could not open
    static bool HandToWindowThread(const std::shared_ptr<Board>& board);
    static DWORD WINAPI WindowThread(void* handed);
    static std::unique_ptr<Frame> OpenFrame(void* handed);

    HWND owner_;
    HWND disabled_ = nullptr;
    bool shown_ = false;  // something was shown since the window was prepared
    std::shared_ptr<Board> board_;  // from Prepare or the first thing shown until Close
};

}  // namespace wizard
