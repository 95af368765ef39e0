#include "wizard/installed_folder.h"

#include <windows.h>

namespace wizard {

namespace {

constexpr char kUninstallRoot[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr char kUninstallValue[] = "UninstallString";
constexpr DWORD kValueBuffer = 256;

class RegKey {
public:
    RegKey() = default;
    ~RegKey() {
        if (key_) {
            RegCloseKey(key_);
        }
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    // Read access is all the lookup needs, and all that a standard user is granted.
    bool OpenForReading(HKEY root, const std::string& path) {
        return RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key_) == ERROR_SUCCESS;
    }

    // The value as text, empty when it is missing, unreadable or longer than 255 bytes.
    std::string ReadText(const char* name) const {
        char buf[kValueBuffer] = {};
        DWORD size = kValueBuffer;
        DWORD type = 0;
        if (RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) !=
            ERROR_SUCCESS) {
            return {};
        }
        std::string value(buf, size < kValueBuffer ? size : kValueBuffer - 1);
        return value.substr(0, value.find('\0'));
    }

private:
    HKEY key_ = nullptr;
};

}  // namespace

std::optional<std::string> FindInstalledFolder(const std::array<std::string, 15>& keys) {
    std::string value;
    for (const std::string& name : keys) {
        if (name.empty()) {
            break;
        }
        RegKey key;
        if (key.OpenForReading(HKEY_LOCAL_MACHINE, kUninstallRoot + name)) {
            value = key.ReadText(kUninstallValue);
            break;
        }
    }
    if (FolderFromUninstallString(value) == 0) {
        return std::nullopt;
    }
    if (!value.empty() && value.back() == '\\') {
        value.pop_back();
    }
    return value;
}

}  // namespace wizard
