// One decoder per compression method family. Each reads the member's packed data through a
// bit reader and writes to a window until the window holds the member's original size.
// A decoder returns kBadData for data that cannot be decoded; the caller tells truncation
// from damage by the bit reader's state.
#pragma once

#include "lzh/bit_reader.h"
#include "lzh/window.h"

namespace lzh {

// -lh4- to -lh7- and -lhx-: blocks of static Huffman codes. `positionCodes` is the number of
// position codes (dictionary bits + 1) and `positionBits` the width of their count field.
Status DecodeBlocks(BitReader& in, Window& out, int positionCodes, int positionBits);

// LHark's -lh7- ("-lk7-"): the block format with 289 literal/length codes for matches up
// to 514 bytes and its own coding of lengths and distances; a 64 KiB dictionary.
Status DecodeLharkBlocks(BitReader& in, Window& out);

// -lh1-: adaptive Huffman codes with a 4 KiB dictionary.
Status DecodeLh1(BitReader& in, Window& out);

// -lzs- and -lz5-: LArc's methods, whose matches name absolute places in a small ring.
Status DecodeLzs(BitReader& in, Window& out);
Status DecodeLz5(BitReader& in, Window& out);

}  // namespace lzh
