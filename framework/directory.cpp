#include "framework/directory.h"

#include <windows.h>

#include "framework/wide.h"

namespace framework {

namespace {

wchar_t Upper(wchar_t c) {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

// Calls `get(size, buffer)`, which answers as GetCurrentDirectoryW does, with room enough.
template <typename Get>
std::wstring GrowingRead(Get get) {
    std::wstring text(MAX_PATH, L'\0');
    DWORD got = get(static_cast<DWORD>(text.size()), text.data());
    if (got >= text.size()) {
        text.resize(got);
        got = get(static_cast<DWORD>(text.size()), text.data());
    }
    text.resize(got < text.size() ? got : 0);
    return text;
}

std::wstring CurrentDirectory() {
    return GrowingRead(
        [](DWORD size, wchar_t* buffer) { return ::GetCurrentDirectoryW(size, buffer); });
}

// The drive letter of a full path, upper case; 0 for a UNC path, which has no drive to record.
wchar_t DriveOf(const std::wstring& path) {
    return path.size() >= 2 && path[1] == L':' ? Upper(path[0]) : L'\0';
}

void RecordDriveDirectory(wchar_t drive, const std::wstring& directory) {
    const wchar_t name[] = {L'=', drive, L':', L'\0'};
    ::SetEnvironmentVariableW(name, directory.c_str());
}

std::wstring FullPathOf(const std::wstring& path) {
    return GrowingRead([&](DWORD size, wchar_t* buffer) {
        return ::GetFullPathNameW(path.c_str(), size, buffer, nullptr);
    });
}

// What "X:" names now: the current directory on the current drive, else that drive's own.
std::wstring ResolveDrive(wchar_t letter) {
    const std::wstring full = FullPathOf(std::wstring{letter, L':'});
    return full.empty() ? std::wstring{letter, L':', L'\\'} : full;
}

bool ChangeTo(const std::wstring& path) {
    if (!::SetCurrentDirectoryW(path.c_str())) {
        return false;
    }
    const std::wstring now = CurrentDirectory();
    if (const wchar_t drive = DriveOf(now)) {
        RecordDriveDirectory(drive, now);
    }
    return true;
}

}  // namespace

// A full form cp932 cannot carry (only the current directory can bring one in) gives the path
// as it stands: it still names the same file through the W calls, and whoever needs a full
// form refuses one that is not.
std::string FullPath(const std::string& path) {
    const std::wstring full = FullPathOf(Wide(path));
    return full.empty() ? path : Narrow(full).value_or(path);
}

bool ChangeDirectory(const std::string& path) {
    return ChangeTo(Wide(path));
}

DriveDirectory::DriveDirectory(char letter)
    : letter_(Upper(static_cast<unsigned char>(letter))), directory_(ResolveDrive(letter_)) {}

void DriveDirectory::Restore() const {
    if (DriveOf(CurrentDirectory()) == letter_) {
        ChangeTo(directory_);
    } else {
        RecordDriveDirectory(letter_, directory_);
    }
}

}  // namespace framework
