#include "wizard/installed_folder.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "framework/handles.h"
#include "framework/wide.h"

namespace wizard {

namespace {

constexpr char kUninstallRoot[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr wchar_t kUninstallValue[] = L"UninstallString";
// The value as the product's own lookup took it: 255 bytes of cp932 and its end.
constexpr size_t kValueBuffer = 256;
// Read access is all the lookup needs, and all that a standard user is granted. The product is
// a 32-bit program: its entry is in the 32-bit view, which a 64-bit build must ask for.
constexpr REGSAM kAccess = KEY_READ | KEY_WOW64_32KEY;

framework::RegistryKey OpenUninstallKey(const std::string& name) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, framework::Wide(kUninstallRoot + name).c_str(), 0,
                        kAccess, &key) != ERROR_SUCCESS) {
        return {};
    }
    return framework::RegistryKey(key);
}

// The value's data as stored, however long; empty when it is missing or unreadable.
std::vector<BYTE> ReadData(const framework::RegistryKey& key, const wchar_t* name, DWORD& type) {
    std::vector<BYTE> data;
    DWORD size = 0;
    LONG status = ::RegQueryValueExW(key.Get(), name, nullptr, &type, nullptr, &size);
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        data.resize(size);
        status = ::RegQueryValueExW(key.Get(), name, nullptr, &type, data.data(), &size);
        if (status == ERROR_SUCCESS) {
            data.resize(size);
            return data;
        }
    }
    return {};
}

struct Text {
    std::string shown;  // '?' where cp932 cannot carry a character
    bool fits = true;
};

// The value as cp932 text up to its first NUL, as the A call gave it: a string's characters
// converted, another type's bytes as they are. Empty when it is missing, unreadable or, in
// cp932, longer than 255 bytes.
Text ReadText(const framework::RegistryKey& key, const wchar_t* name) {
    DWORD type = 0;
    const std::vector<BYTE> data = ReadData(key, name, type);
    Text value;
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
        std::wstring wide(data.size() / sizeof(wchar_t), L'\0');
        std::memcpy(wide.data(), data.data(), wide.size() * sizeof(wchar_t));
        const std::optional<std::string> narrow = framework::Narrow(wide);
        value = {narrow ? *narrow : framework::NarrowShown(wide), narrow.has_value()};
    } else {
        value.shown.assign(data.begin(), data.end());
    }
    if (value.shown.size() > kValueBuffer) {
        return {};
    }
    value.shown = value.shown.substr(0, std::min(value.shown.find('\0'), kValueBuffer - 1));
    return value;
}

}  // namespace

FolderLookup FindInstalledFolder(const std::array<std::string, 15>& keys) {
    Text value;
    for (const std::string& name : keys) {
        if (name.empty()) {
            break;
        }
        if (framework::RegistryKey key = OpenUninstallKey(name)) {
            value = ReadText(key, kUninstallValue);
            break;
        }
    }
    std::string folder = value.shown;
    if (!FolderFromUninstallString(folder)) {
        return {};
    }
    if (!folder.empty() && folder.back() == '\\') {
        folder.pop_back();
    }
    // Only the folder counts: a character elsewhere in the value (the uninstaller's own path)
    // names nothing the run acts on. No folder holds a real '?'.
    if (!value.fits && folder.find('?') != std::string::npos) {
        return {std::nullopt, folder};
    }
    return {folder, {}};
}

FolderLookup ProposedFolder(const std::array<std::string, 15>& keys,
                            const std::string& manifestFolder) {
    FolderLookup found = FindInstalledFolder(keys);
    if (!found.folder && found.unusable.empty()) {
        found.folder = manifestFolder;
    }
    return found;
}

}  // namespace wizard
