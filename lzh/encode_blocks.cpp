#include "lzh/encode_blocks.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "lzh/huffman_encode.h"

namespace lzh {
namespace {

constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 256;
constexpr int kLiteralCodes = 510;
constexpr int kLengthCodes = 19;
constexpr int kMaxPositionCodes = 17;
constexpr int kMaxCodeLength = 16;
constexpr int kHashBits = 16;
constexpr int kHash3Bits = 14;
constexpr size_t kSegment = size_t{1} << 15;  // positions parsed together by the best effort
constexpr uint32_t kFar3 = 16384;
constexpr int kPriceRounds = 3;  // ways worked out per segment by the best effort

// A match known to hold at a position.
struct Seed {
    int len = 0;
    uint32_t dist = 0;
};

struct Tuning {
    int chain;      // candidates tried per position
    int nice;       // a match this long ends the search
    int lazy;       // no second look once a match is this long
    size_t block;   // symbols per block
};
constexpr Tuning kDefaultTuning{16, 128, 64, 16384};
constexpr Tuning kBestTuning{512, 256, 256, 32768};

Tuning TuningFor(Effort effort) { return effort == Effort::kBest ? kBestTuning : kDefaultTuning; }

int BitLength(uint32_t v) { return v == 0 ? 0 : 32 - std::countl_zero(v); }

// Bits gathered most significant first, handed to the sink in pieces.
class BitWriter {
public:
    explicit BitWriter(ByteSink& sink) : sink_(sink), bytes_(kFlushAt + 8) {}

    void Put(uint32_t value, int n) {
        acc_ = acc_ << n | value;
        count_ += n;
        if (count_ >= 32) {
            count_ -= 32;
            uint32_t v = static_cast<uint32_t>(acc_ >> count_);
            uint8_t* b = &bytes_[used_];
            b[0] = static_cast<uint8_t>(v >> 24);
            b[1] = static_cast<uint8_t>(v >> 16);
            b[2] = static_cast<uint8_t>(v >> 8);
            b[3] = static_cast<uint8_t>(v);
            used_ += 4;
            if (used_ >= kFlushAt) {
                Flush();
            }
        }
    }
    bool Finish() {
        while (count_ > 0) {
            int take = std::min(count_, 8);
            uint8_t b = static_cast<uint8_t>((acc_ >> (count_ - take)) << (8 - take));
            bytes_[used_++] = b;
            count_ -= take;
        }
        Flush();
        return ok_;
    }
    bool Ok() const { return ok_; }
    uint64_t Written() const { return written_ + used_; }

private:
    static constexpr size_t kFlushAt = 1 << 16;
    void Flush() {
        if (ok_ && used_ > 0) {
            ok_ = sink_.Write(bytes_.data(), used_);
        }
        written_ += used_;
        used_ = 0;
    }

    ByteSink& sink_;
    std::vector<uint8_t> bytes_;
    size_t used_ = 0;
    uint64_t acc_ = 0;
    int count_ = 0;
    uint64_t written_ = 0;
    bool ok_ = true;
};

struct Code {
    uint8_t len[kLiteralCodes] = {};
    uint16_t bits[kLiteralCodes] = {};
    int used = 0;  // symbols with a nonzero frequency
    int single = 0;
};

void MakeCode(const uint32_t* freq, int n, Code& c) {
    BuildCodeLengths(freq, n, kMaxCodeLength, c.len);
    BuildCodes(c.len, n, c.bits);
    c.used = 0;
    for (int s = 0; s < n; ++s) {
        if (freq[s] != 0) {
            ++c.used;
            c.single = s;
        }
    }
}

// Table count: the last used symbol plus one.
int Trimmed(const uint8_t* len, int n) {
    while (n > 0 && len[n - 1] == 0) {
        --n;
    }
    return n;
}

}  // namespace

struct BlockPacker::Impl {
    Impl(int dictBits, int positionCodes, int positionBits, Effort effort, ByteSink& out)
        : window(uint32_t{1} << dictBits),
          npos(positionCodes),
          pbit(positionBits),
          best(effort == Effort::kBest),
          tune(TuningFor(effort)),
          bufSize(2 * window + 2 * kSegment),
          buf(bufSize + 8, 0),
          head(size_t{1} << kHashBits, 0),
          prev(window, 0),
          head3(size_t{1} << kHash3Bits, 0),
          bits(out) {
        syms.reserve(tune.block);
        dists.reserve(tune.block);
    }

