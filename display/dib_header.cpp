#include "display/dib_header.h"

#include <cstdlib>

namespace display {

namespace {

uint32_t Read32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
uint16_t Read16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
void Write32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<uint8_t>(v >> (8 * i));
    }
}

bool DepthSupported(uint16_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Run-length data is bottom-up only and sized by its header; masks belong to 16 and 32 bits.
bool CompressionFits(uint32_t compression, uint16_t bits, bool topDown, uint32_t sizeImage) {
    switch (compression) {
        case kRgb:
            return true;
        case kRle8:
            return bits == 8 && !topDown && sizeImage != 0;
        case kRle4:
            return bits == 4 && !topDown && sizeImage != 0;
        case kBitFields:
            return bits == 16 || bits == 32;
    }
    return false;
}

// Masks sit in the header from the 52-byte version on; between 40 and 52 they would straddle.
bool MasksPlaceable(uint32_t compression, uint32_t headerSize) {
    return compression != kBitFields || headerSize == kInfoHeaderSize || headerSize >= 52;
}

}  // namespace

std::optional<DibLayout> ValidateDibHeader(std::span<const uint8_t, kFileHeaderSize> fileHeader,
                                           std::span<const uint8_t, kInfoHeaderSize> info,
                                           uint64_t fileSize) {
    if (Read16(fileHeader.data()) != kBitmapMagic) {
        return std::nullopt;
    }
    DibLayout l;
    l.fileBitsOffset = Read32(fileHeader.data() + 10);
    l.headerSize = Read32(info.data());
    const int64_t width = static_cast<int32_t>(Read32(info.data() + 4));
    const int64_t height = static_cast<int32_t>(Read32(info.data() + 8));
    l.bitCount = Read16(info.data() + 14);
    l.compression = Read32(info.data() + 16);
    const uint32_t sizeImage = Read32(info.data() + 20);
    const uint32_t colorsUsed = Read32(info.data() + 32);
    const bool topDown = height < 0;
    if (l.headerSize < kInfoHeaderSize || l.headerSize > kMaxHeaderSize || width <= 0 ||
        width > kMaxDimension || height == 0 || std::llabs(height) > kMaxDimension ||
        !DepthSupported(l.bitCount) || colorsUsed > 0xFFFF ||
        !CompressionFits(l.compression, l.bitCount, topDown, sizeImage) ||
        !MasksPlaceable(l.compression, l.headerSize)) {
        return std::nullopt;
    }
    l.width = static_cast<uint32_t>(width);
    l.height = static_cast<uint32_t>(std::llabs(height));
    l.maskBytes = (l.compression == kBitFields && l.headerSize == kInfoHeaderSize) ? 12 : 0;
    l.colorCount = colorsUsed != 0 ? colorsUsed : (l.bitCount <= 8 ? 1u << l.bitCount : 0);

    const uint64_t stride = (uint64_t{l.bitCount} * l.width + 31) / 32 * 4;
    const uint64_t rows = stride * l.height;
    const bool compressed = l.compression == kRle8 || l.compression == kRle4;
    if (!compressed && sizeImage != 0 && sizeImage < rows) {
        return std::nullopt;
    }
    const uint64_t imageSize = sizeImage != 0 ? sizeImage : rows;
    const uint64_t tableEnd = kFileHeaderSize + uint64_t{l.headerSize} + l.TableBytes();
    const uint64_t dataStart = l.fileBitsOffset != 0 ? l.fileBitsOffset : tableEnd;
    const uint64_t blockSize = uint64_t{l.headerSize} + l.TableBytes() + imageSize;
    if (tableEnd > fileSize || dataStart + imageSize > fileSize || blockSize > 0x7FFFFFFF) {
        return std::nullopt;
    }
    l.imageSize = static_cast<uint32_t>(imageSize);
    l.bitsOffset = l.headerSize + l.TableBytes();
    l.blockSize = static_cast<uint32_t>(blockSize);
    return l;
}

void CompleteInfoHeader(std::span<uint8_t, kInfoHeaderSize> info, const DibLayout& layout) {
    Write32(info.data() + 20, layout.imageSize);
    Write32(info.data() + 32, layout.colorCount);
}

}  // namespace display
