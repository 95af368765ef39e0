#include "text/line_reader.h"

#include <cstring>

namespace text {

namespace {
constexpr size_t kChunk = 65536;
constexpr char kCtrlZ = 0x1A;
}  // namespace

bool LineReader::Open(const std::string& path) {
    return Attach(std::fopen(path.c_str(), "rb"));
}

bool LineReader::Attach(std::FILE* file) {
    file_.reset(file);
    if (!file) {
        return Use(Source());
    }
    return Use([file](char* data, size_t capacity) -> std::optional<size_t> {
        const size_t got = std::fread(data, 1, capacity, file);
        if (got < capacity && std::ferror(file)) {
            return std::nullopt;
        }
        return got;
    });
}

bool LineReader::Attach(Source source) {
    file_.reset();
    return Use(std::move(source));
}

bool LineReader::Use(Source source) {
    source_ = std::move(source);
    buffer_.clear();
    pos_ = 0;
    eof_ = error_ = false;
    return static_cast<bool>(source_);
}

bool LineReader::Refill() {
    if (eof_ || error_ || !source_) {
        return false;
    }
    buffer_.resize(kChunk);
    const std::optional<size_t> got = source_(buffer_.data(), kChunk);
    error_ = !got;
    buffer_.resize(got.value_or(0));
    pos_ = 0;
    eof_ = got && *got < kChunk;
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
