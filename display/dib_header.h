// The rules that decide whether a Windows bitmap file can be drawn and where each part of it
// goes in the picture block (info header, colour table, pixel data). Pure, so that it is
// tested natively and fuzzed; the loader trusts nothing from the file that this has not passed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace display {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;
constexpr uint32_t kMaxHeaderSize = 124;  // the version 5 header
constexpr uint32_t kMaxDimension = 65535;
constexpr uint16_t kBitmapMagic = 0x4D42;  // "BM"

// Compression values the drawing call understands for screen output.
constexpr uint32_t kRgb = 0;
constexpr uint32_t kRle8 = 1;
constexpr uint32_t kRle4 = 2;
constexpr uint32_t kBitFields = 3;

struct DibLayout {
    uint32_t headerSize = 0;      // info header bytes kept at the block start
    uint32_t maskBytes = 0;       // the three colour masks that follow a 40-byte header
    uint32_t colorCount = 0;      // colour table entries
    uint32_t imageSize = 0;       // pixel data bytes
    uint32_t bitsOffset = 0;      // pixel data offset inside the block
    uint32_t fileBitsOffset = 0;  // pixel data offset in the file; 0 = right after the table
    uint32_t blockSize = 0;
    uint32_t width = 0;
    uint32_t height = 0;  // rows, whichever way they are stored
    uint16_t bitCount = 0;
    uint32_t compression = 0;

    uint32_t TableBytes() const { return maskBytes + 4 * colorCount; }
};

// Checks the 14-byte file header and the first 40 bytes of the info header against each
// other and against the file's size. Refused: a wrong magic, a core (12-byte) or unknown
// header size, a width or height of 0 or over 65535, a bit depth other than 1/4/8/16/24/32,
// a compression that does not fit the bit depth, an image size smaller than the rows need,
// and any part that the file does not hold in full.
std::optional<DibLayout> ValidateDibHeader(std::span<const uint8_t, kFileHeaderSize> fileHeader,
                                           std::span<const uint8_t, kInfoHeaderSize> infoHeader,
                                           uint64_t fileSize);

// Writes the completed colour count and image size into the block's copy of the header, so
// that the drawing call sees the table and data the block really holds.
void CompleteInfoHeader(std::span<uint8_t, kInfoHeaderSize> infoHeader, const DibLayout& layout);

}  // namespace display
