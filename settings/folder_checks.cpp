#include "settings/folder_checks.h"

#include <windows.h>
#include <io.h>

#include "settings/texts.h"
#include "text/cp932.h"

namespace settings {

bool PathExists(const std::string& path) { return _access(path.c_str(), 0) == 0; }

size_t WholePathLength(const std::string& path) {
    const int units =
        MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    if (units <= 0) {
        return 0;
    }
    std::wstring wide(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), wide.data(), units);
    const DWORD whole = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);  // with its zero
    return whole > 0 ? whole - 1 : 0;
}

bool PathFits(const std::string& path) {
    const size_t length = WholePathLength(path);
    return length > 0 && length < MAX_PATH;
}

bool ProbeSettingsFile(std::string& folder, const std::string& name) {
    if (!PathExists(folder)) {
        return false;
    }
    if (PathExists(folder + name)) {
        return true;
    }
    folder += "\\";
    return PathExists(folder + name);
}

int FindSettingsFile(std::string& folder, const std::string& name) {
    const std::string received = folder;
    if (ProbeSettingsFile(folder, name)) {
        return 1;
    }
    folder += ":\\";
    if (ProbeSettingsFile(folder, name)) {
        return 1;
    }
    folder = received;
    return 0;
}

namespace {
bool HasMenuFile(const std::string& folder) {
    return PathExists(folder + kMenuIni2) || PathExists(folder + kMenuIni1);
}
}  // namespace

int CheckMenuSettings(std::string& folder, const std::string& name) {
    const std::string upper = text::ToUpperAscii(name);
    if (upper != kTovakaIniUpper && upper != kPallumIniUpper) {
        return 1;
    }
    if (!PathExists(folder)) {
        return 0;
    }
    if (HasMenuFile(folder)) {
        return 1;
    }
    folder += "\\";
    return HasMenuFile(folder) ? 1 : 0;
}

}  // namespace settings
