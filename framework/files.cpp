#include "framework/files.h"

#include <cstdio>

#include "framework/wide.h"

namespace framework {

bool PathExists(const std::string& path) {
    return AttributesOf(path) != INVALID_FILE_ATTRIBUTES;
}

HANDLE OpenPath(const std::string& path, DWORD access, DWORD share, DWORD creation, DWORD flags,
                SECURITY_ATTRIBUTES* security) {
    return ::CreateFileW(Wide(path).c_str(), access, share, security, creation, flags, nullptr);
}

DWORD AttributesOf(const std::string& path) {
    return ::GetFileAttributesW(Wide(path).c_str());
}

bool StatusOf(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& status) {
    return ::GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &status) != 0;
}

bool SetAttributesOf(const std::string& path, DWORD attributes) {
    return ::SetFileAttributesW(Wide(path).c_str(), attributes) != 0;
}

bool DeletePath(const std::string& path) {
    return ::DeleteFileW(Wide(path).c_str()) != 0;
}

bool MakeFolder(const std::string& path, SECURITY_ATTRIBUTES* security) {
    return ::CreateDirectoryW(Wide(path).c_str(), security) != 0;
}

bool RemoveFolder(const std::string& path) {
    return ::RemoveDirectoryW(Wide(path).c_str()) != 0;
}

bool MovePath(const std::string& from, const std::string& to, DWORD flags) {
    return ::MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), flags) != 0;
}

bool FileFind::FindFile(const std::string& pattern) {
    handle_.Reset(::FindFirstFileW(Wide(pattern).c_str(), &data_));
    if (handle_) {
        TakeName();
    }
    return static_cast<bool>(handle_);
}

bool FileFind::Next() {
    if (!handle_) {
        return false;
    }
    if (!::FindNextFileW(handle_.Get(), &data_)) {
        handle_.Reset();
        return false;
    }
    TakeName();
    return true;
}

void FileFind::TakeName() {
    const std::optional<std::string> name = Narrow(data_.cFileName);
    fits_ = name.has_value();
    name_ = fits_ ? *name : NarrowShown(data_.cFileName);
}

bool FileFind::IsDots() const {
    return IsDirectory() && (name_ == "." || name_ == "..");
}

bool TextFile::Open(const std::string& path) {
    return reader_.Attach(::_wfopen(Wide(path).c_str(), L"rb"));
}

}  // namespace framework
