// Code lengths and canonical codes for the encoder: the same assignment the decoding tables
// use (by length, then by symbol, most significant bit first).
#pragma once

#include <cstdint>

namespace lzh {

// Huffman code lengths for `freq[0..n)`, none longer than `maxLength`; unused symbols get 0.
// A single used symbol gets length 1 (callers send such a table in its one-symbol form).
void BuildCodeLengths(const uint32_t* freq, int n, int maxLength, uint8_t* lengths);

// Canonical codes for the lengths.
void BuildCodes(const uint8_t* lengths, int n, uint16_t* codes);

}  // namespace lzh
