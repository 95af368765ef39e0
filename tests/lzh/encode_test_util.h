// The writer's sink and member source over strings, for its tests and its fuzz target.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>

#include "lzh/encode.h"

namespace lzh_test {

class StringArchive : public lzh::ArchiveSink {
public:
    bool Write(const void* buf, size_t n) override {
        if (pos_ + n > failAfter) {
            return false;
        }
        if (data.size() < pos_ + n) {
            data.resize(pos_ + n);
        }
        std::memcpy(&data[pos_], buf, n);
        pos_ += n;
        return true;
    }
    bool Seek(uint64_t offset) override {
        pos_ = static_cast<size_t>(offset);
        return pos_ <= data.size();
    }
    bool Truncate(uint64_t size) override {
        data.resize(static_cast<size_t>(size));
        return true;
    }
    std::string data;
    size_t failAfter = std::string::npos;

private:
    size_t pos_ = 0;
};

// Hands out at most `step` bytes per read.
class StringMember : public lzh::MemberSource {
public:
    explicit StringMember(std::string data, size_t step = 1 << 20)
        : data_(std::move(data)), step_(step) {}
    size_t Read(void* buf, size_t n) override {
        n = std::min({n, step_, data_.size() - pos_});
        std::memcpy(buf, data_.data() + pos_, n);
        pos_ += n;
        return n;
    }
    bool Rewind() override {
        pos_ = 0;
        return true;
    }

private:
    std::string data_;
    size_t step_;
    size_t pos_ = 0;
};

}  // namespace lzh_test