    // --- input window and hash chains
    uint32_t End() const { return base + static_cast<uint32_t>(filled); }
    const uint8_t* At(uint32_t p) const { return &buf[p - base]; }
    uint32_t Bytes(uint32_t p) const {
        uint32_t v;
        std::memcpy(&v, At(p), 4);
        return v;
    }
    // Chains link positions by their first four bytes: three-byte matches are worth little,
    // and mostly only near, so only the latest position of each three bytes is kept.
    uint32_t Hash4(uint32_t p) const { return (Bytes(p) * 2654435761u) >> (32 - kHashBits); }
    uint32_t Hash3(uint32_t p) const {
        return ((Bytes(p) & 0xFFFFFF) * 2654435761u) >> (32 - kHash3Bits);
    }
    // Enters `p`; `near` gets the latest position with the same three bytes.
    uint32_t Insert(uint32_t p, uint32_t& near) {
        if (End() - p < 4) {
            near = p;
            return p;
        }
        uint32_t& h3 = head3[Hash3(p)];
        near = h3;
        h3 = p;
        uint32_t& h = head[Hash4(p)];
        uint32_t old = h;
        prev[p & (window - 1)] = static_cast<uint16_t>(p - old < window ? p - old : 0);
        h = p;
        return old;
    }
    void Insert(uint32_t p) {
        uint32_t near;
        Insert(p, near);
    }
    int MatchLength(const uint8_t* a, const uint8_t* b, int limit) const {
        int n = 0;
        while (n < limit) {
            uint64_t x, y;
            std::memcpy(&x, a + n, 8);
            std::memcpy(&y, b + n, 8);
            if (x != y) {
                n += std::countr_zero(x ^ y) >> 3;
                break;
            }
            n += 8;
        }
        return std::min(n, limit);
    }
    // A match longer than `len` at `p` holds the four bytes that end one past it: the chain
    // of those, from its latest entry, has no candidate that stops short of them. Sets `cand`
    // to that entry less the offset, and returns the offset.
    uint32_t PastMatch(uint32_t p, int len, uint32_t& cand) const {
        const uint32_t off = static_cast<uint32_t>(len) - 3;
        cand = head[Hash4(p + off)] - off;
        return off;
    }
    // Enters `p` and returns its longest match found within `chain` candidates (kMinMatch - 1
    // for none). With `record`, every length improvement is kept as (length, distance). A
    // `seed` known to match at `p` leaves only longer matches to look for.
    int Search(uint32_t p, uint32_t& dist, int chain,
               std::vector<std::pair<int, uint32_t>>* record = nullptr, Seed seed = {}) {
        uint32_t near;
        uint32_t cand = Insert(p, near);
        const int limit = static_cast<int>(std::min<uint32_t>(kMaxMatch, End() - p));
        const int enough = std::min(limit, tune.nice);
        const uint8_t* q = At(p);
        // Distances run from 1 to this; a candidate at or past `p`, or before the data's start,
        // wraps beyond it.
        const uint32_t farthest = std::min(p, window - 1);
        int bestLen = kMinMatch - 1;
        uint32_t off = 0;  // the chain walked is that of the bytes at `cand` + `off`
        auto improve = [&](int len, uint32_t d) {
            bestLen = len;
            dist = d;
            if (record) {
                record->push_back({len, d});
            }
        };
        if (seed.len >= 4) {
            bestLen = seed.len;
            dist = seed.dist;
            if (seed.len >= limit) {
                return bestLen;
            }
            off = PastMatch(p, seed.len, cand);
        } else if (p - near - 1 < farthest) {
            int len = MatchLength(q - (p - near), q, limit);
            if (len > kMinMatch || (len == kMinMatch && p - near <= kFar3)) {
                improve(len, p - near);
                if (len > kMinMatch && len < limit) {
                    off = PastMatch(p, len, cand);
                }
            }
        }
        while (bestLen < enough && chain-- > 0) {
            const uint32_t d = p - cand;
            if (d - 1 >= farthest) {
                break;
            }
            const uint8_t* c = q - d;
            if (c[bestLen] == q[bestLen]) {
                int len = MatchLength(c, q, limit);
                if (len > bestLen && !(len == kMinMatch && d > kFar3) &&
                    (record || bestLen < kMinMatch || Gain(len, d) > Gain(bestLen, dist))) {
                    improve(len, d);
                    if (len > kMinMatch && len < limit) {
                        off = PastMatch(p, len, cand);
                        continue;
                    }
                }
            }
            const uint32_t back = prev[(cand + off) & (window - 1)];
            if (back == 0) {
                break;
            }
            cand -= back;
        }
        return bestLen;
    }
    void Slide() {
        uint32_t keep = pos - base >= window ? pos - window : base;
        size_t drop = keep - base;
        std::memmove(buf.data(), buf.data() + drop, filled - drop);
        filled -= drop;
        base = keep;
    }

