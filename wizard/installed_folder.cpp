#include "wizard/installed_folder.h"

#include <windows.h>

#include "framework/handles.h"

namespace wizard {

namespace {

constexpr char kUninstallRoot[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr char kUninstallValue[] = "UninstallString";
constexpr DWORD kValueBuffer = 256;
// Read access is all the lookup needs, and all that a standard user is granted. The product is
// a 32-bit program: its entry is in the 32-bit view, which a 64-bit build must ask for.
constexpr REGSAM kAccess = KEY_READ | KEY_WOW64_32KEY;

framework::RegistryKey OpenUninstallKey(const std::string& name) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kUninstallRoot + name).c_str(), 0, kAccess, &key) !=
        ERROR_SUCCESS) {
        return {};
    }
    return framework::RegistryKey(key);
}

// The value as text, empty when it is missing, unreadable or longer than 255 bytes.
std::string ReadText(const framework::RegistryKey& key, const char* name) {
    char buf[kValueBuffer] = {};
    DWORD size = kValueBuffer;
    DWORD type = 0;
    if (::RegQueryValueExA(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) !=
        ERROR_SUCCESS) {
        return {};
    }
    std::string value(buf, size < kValueBuffer ? size : kValueBuffer - 1);
    return value.substr(0, value.find('\0'));
}

}  // namespace

std::optional<std::string> FindInstalledFolder(const std::array<std::string, 15>& keys) {
    std::string value;
    for (const std::string& name : keys) {
        if (name.empty()) {
            break;
        }
        if (framework::RegistryKey key = OpenUninstallKey(name)) {
            value = ReadText(key, kUninstallValue);
            break;
        }
    }
    if (!FolderFromUninstallString(value)) {
        return std::nullopt;
    }
    if (!value.empty() && value.back() == '\\') {
        value.pop_back();
    }
    return value;
}

std::string ProposedFolder(const std::array<std::string, 15>& keys,
                           const std::string& manifestFolder) {
    return FindInstalledFolder(keys).value_or(manifestFolder);
}

}  // namespace wizard
