#include "app/program_folder_setup.h"

#include <windows.h>

#include "text/cp932.h"

namespace app {

std::string ProgramFolderFromPath(std::string_view exePath) {
    text::PathParts parts = text::SplitPath(exePath);
    std::string folder = parts.drive + parts.dir;
    if (folder.size() == 3) {
        folder.resize(2);
    }
    return folder;
}

std::wstring ModuleFileName() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD got = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (got == 0) {
            return {};
        }
        if (got < path.size()) {
            path.resize(got);
            return path;
        }
        path.resize(path.size() * 2);  // cut short: try again with room to spare
    }
}

}  // namespace app
