// The block format: each block starts with its symbol count and three code tables (the
// code-length code, the literal/length code, the position code), then the symbols.
#include <cstdint>

#include "lzh/decoders.h"
#include "lzh/huffman.h"

namespace lzh {
namespace {

constexpr int kLiteralCodes = 510;       // 256 bytes + match lengths 3..256
constexpr int kLharkLiteralCodes = 289;  // 256 bytes + 33 length codes for lengths 3..514
constexpr int kLengthCodes = 19;         // codes of the code-length code
constexpr int kLharkPositionCodes = 32;  // a 64 KiB dictionary
constexpr int kMinMatch = 3;

// The next `n` (1..32) bits of a hot-loop state, consumed.
size_t TakeBits(BitReader::State& bits, int n) {
    auto v = static_cast<size_t>(bits.bits >> (64 - n));
    bits.bits <<= n;
    bits.count -= n;
    return v;
}

// LHark's length codes: eight plain lengths 3..10, then groups of four codes whose extra bits
// grow by one per group, and a last code for the longest match. Up to 6 bits are taken.
size_t LharkMatchLength(int c, BitReader::State& bits) {
    int code = c - 256;
    if (code < 8) {
        return static_cast<size_t>(code + kMinMatch);
    }
    if (code >= 32) {
        return 514;
    }
    int extra = (code - 4) >> 2;
    size_t base = static_cast<size_t>(4 + (code & 3)) << extra;
    return base + TakeBits(bits, extra) + kMinMatch;
}

// LHark's position codes: 0..3 stand for themselves, then two codes per power of two, each
// covering half of it. Up to 14 bits are taken (codes stay below 32: a 64 KiB dictionary).
size_t LharkDistance(int p, BitReader::State& bits) {
    if (p < 4) {
        return static_cast<size_t>(p);
    }
    int extra = (p - 2) >> 1;
    size_t base = static_cast<size_t>(2 + (p & 1)) << extra;
    return base + TakeBits(bits, extra);
}

// `kLhark`: LHark's -lh7-, which codes match lengths and distances its own way; the standard
// methods compile without a trace of it.
template <bool kLhark>
class BlockDecoder {
public:
    BlockDecoder(BitReader& in, Window& out, int positionCodes, int positionBits)
        : in_(in),
          out_(out),
          positionCodes_(positionCodes),
          positionBits_(positionBits),
          lengthTable_(8),
          literalTable_(12),
          positionTable_(8) {}

    Status Run() {
        while (!out_.Done()) {
            if (in_.FarOverrun()) {
                return Status::kBadData;
            }
            in_.Refill();
            uint32_t symbols = in_.Get(16);
            if (!ReadLengthCode(kLengthCodes, 5, 3) || !ReadLiteralCode() ||
                !ReadLengthCode(positionCodes_, positionBits_, -1, &positionTable_)) {
                return Status::kBadData;
            }
            if (!DecodeSymbols(symbols)) {
                return Status::kBadData;
            }
        }
        return Status::kOk;
    }

private:
    // A code length: three bits, and 7 continued in unary (one bits closed by a zero).
    bool ReadCodeLength(uint8_t& len) {
        in_.Refill();
        uint32_t c = in_.Get(3);
        if (c == 7) {
            while (in_.Get(1) == 1) {
                if (++c > HuffmanTable::kMaxLength) {
                    return false;
                }
            }
        }
        len = static_cast<uint8_t>(c);
        return true;
    }

    // The number of code lengths that follow; 0 stands for a code of one symbol, which is sent
    // next (then `n` is 0 and the table is set). False for a count or symbol out of range.
    bool ReadCount(int countBits, int maxCount, HuffmanTable& t, int& n) {
        in_.Refill();
        n = static_cast<int>(in_.Get(countBits));
        if (n == 0) {
            int symbol = static_cast<int>(in_.Get(countBits));
            if (symbol >= maxCount) {
                return false;
            }
            t.SetSingle(symbol);
            return true;
        }
        return n <= maxCount;
    }

