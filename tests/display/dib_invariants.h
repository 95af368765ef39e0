// What every accepted layout must promise, whatever the header said: the loader reads and
// the drawing call looks only inside the block, and the file holds every part read from it.
#pragma once

#include <cstdint>

#include "display/dib_header.h"

namespace dib_check {

// Returns the first broken promise, or nullptr.
inline const char* BrokenPromise(const display::DibLayout& l, uint64_t fileSize) {
    const uint64_t stride = (uint64_t{l.bitCount} * l.width + 31) / 32 * 4;
    const bool compressed = l.compression == display::kRle8 || l.compression == display::kRle4;
    const uint64_t tableEnd = 14 + uint64_t{l.headerSize} + l.TableBytes();
    const uint64_t dataStart = l.fileBitsOffset ? l.fileBitsOffset : tableEnd;
    if (l.headerSize < 40 || l.headerSize > display::kMaxHeaderSize)
        return "header size";
    if (l.width == 0 || l.width > 65535 || l.height == 0 || l.height > 65535)
        return "size";
    if (uint64_t{l.bitsOffset} != uint64_t{l.headerSize} + l.TableBytes())
        return "bits offset";
    if (uint64_t{l.blockSize} != uint64_t{l.bitsOffset} + l.imageSize)
        return "block size";
    if (!compressed && l.imageSize < stride * l.height)
        return "rows past the block";
    if (l.bitCount <= 8 && l.colorCount == 0)
        return "no colour table";
    if (tableEnd > fileSize || dataStart + l.imageSize > fileSize)
        return "past the file";
    return nullptr;
}

}  // namespace dib_check
