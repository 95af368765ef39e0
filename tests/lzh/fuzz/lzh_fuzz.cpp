// libFuzzer target: the whole reader and every decoder over one archive held in memory.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "lzh/lzh.h"

namespace {

class MemorySource : public lzh::ByteSource {
public:
    MemorySource(const uint8_t* data, size_t size) : data_(data), left_(size) {}
    size_t Read(void* buf, size_t n) override {
        // Short reads on purpose: callers must not rely on full ones.
        n = n < left_ ? n : left_;
        n = n > 7 ? n - n / 8 : n;
        std::memcpy(buf, data_, n);
        data_ += n;
        left_ -= n;
        return n;
    }

private:
    const uint8_t* data_;
    size_t left_;
};

class NullSink : public lzh::ByteSink {
public:
    bool Write(const void*, size_t) override { return true; }
};

// Keeps each run short: a header may claim gigabytes from a few bytes of input.
constexpr uint64_t kMaxOutput = uint64_t{1} << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemorySource source(data, size);
    lzh::Reader reader(source);
    lzh::Member m;
    NullSink sink;
    for (int i = 0; i < 1000 && reader.Next(m) == lzh::Status::kOk; ++i) {
        if (m.originalSize <= kMaxOutput) {
            reader.Extract(sink);
        }
    }
    return 0;
}
