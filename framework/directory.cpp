#include "framework/directory.h"

#include <windows.h>

namespace framework {

namespace {

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Calls `get(size, buffer)`, which answers as GetCurrentDirectoryA does, with room enough.
template <typename Get>
std::string GrowingRead(Get get) {
    std::string text(MAX_PATH, '\0');
    DWORD got = get(static_cast<DWORD>(text.size()), text.data());
    if (got >= text.size()) {
        text.resize(got);
        got = get(static_cast<DWORD>(text.size()), text.data());
    }
    text.resize(got < text.size() ? got : 0);
    return text;
}

std::string CurrentDirectory() {
    return GrowingRead(
        [](DWORD size, char* buffer) { return ::GetCurrentDirectoryA(size, buffer); });
}

// The drive letter of a full path, upper case; 0 for a UNC path, which has no drive to record.
char DriveOf(const std::string& path) {
    return path.size() >= 2 && path[1] == ':' ? Upper(path[0]) : '\0';
}

void RecordDriveDirectory(char drive, const std::string& directory) {
    const char name[] = {'=', drive, ':', '\0'};
    ::SetEnvironmentVariableA(name, directory.c_str());
}

// What "X:" names now: the current directory on the current drive, else that drive's own.
std::string ResolveDrive(char letter) {
    const char drive[] = {letter, ':', '\0'};
    std::string full = GrowingRead(
        [&](DWORD size, char* buffer) { return ::GetFullPathNameA(drive, size, buffer, nullptr); });
    return full.empty() ? std::string{letter, ':', '\\'} : full;
}

}  // namespace

std::string FullPath(const std::string& path) {
    std::string full = GrowingRead([&](DWORD size, char* buffer) {
        return ::GetFullPathNameA(path.c_str(), size, buffer, nullptr);
    });
    return full.empty() ? path : full;
}

bool ChangeDirectory(const std::string& path) {
    if (!::SetCurrentDirectoryA(path.c_str())) {
        return false;
    }
    const std::string now = CurrentDirectory();
    if (const char drive = DriveOf(now)) {
        RecordDriveDirectory(drive, now);
    }
    return true;
}

DriveDirectory::DriveDirectory(char letter)
    : letter_(Upper(letter)), directory_(ResolveDrive(letter_)) {}

void DriveDirectory::Restore() const {
    if (DriveOf(CurrentDirectory()) == letter_) {
        ChangeDirectory(directory_);
    } else {
        RecordDriveDirectory(letter_, directory_);
    }
}

}  // namespace framework
