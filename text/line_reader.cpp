#include "text/line_reader.h"

#include <cstring>

namespace text {

namespace {
constexpr size_t kChunk = 32768;
constexpr char kCtrlZ = 0x1A;
}  // namespace

bool LineReader::Open(const std::string& path) {
    return Attach(std::fopen(path.c_str(), "rb"));
}

bool LineReader::Attach(std::FILE* file) {
    file_.reset(file);
    buffer_.clear();
    pos_ = 0;
    eof_ = error_ = false;
    return file_ != nullptr;
}

bool LineReader::Refill() {
    if (eof_ || error_ || !file_) {
        return false;
    }
    buffer_.resize(kChunk);
    size_t got = std::fread(buffer_.data(), 1, kChunk, file_.get());
    buffer_.resize(got);
    pos_ = 0;
    if (got < kChunk) {
        error_ = std::ferror(file_.get()) != 0;
        eof_ = !error_;
    }
    // Text mode stops at the first Ctrl-Z: nothing after it belongs to the file.
    if (const void* z = std::memchr(buffer_.data(), kCtrlZ, buffer_.size())) {
        buffer_.resize(static_cast<const char*>(z) - buffer_.data());
        eof_ = true;
    }
    return !buffer_.empty();
}

LineReader::Status LineReader::ReadLine(std::string& line) {
    line.clear();
    bool any = false;
    for (;;) {
        if (pos_ >= buffer_.size() && !Refill()) {
            break;
        }
        any = true;
        const char* start = buffer_.data() + pos_;
        size_t left = buffer_.size() - pos_;
        const void* lf = std::memchr(start, '\n', left);
        if (lf) {
            size_t n = static_cast<const char*>(lf) - start;
            line.append(start, n);
            pos_ += n + 1;
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            return Status::kLine;
        }
        line.append(start, left);
        pos_ = buffer_.size();
    }
    if (error_) {
        return Status::kError;
    }
    return any && !line.empty() ? Status::kLine : Status::kEnd;
}

}  // namespace text
