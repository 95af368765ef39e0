#include <windows.h>

#include "app/command_run.h"
#include "app/dll_search.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    app::NarrowDllSearch();  // before anything could load a DLL by name
    try {
        return app::RunCommandLine(instance, commandLine != nullptr ? commandLine : "");
    } catch (...) {
        return 1;  // nothing was shown that could still be saved
    }
}
