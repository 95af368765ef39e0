#include "framework/files.h"

#include <cstring>

namespace framework {

bool PathExists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

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

}  // namespace framework
