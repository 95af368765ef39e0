#include "lzh/huffman_encode.h"

#include <algorithm>
#include <vector>

namespace lzh {
namespace {

constexpr int kLongest = 16;

// Depths of a Huffman tree over the weights (ascending), merged with two queues.
std::vector<int> TreeDepths(const std::vector<uint64_t>& sorted) {
    const size_t m = sorted.size();
    std::vector<uint64_t> w(2 * m - 1);
    std::vector<size_t> parent(2 * m - 1, 0);
    std::copy(sorted.begin(), sorted.end(), w.begin());
    size_t leaf = 0;
    size_t inner = m;
    auto pick = [&](size_t next) {
        if (leaf < m && (inner >= next || w[leaf] <= w[inner])) {
            return leaf++;
        }
        return inner++;
    };
    for (size_t next = m; next < 2 * m - 1; ++next) {
        size_t a = pick(next);
        size_t b = pick(next);
        w[next] = w[a] + w[b];
        parent[a] = parent[b] = next;
    }
    std::vector<int> depth(2 * m - 1, 0);
    for (size_t k = 2 * m - 1; k-- > 0;) {
        depth[k] = k == 2 * m - 2 ? 0 : depth[parent[k]] + 1;
    }
    depth.resize(m);
    return depth;
}

// Moves leaves deeper than `maxLength` up and keeps the code complete: each round takes one
// leaf off the deepest level and splits one shallower leaf into two.
void LimitCounts(int* count, int maxLength) {
    uint32_t cum = 0;
    for (int len = 1; len <= maxLength; ++len) {
        cum += static_cast<uint32_t>(count[len]) << (maxLength - len);
    }
    while (cum > (uint32_t{1} << maxLength)) {
        --count[maxLength];
        for (int len = maxLength - 1; len > 0; --len) {
            if (count[len] != 0) {
                --count[len];
                count[len + 1] += 2;
                break;
            }
        }
        --cum;
    }
}

}  // namespace

void BuildCodeLengths(const uint32_t* freq, int n, int maxLength, uint8_t* lengths) {
    std::vector<int> used;
    for (int s = 0; s < n; ++s) {
        lengths[s] = 0;
        if (freq[s] != 0) {
            used.push_back(s);
        }
    }
    if (used.size() == 1) {
        lengths[used[0]] = 1;
    }
    if (used.size() < 2) {
        return;
    }
    std::stable_sort(used.begin(), used.end(),
                     [&](int a, int b) { return freq[a] < freq[b]; });
    std::vector<uint64_t> weights;
    for (int s : used) {
        weights.push_back(freq[s]);
    }
    int count[kLongest + 2] = {};
    for (int d : TreeDepths(weights)) {
        ++count[std::min(d, maxLength)];
    }
    LimitCounts(count, maxLength);
    // The most frequent symbols (the end of `used`) take the shortest codes.
    size_t at = used.size();
    for (int len = 1; len <= maxLength; ++len) {
        for (int k = 0; k < count[len]; ++k) {
            lengths[used[--at]] = static_cast<uint8_t>(len);
        }
    }
}

void BuildCodes(const uint8_t* lengths, int n, uint16_t* codes) {
    uint16_t count[kLongest + 1] = {};
    for (int s = 0; s < n; ++s) {
        ++count[lengths[s]];
    }
    count[0] = 0;
    uint16_t next[kLongest + 1] = {};
    uint32_t code = 0;
    for (int len = 1; len <= kLongest; ++len) {
        next[len] = static_cast<uint16_t>(code);
        code = (code + count[len]) << 1;
    }
    for (int s = 0; s < n; ++s) {
        codes[s] = lengths[s] ? next[lengths[s]]++ : 0;
    }
}

}  // namespace lzh
