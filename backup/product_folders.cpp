#include "backup/product_folders.h"

#include <windows.h>

#include <optional>

#include "framework/wide.h"
#include "settings/masters.h"
#include "settings/texts.h"
#include "text/path.h"

namespace backup {

namespace {

bool OnADrive(const std::string& value) {
    return value.size() >= 3 && value[1] == ':' && (value[2] == '\\' || value[2] == '/');
}

void AddFolder(Confinement& folders, const std::string& value) {
    if (OnADrive(value)) {
        folders.AddRoot(FullFormOf(value));
    }
}

}  // namespace

// In UTF-16, so that a trail byte 0x5C stays part of its character on any system code page.
std::string FullFormOf(const std::string& path) {
    const std::wstring wide = framework::Wide(path);
    std::wstring full(MAX_PATH, L'\0');
    DWORD got =
        GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (got >= full.size()) {
        full.resize(got);
        got = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    }
    full.resize(got < full.size() ? got : 0);
    if (full.empty()) {
        return path;
    }
    // A current folder cp932 cannot carry: no path of ours lies there.
    const std::optional<std::string> narrow = framework::Narrow(full);
    return narrow ? *narrow : std::string();
}

Confinement ProductFolders(const std::string& productFolder, const std::string& settingsFile) {
    Confinement folders;
    const std::string product = FullFormOf(productFolder);
    folders.AddRoot(product);
    const std::string base = text::WithSeparator(product);
    if (!settingsFile.empty()) {
        AddFolder(folders, settings::VoiceFolderSetting(base + settingsFile));
    } else {
        for (const char* name : {settings::kTovakaIni, settings::kVestimaIni}) {
            AddFolder(folders, settings::VoiceFolderSetting(base + name));
        }
    }
    for (const std::string& folder : settings::MasterFolders(base + settings::kTovakaIni)) {
        AddFolder(folders, folder);
    }
    return folders;
}

}  // namespace backup
