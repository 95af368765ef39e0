// Starts as Renovo.exe starts, then asks for a DLL by its bare name.
// Usage: renovo_dll_probe MODE NAME, MODE: none (no narrowing), start-up (as Renovo.exe),
// oldest (the way for a Windows without SetDefaultDllDirectories).
// Exit code: 0 loaded, 1 not found, 2 the narrowing did not go the way asked, 3 bad usage.
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/dll_search.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        return 3;
    }
    const std::string mode = argv[1];
    if (mode == "start-up" && app::NarrowDllSearch() != app::DllSearch::kSystem32Only) {
        return 2;
    }
    if (mode == "oldest" && app::NarrowDllSearch(false) != app::DllSearch::kWithoutCurrentDir) {
        return 2;
    }
    const HMODULE module = ::LoadLibraryA(argv[2]);
    char path[MAX_PATH] = {};
    if (module != nullptr) {
        ::GetModuleFileNameA(module, path, sizeof path);
    }
    std::printf("%s %s: %s\n", mode.c_str(), argv[2], module != nullptr ? path : "not found");
    return module != nullptr ? 0 : 1;
}
