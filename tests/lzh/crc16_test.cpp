#include "lzh/crc16.h"

#include <gtest/gtest.h>

#include <string>

namespace {

uint16_t BitwiseCrc(const std::string& s) {
    unsigned c = 0;
    for (unsigned char b : s) {
        c ^= b;
        for (int k = 0; k < 8; ++k) {
            c = (c & 1) ? (c >> 1) ^ 0xA001 : c >> 1;
        }
    }
    return static_cast<uint16_t>(c);
}

TEST(Crc16, MatchesBitwiseDefinitionAtEdgeSizes) {
    std::string s;
    for (int i = 0; i < 1031; ++i) {
        s += static_cast<char>(i * 37 + (i >> 3));
    }
    for (size_t n : {0, 1, 3, 4, 5, 7, 8, 9, 1031}) {
        std::string part = s.substr(0, n);
        EXPECT_EQ(lzh::Crc16(0, reinterpret_cast<const uint8_t*>(part.data()), n), BitwiseCrc(part))
            << n;
    }
}

TEST(Crc16, ContinuesAcrossPieces) {
    std::string s = "123456789abcdefghij";
    auto p = reinterpret_cast<const uint8_t*>(s.data());
    uint16_t whole = lzh::Crc16(0, p, s.size());
    EXPECT_EQ(lzh::Crc16(lzh::Crc16(0, p, 5), p + 5, s.size() - 5), whole);
    EXPECT_EQ(lzh::Crc16(0, p, 9), 0xBB3D);  // the check value of this CRC
}

}  // namespace
