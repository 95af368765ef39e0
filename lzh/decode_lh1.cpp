// -lh1-: an adaptive Huffman code over 314 symbols (256 bytes and match lengths 3..60) whose
// tree is updated after every symbol, and positions whose upper six bits come from a fixed
// code and whose lower six bits follow as they are.
#include <array>
#include <cstdint>

#include "lzh/decoders.h"

namespace lzh {
namespace {

constexpr int kSymbols = 314;
constexpr int kNodes = kSymbols * 2 - 1;
constexpr int kRoot = kNodes - 1;
constexpr uint16_t kMaxFreq = 0x8000;
constexpr int kMinMatch = 3;

// The fixed code of the position's upper six bits, indexed by the next eight input bits:
// the upper bits and the code's length. Codes of 3 to 8 bits, in groups of 1, 3, 8, 12, 24
// and 16 upper-bit values.
struct PositionCode {
    std::array<uint8_t, 256> upper{};
    std::array<uint8_t, 256> length{};
};

constexpr PositionCode MakePositionCode() {
    PositionCode t;
    constexpr int kGroups[6] = {1, 3, 8, 12, 24, 16};
    int index = 0;
    int upper = 0;
    for (int g = 0; g < 6; ++g) {
        int len = g + 3;
        for (int k = 0; k < kGroups[g]; ++k, ++upper) {
            for (int r = 0; r < (1 << (8 - len)); ++r, ++index) {
                t.upper[index] = static_cast<uint8_t>(upper);
                t.length[index] = static_cast<uint8_t>(len);
            }
        }
    }
    return t;
}

constexpr PositionCode kPositionCode = MakePositionCode();

class AdaptiveTree {
public:
    AdaptiveTree() {
        for (int i = 0; i < kSymbols; ++i) {
            freq_[i] = 1;
            child_[i] = static_cast<int16_t>(i + kNodes);
            parent_[i + kNodes] = static_cast<int16_t>(i);
        }
        for (int i = 0, j = kSymbols; j <= kRoot; i += 2, ++j) {
            freq_[j] = static_cast<uint16_t>(freq_[i] + freq_[i + 1]);
            child_[j] = static_cast<int16_t>(i);
            parent_[i] = parent_[i + 1] = static_cast<int16_t>(j);
        }
        freq_[kNodes] = 0xFFFF;  // a sentinel above every real frequency
        parent_[kRoot] = 0;
    }

    int Decode(BitReader& in) {
        in.Refill();
        int node = child_[kRoot];
        // The tree is at most kSymbols deep; the refill keeps enough bits for that only in
        // steps, so refill along the way.
        int depth = 0;
        while (node < kNodes) {
            if (++depth == 48) {
                in.Refill();
                depth = 0;
            }
            node = child_[node + static_cast<int>(in.Peek(1))];
            in.Consume(1);
        }
        int symbol = node - kNodes;
        Update(symbol);
        return symbol;
    }

private:
    // Halves every frequency and rebuilds the tree from the leaves, keeping the nodes
    // ordered by frequency.
    void Rebuild() {
        int j = 0;
        for (int i = 0; i < kNodes; ++i) {
            if (child_[i] >= kNodes) {
                freq_[j] = static_cast<uint16_t>((freq_[i] + 1) / 2);
                child_[j] = child_[i];
                ++j;
            }
        }
        for (int i = 0, n = kSymbols; n < kNodes; i += 2, ++n) {
            uint16_t f = static_cast<uint16_t>(freq_[i] + freq_[i + 1]);
            int k = n - 1;
            while (f < freq_[k]) {
                --k;
            }
            ++k;
            for (int m = n; m > k; --m) {
                freq_[m] = freq_[m - 1];
                child_[m] = child_[m - 1];
            }
            freq_[k] = f;
            child_[k] = static_cast<int16_t>(i);
        }
        for (int i = 0; i < kNodes; ++i) {
            int c = child_[i];
            parent_[c] = static_cast<int16_t>(i);
            if (c < kNodes) {
                parent_[c + 1] = static_cast<int16_t>(i);
            }
        }
    }

    // Counts the symbol and moves its nodes up so that frequencies stay in order.
    void Update(int symbol) {
        if (freq_[kRoot] == kMaxFreq) {
            Rebuild();
        }
        int c = parent_[symbol + kNodes];
        do {
            uint16_t f = ++freq_[c];
            int l = c + 1;
            if (f > freq_[l]) {
                while (f > freq_[++l]) {
                }
                --l;
                freq_[c] = freq_[l];
                freq_[l] = f;
                int i = child_[c];
                parent_[i] = static_cast<int16_t>(l);
                if (i < kNodes) {
                    parent_[i + 1] = static_cast<int16_t>(l);
                }
                int j = child_[l];
                child_[l] = static_cast<int16_t>(i);
                parent_[j] = static_cast<int16_t>(c);
                if (j < kNodes) {
                    parent_[j + 1] = static_cast<int16_t>(c);
                }
                child_[c] = static_cast<int16_t>(j);
                c = l;
            }
            c = parent_[c];
        } while (c != 0);
    }

    uint16_t freq_[kNodes + 1];
    int16_t child_[kNodes];
    int16_t parent_[kNodes + kSymbols];
};

size_t DecodePosition(BitReader& in) {
    in.Refill();
    uint32_t first = in.Peek(8);
    int len = kPositionCode.length[first];
    in.Consume(len);
    uint32_t low = in.Get(6);
    return static_cast<size_t>(kPositionCode.upper[first]) << 6 | low;
}

}  // namespace

Status DecodeLh1(BitReader& in, Window& out) {
    AdaptiveTree tree;
    while (!out.Done()) {
        if (in.FarOverrun()) {
            return Status::kBadData;
        }
        int c = tree.Decode(in);
        if (c < 256) {
            out.Put(static_cast<uint8_t>(c));
            continue;
        }
        size_t distance = DecodePosition(in);
        out.Copy(distance + 1, static_cast<size_t>(c - 256 + kMinMatch));
    }
    return Status::kOk;
}

}  // namespace lzh
