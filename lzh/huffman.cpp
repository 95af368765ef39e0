#include "lzh/huffman.h"

#include <algorithm>

namespace lzh {
namespace {

constexpr uint32_t kLongMark = 0xFFu << 16;

}  // namespace

HuffmanTable::HuffmanTable(int fastBits) : fastBits_(fastBits), fast_(size_t{1} << fastBits) {}

void HuffmanTable::SetSingle(int symbol) {
    single_ = symbol;
}

bool HuffmanTable::Build(const uint8_t* lengths, int count) {
    single_ = -1;
    std::fill(std::begin(count_), std::end(count_), 0);
    for (int i = 0; i < count; ++i) {
        if (lengths[i] > kMaxLength) {
            return false;
        }
        ++count_[lengths[i]];
    }
    count_[0] = 0;
    int32_t left = 1;
    uint32_t code = 0;
    uint16_t index = 0;
    for (int len = 1; len <= kMaxLength; ++len) {
        left = left * 2 - count_[len];
        if (left < 0) {
            return false;
        }
        first_[len] = static_cast<uint16_t>(code);
        offset_[len] = index;
        index = static_cast<uint16_t>(index + count_[len]);
        code = (code + count_[len]) << 1;
    }
    sorted_.assign(index, 0);
    std::fill(fast_.begin(), fast_.end(), 0);
    uint16_t next[kMaxLength + 1];
    std::copy(std::begin(first_), std::end(first_), std::begin(next));
    uint16_t slot[kMaxLength + 1];
    std::copy(std::begin(offset_), std::end(offset_), std::begin(slot));
    for (int sym = 0; sym < count; ++sym) {
        int len = lengths[sym];
        if (len == 0) {
            continue;
        }
        sorted_[slot[len]++] = static_cast<uint16_t>(sym);
        uint32_t c = next[len]++;
        if (len <= fastBits_) {
            int shift = fastBits_ - len;
            uint32_t entry = static_cast<uint32_t>(sym) | static_cast<uint32_t>(len) << 16;
            std::fill_n(fast_.begin() + (c << shift), size_t{1} << shift, entry);
        } else {
            fast_[c >> (len - fastBits_)] = kLongMark;
        }
    }
    return true;
}

int HuffmanTable::LookupLong(uint64_t bits, int& len) const {
    if ((fast_[bits >> (64 - fastBits_)] & kLongMark) != kLongMark) {
        return -1;
    }
    uint32_t top = static_cast<uint32_t>(bits >> (64 - kMaxLength));
    for (len = fastBits_ + 1; len <= kMaxLength; ++len) {
        uint32_t code = top >> (kMaxLength - len);
        if (code - first_[len] < count_[len]) {
            return sorted_[offset_[len] + code - first_[len]];
        }
    }
    return -1;
}

}  // namespace lzh
