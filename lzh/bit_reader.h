// Most-significant-bit-first bit reader over a member's packed data. Past the end of the data
// it supplies zero bits and counts them, so decoders never read outside a buffer and can tell
// a stream that ran off its end.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "lzh/member_input.h"

namespace lzh {

class BitReader {
public:
    // The reader's position, for hot loops that keep it in registers: a store through a byte
    // pointer may alias any object, so members would be reloaded after every output byte.
    struct State {
        uint64_t bits = 0;  // next bit at the top; bits below `count` repeat what follows
        int count = 0;
        const uint8_t* pos = nullptr;
        const uint8_t* end = nullptr;

        // Tops `bits` up to at least 57 bits from the buffer; false when it holds fewer than
        // 8 bytes (the caller then goes through BitReader::Refill).
        bool RefillFast() {
            if (end - pos < 8) {
                return false;
            }
            uint64_t v;
            std::memcpy(&v, pos, 8);
            bits |= ToBigEndian(v) >> count;
            int bytes = (63 - count) >> 3;
            pos += bytes;
            count += bytes * 8;
            return true;
        }
    };

    explicit BitReader(MemberInput& input) : input_(&input) { Refill(); }

    State Save() const { return s_; }
    void Restore(const State& s) { s_ = s; }

    // The next 64 bits, next bit at the top; at least 57 of them valid after Refill.
    uint64_t Bits() const { return s_.bits; }
    // The next `n` bits (1..32) without consuming them.
    uint32_t Peek(int n) const { return static_cast<uint32_t>(s_.bits >> (64 - n)); }
    void Consume(int n) {
        s_.bits <<= n;
        s_.count -= n;
    }
    // Reads `n` bits (1..32); refills first.
    uint32_t Get(int n) {
        Refill();
        uint32_t v = Peek(n);
        Consume(n);
        return v;
    }

    // After this at least 57 bits are available to Peek/Consume.
    void Refill() {
        if (s_.count <= 56 && !s_.RefillFast()) {
            RefillSlow();
        }
    }

    // True once bits beyond the end of the data have been consumed.
    bool Overrun() const { return padBytes_ * 8 > static_cast<uint64_t>(s_.count); }
    // Far past the end: a decoder that keeps going is reading noise.
    bool FarOverrun() const { return padBytes_ > 64; }

private:
    static uint64_t ToBigEndian(uint64_t v) {
        if constexpr (std::endian::native == std::endian::little) {
            return __builtin_bswap64(v);
        }
        return v;
    }

    void RefillSlow() {
        while (s_.count <= 56) {
            if (s_.pos == s_.end) {
                size_t n = input_->ReadChunk(s_.pos);
                s_.end = s_.pos + n;
                if (n == 0) {
                    // Zero bits, counted; a bounded count keeps this from growing forever.
                    ++padBytes_;
                    s_.count += 8;
                    continue;
                }
            }
            s_.bits |= static_cast<uint64_t>(*s_.pos++) << (56 - s_.count);
            s_.count += 8;
        }
    }

    MemberInput* input_;
    State s_;
    uint64_t padBytes_ = 0;
};

}  // namespace lzh
