#include "lzh/encode_file.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace lzh {

FileArchiveSink::FileArchiveSink(const std::string& path) : file_(std::fopen(path.c_str(), "w+b")) {}

bool FileArchiveSink::Write(const void* buf, size_t n) {
    failed_ = failed_ || !file_ || std::fwrite(buf, 1, n, file_.get()) != n;
    return !failed_;
}

bool FileArchiveSink::Seek(uint64_t offset) {
    failed_ = failed_ || !file_ ||
              std::fseek(file_.get(), static_cast<long>(offset), SEEK_SET) != 0;
    return !failed_;
}

bool FileArchiveSink::Truncate(uint64_t size) {
    if (failed_ || !file_ || std::fflush(file_.get()) != 0) {
        return failed_ = true, false;
    }
#ifdef _WIN32
    failed_ = _chsize_s(_fileno(file_.get()), static_cast<long long>(size)) != 0;
#else
    failed_ = ftruncate(fileno(file_.get()), static_cast<off_t>(size)) != 0;
#endif
    return !failed_;
}

bool FileArchiveSink::Close() {
    if (!file_) {
        return false;
    }
    bool ok = !failed_ && std::fflush(file_.get()) == 0 && std::ferror(file_.get()) == 0;
    return std::fclose(file_.release()) == 0 && ok;
}

FileMemberSource::FileMemberSource(const std::string& path) : file_(std::fopen(path.c_str(), "rb")) {}

size_t FileMemberSource::Read(void* buf, size_t n) {
    return file_ ? std::fread(buf, 1, n, file_.get()) : 0;
}

bool FileMemberSource::Rewind() {
    return file_ && std::fseek(file_.get(), 0, SEEK_SET) == 0 && (std::clearerr(file_.get()), true);
}

}  // namespace lzh
