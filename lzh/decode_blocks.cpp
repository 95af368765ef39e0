// The block format: each block starts with its symbol count and three code tables (the
// code-length code, the literal/length code, the position code), then the symbols.
#include <cstdint>

#include "lzh/decoders.h"
#include "lzh/huffman.h"

namespace lzh {
namespace {

constexpr int kLiteralCodes = 510;  // 256 bytes + match lengths 3..256
constexpr int kLengthCodes = 19;    // codes of the code-length code
constexpr int kMinMatch = 3;

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

    // Reads a table of code lengths sent directly (the code-length code and the position
    // code). `skipAt` is the index after which a two-bit count of zero lengths follows.
    bool ReadLengthCode(int maxCount, int countBits, int skipAt, HuffmanTable* table = nullptr) {
        HuffmanTable& t = table ? *table : lengthTable_;
        in_.Refill();
        int n = static_cast<int>(in_.Get(countBits));
        if (n == 0) {
            int symbol = static_cast<int>(in_.Get(countBits));
            if (symbol >= maxCount) {
                return false;
            }
            t.SetSingle(symbol);
            return true;
        }
        if (n > maxCount) {
            return false;
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
        in_.Refill();
        int n = static_cast<int>(in_.Get(9));
        if (n == 0) {
            int symbol = static_cast<int>(in_.Get(9));
            if (symbol >= kLiteralCodes) {
                return false;
            }
            literalTable_.SetSingle(symbol);
            return true;
        }
        if (n > kLiteralCodes) {
            return false;
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

    bool DecodeSymbols(uint32_t count) {
        for (; count > 0 && !out_.Done(); --count) {
            in_.Refill();
            int c = literalTable_.Decode(in_);
            if (c < 256) {
                if (c < 0) {
                    return false;
                }
                out_.Put(static_cast<uint8_t>(c));
                continue;
            }
            int p = positionTable_.Decode(in_);
            if (p < 0) {
                return false;
            }
            in_.Refill();
            size_t distance =
                p <= 1 ? static_cast<size_t>(p) : (size_t{1} << (p - 1)) + in_.Get(p - 1);
            out_.Copy(distance + 1, static_cast<size_t>(c - 256 + kMinMatch));
        }
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
    return BlockDecoder(in, out, positionCodes, positionBits).Run();
}

}  // namespace lzh
