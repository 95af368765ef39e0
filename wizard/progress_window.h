// The small window that shows how far the update run is: the entry being installed and how
// many there are, the update disk it comes from, the file being written and a bar over the
// bytes of the entry (during the conversions, the master file being converted). It belongs to
// the window's thread, like every window of the program: the run, on its own thread, posts
// what it shows there (wizard/answering_run.h), and the window's thread paints it as it
// answers. Made hidden before the run (while the last page is read), showing it costs the run
// nothing. Its pixel layout is scaled to the system's DPI.
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
    explicit CProgressWindow(HWND owner = nullptr);
    ~CProgressWindow();
    CProgressWindow(const CProgressWindow&) = delete;
    CProgressWindow& operator=(const CProgressWindow&) = delete;

    // Makes the window ahead of the run, hidden; it shows at the first thing shown.
    void Prepare();
    // Takes the window off the screen and down.
    void Close();
    // The window messages of the run are to be owned by, so that they stand in front of it;
    // painted first, since a message is a long pause in the run. The owner while nothing has
    // been shown.
    HWND MessageOwner();

    void ShowEntry(int number, int count, int disk, const std::string& name);
    void ShowFile(const std::string& name, uint64_t done, uint64_t total);
    void ShowConversion(const std::string& file);

private:
    class Frame;  // the window itself

    Frame* Shown();  // the window, opened and shown; null when it could not open

    HWND owner_;
    HWND disabled_ = nullptr;
    std::unique_ptr<Frame> frame_;  // from Prepare or the first thing shown until Close
};

}  // namespace wizard
