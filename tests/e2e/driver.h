// Drives the real Renovo.exe from outside, as a user would: finds its pages and message
// boxes, reads their texts, presses their buttons and photographs them. Shared by the
// end-to-end tests and the demo's automatic run.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/handles.h"

namespace e2e {

// Build and source paths come as Unix paths; Wine shows the Unix root as drive Z:.
std::string WinePath(std::string unixPath);

// Texts are cp932, as the program's own, whatever the system code page.

// One window of the program that is in front of the user: a wizard page or a message box.
struct Shown {
    HWND hwnd = nullptr;
    std::string caption;
    bool isPage = false;  // pages have a picture frame; message boxes do not
    std::string Text(int id) const;
    // A message box's text.
    std::string MessageText() const { return Text(0xFFFF); }
    std::vector<std::string> ListItems(int id) const;
};

class Program {
public:
    ~Program();
    // Starts `exe` with `folder` as its current directory, `arguments` on its command line.
    bool Start(const std::string& exe, const std::string& folder,
               const std::string& arguments = {});
    // The next visible dialog of the program (other than `previous`), or an empty Shown when
    // none appears within the time or the program has ended.
    Shown Next(HWND previous = nullptr, DWORD timeoutMs = 15000) const;
    // Presses a button and waits until its dialog has gone.
    void Press(const Shown& shown, int buttonId) const;
    // Exit code once the program has ended within the time; -1 when it still runs.
    long WaitExit(DWORD timeoutMs = 15000) const;
    HWND Frame() const;

private:
    framework::File process_;
    DWORD pid_ = 0;
};

void SetText(const Shown& shown, int id, const std::string& text);
// Selects entry `index` of a list box and tells the dialog, as a click would.
void SelectListItem(const Shown& shown, int id, int index, bool doubleClick = false);
// Writes what the screen shows of `rect` as a 24-bit bitmap file; returns its pixel rows
// (bottom-up, blue-green-red, rows padded to 4 bytes), empty on failure.
std::string ScreenshotRect(const RECT& rect, const std::string& path);
// The same for what the screen shows of a window.
bool Screenshot(HWND hwnd, const std::string& path);

// The Unix name of a Windows path (Wine only); empty when there is none.
std::string UnixName(const std::string& path);
// Runs `command` with the Unix shell (Wine only) and waits up to `timeoutMs` for it to end;
// false when it could not start or did not end in time.
bool RunUnixCommand(const std::string& command, DWORD timeoutMs = 10000);

// Copies one file, over one that is there.
bool CopyPath(const std::string& from, const std::string& to);
// Replaces the contents of `folder` (a drive root such as "A:\") with those of `from`.
void CopyTree(const std::string& from, const std::string& to);
void EmptyFolder(const std::string& folder);

}  // namespace e2e
