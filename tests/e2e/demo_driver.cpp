// The demo's automatic run: starts Renovo.exe from drive A: and walks it through the demo
// update as a user would, puts disk 2 into drive A: when asked for it, and keeps a
// screenshot of every page and message.
// Usage: renovo_demo_driver <screenshot folder> <disk 2 folder>
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/e2e/driver.h"

namespace {

constexpr char kDiskPrompt[] = "2 枚目のｱｯﾌﾟﾃﾞｲﾄFDをｾｯﾄしてください。";

void Say(const char* what, const e2e::Shown& shown) {
    std::printf("%s: [%s] %s\n", what, shown.caption.c_str(),
                shown.isPage ? "" : shown.MessageText().c_str());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: renovo_demo_driver <shots> <disk2>\n");
        return 2;
    }
    e2e::Program program;
    if (!program.Start("A:\\RENOVO.EXE", "A:\\")) {
        std::fprintf(stderr, "cannot start A:\\RENOVO.EXE\n");
        return 1;
    }
    const std::string shots = std::string(argv[1]) + "\\";
    const std::string disk2 = std::string(argv[2]) + "\\";
    HWND last = nullptr;
    int step = 0;
    // Every window in turn: pages go forward, the disk prompt gets disk 2, messages get OK.
    for (e2e::Shown shown = program.Next(); shown.hwnd; shown = program.Next(last)) {
        last = shown.hwnd;
        char name[64];
        std::snprintf(name, sizeof(name), "%02d-%s.bmp", ++step, shown.isPage ? "page" : "message");
        e2e::Screenshot(shown.hwnd, shots + name);
        if (step == 1) {  // the whole screen once: the main window behind the first page
            e2e::Screenshot(::GetDesktopWindow(), shots + "00-screen.bmp");
        }
        Say(name, shown);
        if (!shown.isPage && shown.MessageText() == kDiskPrompt) {
            e2e::EmptyFolder("A:\\");
            e2e::CopyTree(disk2, "A:\\");
            std::printf("  disk 2 is now in drive A:\n");
        }
        program.Press(shown, IDOK);
    }
    const long code = program.WaitExit();
    std::printf("Renovo ended with exit code %ld\n", code);
    return code == 0 ? 0 : 1;
}
