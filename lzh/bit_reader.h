// Most-significant-bit-first bit reader over a member's packed data. Past the end of the data
// it supplies zero bits and counts them, so decoders never read outside a buffer and can tell
// a stream that ran off its end.
#pragma once

#include <cstddef>
#include <cstdint>

#include "lzh/member_input.h"

namespace lzh {

class BitReader {
public:
    explicit BitReader(MemberInput& input) : input_(input) { Refill(); }

    // The next `n` bits (1..32) without consuming them.
    uint32_t Peek(int n) const { return static_cast<uint32_t>(bits_ >> (64 - n)); }
    void Consume(int n) {
        bits_ <<= n;
        count_ -= n;
    }
    // Reads `n` bits (1..32); refills first.
    uint32_t Get(int n) {
        Refill();
        uint32_t v = Peek(n);
        Consume(n);
        return v;
    }
    uint32_t Bit() { return Get(1); }

    // After this at least 57 bits are available to Peek/Consume.
    void Refill() {
        if (count_ > 56) {
            return;
        }
        if (end_ - pos_ >= 8) {
            uint64_t v = 0;
            for (int i = 0; i < 8; ++i) {
                v = (v << 8) | pos_[i];
            }
            // Bits below the new count repeat the stream's next bytes, so OR-ing them again
            // later changes nothing.
            bits_ |= v >> count_;
            int bytes = (63 - count_) >> 3;
            pos_ += bytes;
            count_ += bytes * 8;
            return;
        }
        RefillSlow();
    }

    // True once bits beyond the end of the data have been consumed.
    bool Overrun() const { return padBytes_ * 8 > static_cast<uint64_t>(count_); }
    // Far past the end: a decoder that keeps going is reading noise.
    bool FarOverrun() const { return padBytes_ > 64; }

private:
    void RefillSlow() {
        while (count_ <= 56) {
            if (pos_ == end_) {
                size_t n = input_.ReadChunk(pos_);
                end_ = pos_ + n;
                if (n == 0) {
                    // Zero bits, counted; a bounded count keeps this from growing forever.
                    ++padBytes_;
                    count_ += 8;
                    continue;
                }
            }
            bits_ |= static_cast<uint64_t>(*pos_++) << (56 - count_);
            count_ += 8;
        }
    }

    MemberInput& input_;
    const uint8_t* pos_ = nullptr;
    const uint8_t* end_ = nullptr;
    uint64_t bits_ = 0;
    int count_ = 0;
    uint64_t padBytes_ = 0;
};

}  // namespace lzh
