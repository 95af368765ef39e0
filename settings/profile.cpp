#include "settings/profile.h"

#include <windows.h>

namespace settings {

std::string ReadProfileString(const std::string& path, const char* section, const char* key,
                              const char* fallback, size_t bufferSize) {
    std::string value(bufferSize, '\0');
    const DWORD got = GetPrivateProfileStringA(section, key, fallback, value.data(),
                                               static_cast<DWORD>(bufferSize), path.c_str());
    value.resize(got < bufferSize ? got : bufferSize - 1);
    return value;
}

std::string ReadWholeProfileString(const std::string& path, const char* section, const char* key) {
    for (size_t size = 256;; size *= 2) {
        std::string value = ReadProfileString(path, section, key, "", size);
        if (value.size() + 1 < size) {
            return value;
        }
    }
}

}  // namespace settings
