#include "framework/files.h"

#include <cstring>

namespace framework {

bool FileFind::FindFile(const std::string& pattern) {
    handle_.Reset(::FindFirstFileA(pattern.c_str(), &data_));
    return static_cast<bool>(handle_);
}

bool FileFind::Next() {
    if (!handle_) {
        return false;
    }
    if (!::FindNextFileA(handle_.Get(), &data_)) {
        handle_.Reset();
        return false;
    }
    return true;
}

bool FileFind::IsDots() const {
    return IsDirectory() &&
           (std::strcmp(data_.cFileName, ".") == 0 || std::strcmp(data_.cFileName, "..") == 0);
}

namespace {

std::string FullPathName(const std::string& path) {
    DWORD needed = ::GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return path;
    }
    std::string full(needed, '\0');
    DWORD got = ::GetFullPathNameA(path.c_str(), needed, full.data(), nullptr);
    full.resize(got < needed ? got : 0);
    return full;
}

bool IsSet(const FILETIME& t) {
    return t.dwLowDateTime != 0 || t.dwHighDateTime != 0;
}

}  // namespace

bool GetFileStatus(const std::string& path, FileStatus& status) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        return false;
    }
    status.created = data.ftCreationTime;
    status.modified = data.ftLastWriteTime;
    status.accessed = data.ftLastAccessTime;
    status.size = (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    // "Normal" means no attribute at all, so it never shows in the byte.
    status.attribute = static_cast<uint8_t>(data.dwFileAttributes & 0xFF & ~FILE_ATTRIBUTE_NORMAL);
    status.fullName = FullPathName(path);
    return true;
}

bool SetFileStatus(const std::string& path, const FileStatus& status) {
    // A read-only file refuses new times, so the attributes go last.
    if (!::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL)) {
        return false;
    }
    bool ok = true;
    if (IsSet(status.created) || IsSet(status.modified) || IsSet(status.accessed)) {
        File file(::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        ok = file && ::SetFileTime(file.Get(), IsSet(status.created) ? &status.created : nullptr,
                                   IsSet(status.accessed) ? &status.accessed : nullptr,
                                   IsSet(status.modified) ? &status.modified : nullptr);
    }
    DWORD attributes = status.attribute & ~FILE_ATTRIBUTE_DIRECTORY;
    if (!::SetFileAttributesA(path.c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL)) {
        ok = false;
    }
    return ok;
}

}  // namespace framework
