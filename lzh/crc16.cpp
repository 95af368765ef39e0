#include "lzh/crc16.h"

#include <array>

namespace lzh {
namespace {

// Eight tables: table k gives the CRC of a byte followed by k zero bytes, so that eight input
// bytes are folded per step.
using Tables = std::array<std::array<uint16_t, 256>, 8>;

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
        for (int k = 1; k < 8; ++k) {
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
    while (n >= 8) {
        c ^= data[0] | (data[1] << 8);
        c = kTables[7][c & 0xFF] ^ kTables[6][c >> 8] ^ kTables[5][data[2]] ^ kTables[4][data[3]] ^
            kTables[3][data[4]] ^ kTables[2][data[5]] ^ kTables[1][data[6]] ^ kTables[0][data[7]];
        data += 8;
        n -= 8;
    }
    while (n--) {
        c = (c >> 8) ^ kTables[0][(c ^ *data++) & 0xFF];
    }
    return static_cast<uint16_t>(c);
}

}  // namespace lzh
