#include "lzh/macbinary.h"

#include <algorithm>

namespace lzh {
namespace {

constexpr size_t kCrcCovers = 124;

uint32_t Be(const uint8_t* p, int width) {
    uint32_t v = 0;
    for (int i = 0; i < width; ++i) {
        v = v << 8 | p[i];
    }
    return v;
}

uint64_t Padded(uint64_t n) {
    return (n + kMacBinaryHeader - 1) / kMacBinaryHeader * kMacBinaryHeader;
}

}  // namespace

uint16_t CrcXmodem(const uint8_t* data, size_t n) {
    uint16_t crc = 0;
    for (size_t i = 0; i < n; ++i) {
        crc = static_cast<uint16_t>(crc ^ (data[i] << 8));
        for (int bit = 0; bit < 8; ++bit) {
            crc = static_cast<uint16_t>((crc & 0x8000) != 0 ? (crc << 1) ^ 0x1021 : crc << 1);
        }
    }
    return crc;
}

bool IsMacBinaryHeader(const uint8_t* h, uint64_t fileSize) {
    bool fields =
        h[0] == 0 && h[74] == 0 && h[82] == 0 && h[1] >= 1 && h[1] <= 63 && Be(h + 120, 2) == 0;
    // MacLHA 2.24 writes its headers without a CRC, and with zero version bytes to say so.
    bool sealed = CrcXmodem(h, kCrcCovers) == Be(h + kCrcCovers, 2);
    bool maclha = Be(h + 122, 4) == 0;
    if (!fields || !(sealed || maclha)) {
        return false;
    }
    uint64_t data = Be(h + 83, 4);
    uint64_t resource = Be(h + 87, 4);
    uint64_t dataEnd = kMacBinaryHeader + Padded(data);
    uint64_t shortest = resource == 0 ? kMacBinaryHeader + data : dataEnd + resource;
    return fileSize >= shortest && fileSize <= dataEnd + Padded(resource);
}

bool MacBinarySink::Write(const void* buf, size_t n) {
    const uint8_t* p = static_cast<const uint8_t*>(buf);
    if (!decided_) {
        size_t take = std::min(n, kMacBinaryHeader - head_.size());
        head_.insert(head_.end(), p, p + take);
        p += take;
        n -= take;
        if (head_.size() < kMacBinaryHeader) {
            return true;
        }
        if (!Decide()) {
            return false;
        }
    }
    size_t pass = static_cast<size_t>(std::min<uint64_t>(n, left_));
    left_ -= pass;
    return pass == 0 || out_.Write(p, pass);
}

bool MacBinarySink::Finish() {
    return decided_ || head_.empty() || Decide();
}

// A sound header is dropped and the data fork passed on; anything else passes whole.
bool MacBinarySink::Decide() {
    decided_ = true;
    if (head_.size() == kMacBinaryHeader && IsMacBinaryHeader(head_.data(), fileSize_)) {
        left_ = Be(head_.data() + 83, 4);
        return true;
    }
    left_ = UINT64_MAX;
    return out_.Write(head_.data(), head_.size());
}

}  // namespace lzh
