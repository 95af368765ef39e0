// Builds bitmap files byte by byte, so that every header field a test cares about can be
// set to any value, sound or not.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace bmp {

struct Picture {
    uint16_t magic = 0x4D42;
    uint32_t bitsOffset = 0;  // 0: leave the file header's field 0
    uint32_t headerSize = 40;
    int32_t width = 2;
    int32_t height = 2;
    uint16_t bitCount = 8;
    uint32_t compression = 0;
    uint32_t sizeImage = 0;
    uint32_t colorsUsed = 0;
    std::vector<uint32_t> masks;  // written right after the header
    std::vector<uint32_t> table;  // 0x00RRGGBB entries
    std::string gap;              // bytes between the table and the pixel data
    std::string pixels;
};

inline void Put32(std::string& s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        s[at + i] = static_cast<char>(v >> (8 * i));
    }
}
inline void Put16(std::string& s, size_t at, uint16_t v) {
    s[at] = static_cast<char>(v);
    s[at + 1] = static_cast<char>(v >> 8);
}

inline std::string Header(const Picture& pic) {
    // Room for the largest known header, whatever the size field claims.
    std::string s(14 + std::min<uint32_t>(pic.headerSize, 124), '\0');
    Put16(s, 0, pic.magic);
    Put32(s, 2, static_cast<uint32_t>(s.size()));
    Put32(s, 10, pic.bitsOffset);
    if (pic.headerSize >= 12) {
        Put32(s, 14, pic.headerSize);
    }
    if (pic.headerSize >= 40) {
        Put32(s, 18, static_cast<uint32_t>(pic.width));
        Put32(s, 22, static_cast<uint32_t>(pic.height));
        Put16(s, 26, 1);
        Put16(s, 28, pic.bitCount);
        Put32(s, 30, pic.compression);
        Put32(s, 34, pic.sizeImage);
        Put32(s, 46, pic.colorsUsed);
    }
    return s;
}

inline std::string File(const Picture& pic) {
    std::string s = Header(pic);
    for (uint32_t m : pic.masks) {
        s.append(4, '\0');
        Put32(s, s.size() - 4, m);
    }
    for (uint32_t c : pic.table) {
        s.append(4, '\0');
        Put32(s, s.size() - 4, c);
    }
    return s + pic.gap + pic.pixels;
}

// The first 14 and the next 40 bytes of a file, as the validation takes them.
struct Headers {
    uint8_t file[14] = {};
    uint8_t info[40] = {};
};
inline Headers Split(const std::string& bytes) {
    Headers h;
    for (size_t i = 0; i < 54 && i < bytes.size(); ++i) {
        (i < 14 ? h.file[i] : h.info[i - 14]) = static_cast<uint8_t>(bytes[i]);
    }
    return h;
}

}  // namespace bmp
