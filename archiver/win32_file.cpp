#include "archiver/win32_file.h"

#include <algorithm>
#include <cstring>

namespace archiver {

bool UniqueHandle::Close() {
    bool ok = true;
    if (valid()) {
        ok = CloseHandle(h_) != 0;
        h_ = INVALID_HANDLE_VALUE;
    }
    return ok;
}

FileSource::FileSource(const std::string& path)
    : file_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                        FILE_FLAG_SEQUENTIAL_SCAN, nullptr)) {
    if (!file_.valid()) {
        openError_ = GetLastError();
        failed_ = true;
    }
}

size_t FileSource::Read(void* buf, size_t n) {
    auto* out = static_cast<unsigned char*>(buf);
    size_t done = 0;
    while (done < n && !failed_) {
        if (pos_ == end_) {
            buffer_.resize(64 * 1024);
            DWORD got = 0;
            if (!ReadFile(file_.get(), buffer_.data(), static_cast<DWORD>(buffer_.size()), &got,
                          nullptr)) {
                failed_ = true;
                break;
            }
            pos_ = 0;
            end_ = got;
            if (got == 0) {
                break;
            }
        }
        size_t take = std::min(n - done, end_ - pos_);
        std::memcpy(out + done, buffer_.data() + pos_, take);
        pos_ += take;
        done += take;
    }
    return done;
}

bool FileSink::Write(const void* buf, size_t n) {
    const auto* in = static_cast<const unsigned char*>(buf);
    if (buffer_.size() + n > kBlock && !Flush()) {
        return false;
    }
    if (n >= kBlock) {
        DWORD written = 0;
        return WriteFile(file_, in, static_cast<DWORD>(n), &written, nullptr) && written == n;
    }
    buffer_.insert(buffer_.end(), in, in + n);
    return true;
}

bool FileSink::Flush() {
    DWORD written = 0;
    bool ok =
        buffer_.empty() ||
        (WriteFile(file_, buffer_.data(), static_cast<DWORD>(buffer_.size()), &written, nullptr) &&
         written == buffer_.size());
    buffer_.clear();
    return ok;
}

TempFile::TempFile(const std::string& folder) {
    char name[MAX_PATH] = {};
    if (GetTempFileNameA(folder.empty() ? "." : folder.c_str(), "rlz", 0, name) != 0) {
        path_ = name;
    }
}

TempFile::~TempFile() {
    if (!path_.empty()) {
        SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path_.c_str());
    }
}

}  // namespace archiver
