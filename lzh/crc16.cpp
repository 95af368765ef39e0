#include "lzh/crc16.h"

#include <array>

namespace lzh {
namespace {

// Four tables: the second to fourth give the CRC of a byte followed by one to three zero
// bytes, so that four input bytes are folded per step.
using Tables = std::array<std::array<uint16_t, 256>, 4>;

constexpr Tables MakeTables() {
    Tables t{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned c = i;
        for (int k = 0; k < 8; ++k) {
            c = (c & 1) ? (c >> 1) ^ 0xA001 : c >> 1;
        }
        t[0][i] = static_cast<uint16_t>(c);
    }
    for (unsigned i = 0; i < 256; ++i) {
        for (int k = 1; k < 4; ++k) {
            uint16_t prev = t[k - 1][i];
            t[k][i] = static_cast<uint16_t>((prev >> 8) ^ t[0][prev & 0xFF]);
        }
    }
    return t;
}

constexpr Tables kTables = MakeTables();

}  // namespace

uint16_t Crc16(uint16_t crc, const uint8_t* data, size_t n) {
    unsigned c = crc;
    while (n >= 4) {
        c ^= data[0] | (data[1] << 8);
        c = kTables[3][c & 0xFF] ^ kTables[2][c >> 8] ^ kTables[1][data[2]] ^ kTables[0][data[3]];
        data += 4;
        n -= 4;
    }
    while (n--) {
        c = (c >> 8) ^ kTables[0][(c ^ *data++) & 0xFF];
    }
    return static_cast<uint16_t>(c);
}

}  // namespace lzh
