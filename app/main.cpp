#include <windows.h>

#include "app/command_run.h"
#include "app/dll_search.h"

// The runtime's narrow command line is in the system's code page: the program reads Windows' own.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    app::NarrowDllSearch();  // before anything could load a DLL by name
    try {
        const wchar_t* line = ::GetCommandLineW();
        return app::RunProgramCommandLine(instance, line != nullptr ? line : L"");
    } catch (...) {
        return 1;  // nothing was shown that could still be saved
    }
}