    // What a match saves against literals, in 1/16 bits, by the last block's code lengths.
    int Gain(int len, uint32_t dist) const {
        const int slot = BitLength(dist - 1);
        const int bits = litPrice[256 + len - kMinMatch] + posPrice[slot] + (slot > 1 ? slot - 1 : 0);
        return len * litAverage - 16 * bits;
    }

    // --- symbols and blocks
    void Literal(uint8_t b) {
        syms.push_back(b);
        ++cfreq[b];
        if (syms.size() >= tune.block) {
            WriteBlock();
        }
    }
    void Match(int len, uint32_t dist) {
        uint16_t c = static_cast<uint16_t>(256 + len - kMinMatch);
        syms.push_back(c);
        dists.push_back(static_cast<uint16_t>(dist - 1));
        ++cfreq[c];
        ++pfreq[BitLength(dist - 1)];
        if (syms.size() >= tune.block) {
            WriteBlock();
        }
    }
    void WriteBlock();
    void WriteLengths(const Code& code, int n, int countBits, int skipAt);
    void WriteLiteralLengths(const Code& lit, const Code& tcode);
    void CountLengthFreq(const Code& lit, uint32_t* tfreq) const;

    // --- parsing
    void LazyStep();
    void ParseSegment(uint32_t end);
    void CheapestPath(size_t n);
    void PricesFromPath(size_t n);
    void EmitPath(size_t n);
    void Run(bool final);

    uint32_t window;
    int npos;
    int pbit;
    bool best;
    Tuning tune;
    size_t bufSize;
    std::vector<uint8_t> buf;
    uint32_t base = 0;  // stream position of buf[0]
    size_t filled = 0;
    uint32_t pos = 0;  // next position to code
    std::vector<uint32_t> head;
    std::vector<uint16_t> prev;  // back to the previous entry of a chain; 0 ends it
    std::vector<uint32_t> head3;
    // Lazy matching: a match found at pos - 1 waits for a look at pos.
    bool pending = false;
    int pendingLen = 0;
    uint32_t pendingDist = 0;

