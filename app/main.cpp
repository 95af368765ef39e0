#include <windows.h>

#include "app/command_run.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    try {
        return app::RunCommandLine(instance, commandLine != nullptr ? commandLine : "");
    } catch (...) {
        return 1;  // nothing was shown that could still be saved
    }
}
