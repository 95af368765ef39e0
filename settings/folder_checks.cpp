#include "settings/folder_checks.h"

#include <windows.h>

#include "framework/files.h"
#include "framework/wide.h"
#include "settings/texts.h"
#include "text/cp932.h"

namespace settings {

using framework::PathExists;

size_t WholePathLength(const std::string& path) {
    const std::wstring wide = framework::Wide(path);
    if (wide.empty()) {
        return 0;
    }
    const DWORD whole = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);  // with its zero
    return whole > 0 ? whole - 1 : 0;
}

bool PathFits(const std::string& path) {
    const size_t length = WholePathLength(path);
    return length > 0 && length < MAX_PATH;
}

namespace {

// One probe: `name` in `folder` as given, else with "\" appended.
std::optional<std::string> Probe(const std::string& folder, const std::string& name) {
    if (!PathExists(folder)) {
        return std::nullopt;
    }
    if (PathExists(folder + name)) {
        return folder;
    }
    if (PathExists(folder + "\\" + name)) {
        return folder + "\\";
    }
    return std::nullopt;
}

bool HasMenuFile(const std::string& folder) {
    return PathExists(folder + kMenuIni2) || PathExists(folder + kMenuIni1);
}

}  // namespace

std::optional<std::string> FindSettingsFile(const std::string& folder, const std::string& name) {
    if (auto found = Probe(folder, name)) {
        return found;
    }
    // A bare drive letter is tried as its root (after the "\" of a folder that exists).
    const std::string tried = PathExists(folder) ? folder + "\\" : folder;
    return Probe(tried + ":\\", name);
}

std::optional<std::string> CheckMenuSettings(const std::string& folder, const std::string& name) {
    const std::string upper = text::ToUpperAscii(name);
    if (upper != kTovakaIniUpper && upper != kPallumIniUpper) {
        return folder;
    }
    if (!PathExists(folder)) {
        return std::nullopt;
    }
    if (HasMenuFile(folder)) {
        return folder;
    }
    if (HasMenuFile(folder + "\\")) {
        return folder + "\\";
    }
    return std::nullopt;
}

}  // namespace settings
