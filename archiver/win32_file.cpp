#include "archiver/win32_file.h"

#include <algorithm>
#include <cstring>

#include "framework/files.h"

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
    : file_(framework::OpenPath(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN)) {
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

uint64_t FileSource::Skip(uint64_t n) {
    const uint64_t buffered = std::min<uint64_t>(n, end_ - pos_);
    pos_ += static_cast<size_t>(buffered);
    if (buffered == n || failed_) {
        return buffered;
    }
    // Past the end a seek would succeed: the file's size bounds it, so that a cut-short
    // archive still reads as one.
    LARGE_INTEGER zero{}, here{}, size{};
    if (!SetFilePointerEx(file_.get(), zero, &here, FILE_CURRENT) ||
        !GetFileSizeEx(file_.get(), &size)) {
        failed_ = true;
        return buffered;
    }
    LARGE_INTEGER step{};
    step.QuadPart = static_cast<LONGLONG>(
        std::min<uint64_t>(n - buffered, static_cast<uint64_t>(std::max<LONGLONG>(
                                             size.QuadPart - here.QuadPart, 0))));
    if (!SetFilePointerEx(file_.get(), step, nullptr, FILE_CURRENT)) {
        failed_ = true;
        return buffered;
    }
    return buffered + static_cast<uint64_t>(step.QuadPart);
}

}  // namespace archiver
