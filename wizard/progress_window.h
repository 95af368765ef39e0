// The small window that shows how far the update run is: the entry being installed and how
// many there are, the update disk it comes from, the file being written and a bar over the
// bytes of the entry (during the conversions, the master file being converted). The run
// blocks the user-interface thread, so the window repaints itself as it changes instead of
// waiting for the message loop, and nothing else is dispatched meanwhile. Changes are only
// noted until the next picture is due, a few times a second, or a message is to be shown.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/handles.h"
#include "framework/window.h"

namespace wizard {

class CProgressWindow : public framework::Window {
public:
    static constexpr char kClassName[] = "RenovoProgress";
    // Control ids, read from outside by the end-to-end tests.
    static constexpr int kEntryText = 1;
    static constexpr int kDiskText = 2;
    static constexpr int kFileText = 3;
    static constexpr int kBar = 4;

    // The window opens at the first thing it shows, centred over `owner` (the screen when
    // null), with no system menu; the owner's top-level window takes no input until Close.
    explicit CProgressWindow(HWND owner = nullptr) : owner_(owner) {}
    ~CProgressWindow() override { Close(); }
    void Close();
    // The window messages of the run are to be owned by, so that they stand in front of it;
    // brought up to date first, since a message is a long pause in the run.
    HWND MessageOwner();

    void ShowEntry(int number, int count, int disk, const std::string& name);
    void ShowFile(const std::string& name, uint64_t done, uint64_t total);
    void ShowConversion(const std::string& file);

protected:
    bool OnCreate(CREATESTRUCTA& cs) override;

private:
    // What the window is to show, noted at each change.
    struct Shown {
        std::string entry, disk, file;
        int bar = 0;
    };

    bool EnsureOpen();
    void SetItem(int id, const std::string& text) const;
    void PaintNowAndThen();
    void Paint();

    HWND owner_;
    HWND disabled_ = nullptr;
    bool failed_ = false;  // a window that cannot open is not tried again for every file
    bool painted_ = false;
    bool stale_ = false;   // `shown_` holds changes not painted yet
    DWORD lastPaint_ = 0;
    Shown shown_;
    framework::GdiObject<HFONT> font_;
};

}  // namespace wizard
