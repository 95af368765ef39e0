// Canonical Huffman decoding tables as the LZH block methods use them: codes are assigned in
// order of length, then of symbol, most significant bit first; lengths up to 16.
#pragma once

#include <cstdint>
#include <vector>

#include "lzh/bit_reader.h"

namespace lzh {

class HuffmanTable {
public:
    static constexpr int kMaxLength = 16;

    // `fastBits` is the width of the direct lookup; longer codes take a slower path.
    explicit HuffmanTable(int fastBits);

    // Builds from code lengths; false when the lengths over-fill the code space. An
    // incomplete code is accepted: its unused bit patterns fail when decoded.
    bool Build(const uint8_t* lengths, int count);
    // Every symbol decodes to `symbol` using no bits.
    void SetSingle(int symbol);

    // The symbol whose code starts at the top of `bits` and its code length, or -1 for a
    // bit pattern that is no code. Needs 16 valid bits.
    int Lookup(uint64_t bits, int& len) const {
        if (single_ >= 0) {
            len = 0;
            return single_;
        }
        uint32_t e = fast_[bits >> (64 - fastBits_)];
        len = static_cast<int>(e >> 16);
        if (len != 0 && len <= fastBits_) {
            return static_cast<int>(e & 0xFFFF);
        }
        return LookupLong(bits, len);
    }

    // Decodes and consumes the next symbol; -1 for no code. Needs 16 bits available.
    int Decode(BitReader& in) const {
        int len;
        int symbol = Lookup(in.Bits(), len);
        if (symbol >= 0) {
            in.Consume(len);
        }
        return symbol;
    }

private:
    int LookupLong(uint64_t bits, int& len) const;

    int fastBits_;
    int single_ = -1;
    std::vector<uint32_t> fast_;  // symbol | length << 16; length 0 = no code, 0xFF = longer
    uint16_t count_[kMaxLength + 1] = {};
    uint16_t first_[kMaxLength + 1] = {};   // first code of each length
    uint16_t offset_[kMaxLength + 1] = {};  // index into sorted_ of each length's first symbol
    std::vector<uint16_t> sorted_;          // symbols ordered by (length, symbol)
};

}  // namespace lzh