    std::vector<uint16_t> syms;
    std::vector<uint16_t> dists;
    uint32_t cfreq[kLiteralCodes] = {};
    uint32_t pfreq[kMaxPositionCodes] = {};
    // Bit prices of the last block's codes, for the best effort's choices.
    uint8_t litPrice[kLiteralCodes] = {};
    uint8_t posPrice[kMaxPositionCodes] = {};
    int litAverage = 8 * 16;  // a literal's bits on average in the last block, in 1/16 bits
    BitWriter bits;
    // The best effort's working space, kept from one segment to the next.
    std::vector<std::pair<int, uint32_t>> found;  // (length, distance) by position
    std::vector<uint32_t> firstFound;             // each position's first entry in `found`
    std::vector<uint8_t> forced;                  // a long match taken whole starts here
    std::vector<uint32_t> cost;
    std::vector<uint16_t> stepLen;
    std::vector<uint32_t> stepDist;
};

// Walks the literal code's lengths as the length code sends them: a length k as symbol k + 2,
// runs of zeros as symbols 0 to 2 with their extra bits. `emit(symbol, extra, extraBits)`.
template <typename Emit>
void ForEachLengthSymbol(const Code& lit, int n, Emit emit) {
    for (int i = 0; i < n;) {
        int k = lit.len[i++];
        if (k != 0) {
            emit(k + 2, 0, 0);
            continue;
        }
        int run = 1;
        while (i < n && lit.len[i] == 0) {
            ++i;
            ++run;
        }
        if (run <= 2) {
            for (int r = 0; r < run; ++r) {
                emit(0, 0, 0);
            }
        } else if (run <= 18) {
            emit(1, run - 3, 4);
        } else if (run == 19) {
            emit(0, 0, 0);
            emit(1, 15, 4);
        } else {
            emit(2, run - 20, 9);
        }
    }
}

void BlockPacker::Impl::CountLengthFreq(const Code& lit, uint32_t* tfreq) const {
    ForEachLengthSymbol(lit, Trimmed(lit.len, kLiteralCodes),
                        [&](int symbol, int, int) { ++tfreq[symbol]; });
}

// A table of lengths sent directly: 3 bits each, 7 and up continued in unary.
void BlockPacker::Impl::WriteLengths(const Code& code, int n, int countBits, int skipAt) {
    if (code.used <= 1) {
        bits.Put(0, countBits);
        bits.Put(static_cast<uint32_t>(code.used ? code.single : 0), countBits);
        return;
    }
    n = Trimmed(code.len, n);
    bits.Put(static_cast<uint32_t>(n), countBits);
    for (int i = 0; i < n;) {
        int k = code.len[i++];
        if (k <= 6) {
            bits.Put(static_cast<uint32_t>(k), 3);
        } else {
            bits.Put((1u << (k - 3)) - 2, k - 3);
        }
        if (i == skipAt) {
            int zeros = 0;
            while (i < 6 && i < n && code.len[i] == 0) {
                ++i;
                ++zeros;
            }
            bits.Put(static_cast<uint32_t>(zeros), 2);
        }
    }
}

void BlockPacker::Impl::WriteLiteralLengths(const Code& lit, const Code& t) {
    int n = Trimmed(lit.len, kLiteralCodes);
    bits.Put(static_cast<uint32_t>(n), 9);
    ForEachLengthSymbol(lit, n, [&](int symbol, int extra, int extraBits) {
        if (t.used > 1) {
            bits.Put(t.bits[symbol], t.len[symbol]);
        }
        if (extraBits > 0) {
            bits.Put(static_cast<uint32_t>(extra), extraBits);
        }
    });
}

void BlockPacker::Impl::WriteBlock() {
    if (syms.empty()) {
        return;
    }
    Code lit;
    Code posc;
    Code t;
    MakeCode(cfreq, kLiteralCodes, lit);
    MakeCode(pfreq, npos, posc);
    bits.Put(static_cast<uint32_t>(syms.size()), 16);
    if (lit.used <= 1) {
        t.used = 0;
        WriteLengths(t, kLengthCodes, 5, 3);
        bits.Put(0, 9);
        bits.Put(static_cast<uint32_t>(lit.single), 9);
    } else {
        uint32_t tfreq[kLengthCodes] = {};
        CountLengthFreq(lit, tfreq);
        MakeCode(tfreq, kLengthCodes, t);
        WriteLengths(t, kLengthCodes, 5, 3);
        WriteLiteralLengths(lit, t);
    }
    WriteLengths(posc, npos, pbit, -1);
    const bool litCoded = lit.used > 1;
    const bool posCoded = posc.used > 1;
    const uint16_t* d = dists.data();
    for (uint16_t c : syms) {
        if (litCoded) {
            bits.Put(lit.bits[c], lit.len[c]);
        }
        if (c >= 256) {
            const uint32_t dist = *d++;
            const int p = BitLength(dist);
            if (posCoded) {
                bits.Put(posc.bits[p], posc.len[p]);
            }
            if (p > 1) {
                bits.Put(dist & ((1u << (p - 1)) - 1), p - 1);
            }
        }
    }
    for (int s = 0; s < kLiteralCodes; ++s) {
        litPrice[s] = static_cast<uint8_t>(lit.len[s] ? lit.len[s] : 12);
    }
    for (int s = 0; s < npos; ++s) {
        posPrice[s] = static_cast<uint8_t>(posc.len[s] ? posc.len[s] : 8);
    }
    uint64_t litBits = 0;
    uint64_t lits = 0;
    for (int s = 0; s < 256; ++s) {
        litBits += uint64_t{cfreq[s]} * lit.len[s];
        lits += cfreq[s];
    }
    if (lits > 0) {
        litAverage = static_cast<int>(litBits * 16 / lits);
    }
    syms.clear();
    dists.clear();
    std::fill(std::begin(cfreq), std::end(cfreq), 0);
    std::fill(std::begin(pfreq), std::end(pfreq), 0);
}

// One step of lazy matching (as deflate does it): a match is sent only when the next position
// does not start a longer one.
void BlockPacker::Impl::LazyStep() {
    int prevLen = pendingLen;
    uint32_t prevDist = pendingDist;
    uint32_t dist = 0;
    int len = kMinMatch - 1;
    if (prevLen < tune.lazy) {
        int chain = prevLen >= 16 ? tune.chain / 4 : tune.chain;
        // The pending match, one byte shorter, holds here too.
        Seed seed = prevLen > 4 ? Seed{prevLen - 1, prevDist} : Seed{};
        len = Search(pos, dist, chain, nullptr, seed);
        if (len == seed.len) {
            len = kMinMatch - 1;
        }
    } else {
        Insert(pos);
    }
    if (pending && prevLen >= kMinMatch &&
        (len < kMinMatch ||
         Gain(len, dist) + litAverage - 16 * litPrice[*At(pos - 1)] <= Gain(prevLen, prevDist))) {
        Match(prevLen, prevDist);
        uint32_t stop = pos - 1 + static_cast<uint32_t>(prevLen);
        while (++pos < stop) {
            Insert(pos);
        }
        pending = false;
        pendingLen = 0;
        return;
    }
    if (pending) {
        Literal(*At(pos - 1));
    }
    pending = true;
    pendingLen = len;
    pendingDist = dist;
    ++pos;
}

// The best effort: the matches of a segment of positions are found once; then the cheapest
// way through them is worked out by bit prices, first the last block's, then again by the
// prices of the way found before.
void BlockPacker::Impl::ParseSegment(uint32_t end) {
    const size_t n = end - pos;
    found.clear();
    firstFound.assign(n + 1, 0);
    forced.assign(n, 0);
    for (size_t i = 0; i < n;) {
        const uint32_t p = pos + static_cast<uint32_t>(i);
        firstFound[i] = static_cast<uint32_t>(found.size());
        uint32_t dist = 0;
        size_t before = found.size();
        int longest = Search(p, dist, tune.chain, &found);
        longest = std::min<int>(longest, static_cast<int>(n - i));
        for (size_t k = before; k < found.size(); ++k) {
            found[k].first = std::min(found[k].first, longest);
        }
        ++i;
        // A long match is taken whole: searching inside it gains next to nothing.
        if (longest >= tune.nice) {
            forced[i - 1] = 1;
            for (int k = 1; k < longest; ++k, ++i) {
                firstFound[i] = static_cast<uint32_t>(found.size());
                Insert(pos + static_cast<uint32_t>(i));
            }
        }
    }
    firstFound[n] = static_cast<uint32_t>(found.size());
    for (int round = 0; round < kPriceRounds; ++round) {
        CheapestPath(n);
        if (round + 1 < kPriceRounds) {
            PricesFromPath(n);
        }
    }
    EmitPath(n);
}

void BlockPacker::Impl::CheapestPath(size_t n) {
    cost.assign(n + 1, UINT32_MAX);
    stepLen.assign(n + 1, 0);
    stepDist.assign(n + 1, 0);
    cost[0] = 0;
    for (size_t i = 0; i < n; ++i) {
        if (cost[i] == UINT32_MAX) {
            continue;
        }
        const uint32_t p = pos + static_cast<uint32_t>(i);
        if (!forced[i]) {
            uint32_t lit = cost[i] + litPrice[*At(p)];
            if (lit < cost[i + 1]) {
                cost[i + 1] = lit;
                stepLen[i + 1] = 1;
            }
        }
        int from = kMinMatch;
        for (uint32_t k = firstFound[i]; k < firstFound[i + 1]; ++k) {
            const auto [len, d] = found[k];
            int p2 = BitLength(d - 1);
            uint32_t dcost = posPrice[p2] + (p2 > 1 ? p2 - 1 : 0);
            for (int l = forced[i] ? len : from; l <= len; ++l) {
                uint32_t c = cost[i] + litPrice[256 + l - kMinMatch] + dcost;
                if (c < cost[i + l]) {
                    cost[i + l] = c;
                    stepLen[i + l] = static_cast<uint16_t>(l);
                    stepDist[i + l] = d;
                }
            }
            from = len + 1;
        }
        if (forced[i]) {
            // Nothing starts inside a match taken whole.
            const auto last = found[firstFound[i + 1] - 1].first;
            for (int k = 1; k < last; ++k) {
                cost[i + k] = UINT32_MAX;
            }
            i += static_cast<size_t>(last) - 1;
        }
    }
}

// Prices from the symbols of the way found, added to what the block holds so far.
void BlockPacker::Impl::PricesFromPath(size_t n) {
    uint32_t c[kLiteralCodes];
    uint32_t q[kMaxPositionCodes];
    std::copy(std::begin(cfreq), std::end(cfreq), c);
    std::copy(std::begin(pfreq), std::end(pfreq), q);
    for (size_t at = n; at > 0; at -= stepLen[at]) {
        if (stepLen[at] == 1) {
            ++c[*At(pos + static_cast<uint32_t>(at - 1))];
        } else {
            ++c[256 + stepLen[at] - kMinMatch];
            ++q[BitLength(stepDist[at] - 1)];
        }
    }
    uint8_t len[kLiteralCodes];
    BuildCodeLengths(c, kLiteralCodes, kMaxCodeLength, len);
    for (int s = 0; s < kLiteralCodes; ++s) {
        litPrice[s] = static_cast<uint8_t>(len[s] ? len[s] : 14);
    }
    BuildCodeLengths(q, npos, kMaxCodeLength, len);
    for (int s = 0; s < npos; ++s) {
        posPrice[s] = static_cast<uint8_t>(len[s] ? len[s] : 10);
    }
}

void BlockPacker::Impl::EmitPath(size_t n) {
    std::vector<std::pair<uint16_t, uint32_t>> path;
    for (size_t at = n; at > 0; at -= stepLen[at]) {
        path.push_back({stepLen[at], stepDist[at]});
    }
    for (auto it = path.rbegin(); it != path.rend(); ++it) {
        if (it->first == 1) {
            Literal(*At(pos));
        } else {
            Match(it->first, it->second);
        }
        pos += it->first;
    }
}

void BlockPacker::Impl::Run(bool final) {
    const uint32_t ahead = best ? kSegment + kMaxMatch : kMaxMatch + 1;
    while (End() - pos > ahead || (final && End() > pos)) {
        if (best) {
            uint32_t avail = End() - pos;
            uint32_t take = std::min<uint32_t>(kSegment, final ? avail : avail - kMaxMatch);
            ParseSegment(pos + take);
        } else {
            LazyStep();
        }
    }
    if (final && pending) {
        Literal(*At(pos - 1));
        pending = false;
    }
}

BlockPacker::BlockPacker(int dictBits, int positionCodes, int positionBits, Effort effort,
                         ByteSink& out)
    : impl_(std::make_unique<Impl>(dictBits, positionCodes, positionBits, effort, out)) {
    std::fill(std::begin(impl_->litPrice), std::end(impl_->litPrice), 9);
    std::fill(std::begin(impl_->posPrice), std::end(impl_->posPrice), 4);
    for (int s = 256; s < kLiteralCodes; ++s) {
        impl_->litPrice[s] = static_cast<uint8_t>(s < 262 ? 6 : 10);
    }
}

BlockPacker::~BlockPacker() = default;

bool BlockPacker::Put(const uint8_t* data, size_t n) {
    Impl& m = *impl_;
    while (n > 0) {
        if (m.filled == m.bufSize) {
            m.Slide();
        }
        size_t take = std::min(n, m.bufSize - m.filled);
        std::memcpy(m.buf.data() + m.filled, data, take);
        m.filled += take;
        data += take;
        n -= take;
        m.Run(false);
    }
    return m.bits.Ok();
}

bool BlockPacker::Finish() {
    impl_->Run(true);
    impl_->WriteBlock();
    return impl_->bits.Finish();
}

uint64_t BlockPacker::PackedBytes() const { return impl_->bits.Written(); }

}  // namespace lzh
