#include "settings/profile.h"

#include <windows.h>

#include <optional>

#include "framework/files.h"
#include "framework/handles.h"
#include "settings/ini_text.h"
#include "text/cp932.h"

namespace settings {

namespace {

// Settings files are a few kilobytes; anything near this is no settings file.
constexpr DWORD kMaxIniBytes = 16u << 20;

std::optional<std::string> ReadAll(HANDLE file) {
    const DWORD size = GetFileSize(file, nullptr);
    if (size == INVALID_FILE_SIZE || size > kMaxIniBytes) {
        return std::nullopt;
    }
    std::string bytes(size, '\0');
    DWORD got = 0;
    if (size != 0 && (!ReadFile(file, bytes.data(), size, &got, nullptr) || got != size)) {
        return std::nullopt;
    }
    return bytes;
}

std::optional<std::string> ReadIni(const std::string& path) {
    const framework::File file(framework::OpenPath(
        path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL));
    return file ? ReadAll(file.Get()) : std::nullopt;
}

bool WriteAt(HANDLE file, LONG offset, const std::string& bytes) {
    DWORD written = 0;
    return SetFilePointer(file, offset, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
           (bytes.empty() ||
            (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
             written == bytes.size()));
}

// Grows the file to its new length first: a disk without room refuses before a byte changes.
bool Rewrite(HANDLE file, const std::string& bytes) {
    const LONG size = static_cast<LONG>(bytes.size());
    return SetFilePointer(file, size, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
           SetEndOfFile(file) && WriteAt(file, 0, bytes) && FlushFileBuffers(file);
}

}  // namespace

std::string ReadProfileString(const std::string& path, const char* section, const char* key,
                              const char* fallback, size_t bufferSize) {
    if (bufferSize == 0) {
        return {};
    }
    const std::optional<std::string> file = ReadIni(path);
    const std::optional<std::string> value =
        file ? FindIniValue(*file, section, key) : std::nullopt;
    return text::TruncateBytes(value ? *value : fallback, bufferSize - 1);
}

std::string ReadWholeProfileString(const std::string& path, const char* section, const char* key) {
    const std::optional<std::string> file = ReadIni(path);
    const std::optional<std::string> value =
        file ? FindIniValue(*file, section, key) : std::nullopt;
    return value ? *value : std::string();
}

bool WriteProfileValue(const std::string& path, const char* section, const char* key,
                        const std::string& value) {
    const DWORD attributes = framework::AttributesOf(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        return false;
    }
    const framework::File file(framework::OpenPath(path, GENERIC_READ | GENERIC_WRITE,
                                                   FILE_SHARE_READ, OPEN_ALWAYS,
                                                   FILE_ATTRIBUTE_NORMAL));
    if (!file) {
        return false;
    }
    const std::optional<std::string> old = ReadAll(file.Get());
    if (!old) {
        return false;
    }
    const std::string updated = WithIniValue(*old, section, key, value);
    return updated.size() <= kMaxIniBytes && Rewrite(file.Get(), updated);
}

}  // namespace settings