    // Reads a table of code lengths sent directly (the code-length code and the position
    // code). `skipAt` is the index after which a two-bit count of zero lengths follows.
    bool ReadLengthCode(int maxCount, int countBits, int skipAt, HuffmanTable* table = nullptr) {
        HuffmanTable& t = table ? *table : lengthTable_;
        int n;
        if (!ReadCount(countBits, maxCount, t, n)) {
            return false;
        }
        if (n == 0) {
            return true;
        }
        uint8_t lengths[32] = {};
        for (int i = 0; i < n;) {
            if (!ReadCodeLength(lengths[i])) {
                return false;
            }
            ++i;
            if (i == skipAt) {
                i += static_cast<int>(in_.Get(2));
                if (i > n) {
                    return false;
                }
            }
        }
        return t.Build(lengths, n);
    }

    // The literal/length code's lengths, themselves coded with the code-length code; codes
    // 0 to 2 stand for runs of zero lengths.
    bool ReadLiteralCode() {
        int n;
        if (!ReadCount(9, kLhark ? kLharkLiteralCodes : kLiteralCodes, literalTable_, n)) {
            return false;
        }
        if (n == 0) {
            return true;
        }
        uint8_t lengths[kLiteralCodes] = {};
        for (int i = 0; i < n;) {
            in_.Refill();
            int c = lengthTable_.Decode(in_);
            if (c < 0) {
                return false;
            }
            if (c > 2) {
                lengths[i++] = static_cast<uint8_t>(c - 2);
                continue;
            }
            int run = c == 0   ? 1
                      : c == 1 ? static_cast<int>(in_.Get(4)) + 3
                               : static_cast<int>(in_.Get(9)) + 20;
            if (i + run > n) {
                return false;
            }
            i += run;
        }
        return literalTable_.Build(lengths, n);
    }

    // The hot loop: bit buffer and output position live in locals, and the reader and the
    // window are synchronised only around their slow paths.
    bool DecodeSymbols(uint32_t count) {
        BitReader::State bits = in_.Save();
        Window::Cursor cur = out_.Open();
        for (; count > 0; --count) {
            if (bits.count < 40 && !bits.RefillFast()) {
                in_.Restore(bits);
                in_.Refill();
                bits = in_.Save();
            }
            int len;
            int c = literalTable_.Lookup(bits.bits, len);
            if (c < 0) {
                return false;
            }
            bits.bits <<= len;
            bits.count -= len;
            if (c < 256) {
                if (!cur.Put(static_cast<uint8_t>(c))) {
                    out_.Close(cur);
                    out_.Put(static_cast<uint8_t>(c));
                    cur = out_.Open();
                }
            } else {
                // LHark sends a length's extra bits before the position code; at most 22
                // bits are gone since the refill, so 18 remain for the position code.
                size_t lharkLen = 0;
                if constexpr (kLhark) {
                    lharkLen = LharkMatchLength(c, bits);
                }
                int p = positionTable_.Lookup(bits.bits, len);
                if (p < 0) {
                    return false;
                }
                bits.bits <<= len;
                bits.count -= len;
                size_t distance = static_cast<size_t>(p);
                if (p > 1) {
                    if (bits.count < 24 && !bits.RefillFast()) {
                        in_.Restore(bits);
                        in_.Refill();
                        bits = in_.Save();
                    }
                    if constexpr (kLhark) {
                        distance = LharkDistance(p, bits);
                    } else {
                        int extra = p - 1;
                        distance = (size_t{1} << extra) + TakeBits(bits, extra);
                    }
                }
                // Computed only here for the standard methods: live across the position
                // code it costs them a register.
                size_t matchLen = kLhark ? lharkLen : static_cast<size_t>(c - 256 + kMinMatch);
                if (!cur.Copy(distance + 1, matchLen)) {
                    out_.Close(cur);
                    out_.Copy(distance + 1, matchLen);
                    cur = out_.Open();
                }
            }
            if (out_.Done()) {
                break;
            }
        }
        in_.Restore(bits);
        out_.Close(cur);
        return true;
    }

    BitReader& in_;
    Window& out_;
    int positionCodes_;
    int positionBits_;
    HuffmanTable lengthTable_;
    HuffmanTable literalTable_;
    HuffmanTable positionTable_;
};

}  // namespace

Status DecodeBlocks(BitReader& in, Window& out, int positionCodes, int positionBits) {
    return BlockDecoder<false>(in, out, positionCodes, positionBits).Run();
}

Status DecodeLharkBlocks(BitReader& in, Window& out) {
    return BlockDecoder<true>(in, out, kLharkPositionCodes, 6).Run();
}

}  // namespace lzh
