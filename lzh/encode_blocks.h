// The block methods' encoder: LZ77 matches found over hash chains, sent in blocks of static
// Huffman codes (the format DecodeBlocks reads). Data is fed in pieces; memory stays bounded by
// the dictionary.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "lzh/encode.h"

namespace lzh {

class BlockPacker {
public:
    // `dictBits`: 13, 15 or 16; `positionCodes` and `positionBits` as DecodeBlocks takes them.
    BlockPacker(int dictBits, int positionCodes, int positionBits, Effort effort, ByteSink& out);
    ~BlockPacker();
    BlockPacker(const BlockPacker&) = delete;
    BlockPacker& operator=(const BlockPacker&) = delete;

    // False once the sink has refused data.
    bool Put(const uint8_t* data, size_t n);
    bool Finish();
    uint64_t PackedBytes() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace lzh
