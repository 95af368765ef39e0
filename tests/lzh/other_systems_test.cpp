// Archives from other systems' LHA programs, with headers built by hand: each quirk below is
// how a real program writes, and the member must read as that program meant it.
#include <gtest/gtest.h>

#include <string>

#include "lzh/crc16.h"
#include "lzh/lzh.h"
#include "lzh/macbinary.h"
#include "tests/lzh/lzh_test_util.h"

using lzh::Status;
using lzh_test::DecodeAll;
using lzh_test::Level1;
using lzh_test::Level2;

namespace {

const std::string kEnd(1, '\0');

uint16_t Crc(const std::string& s) {
    return lzh::Crc16(0, reinterpret_cast<const uint8_t*>(s.data()), s.size());
}

TEST(OtherSystems, Os9LevelTwoHeaderTwoBytesShortReads) {
    std::string archive =
        Level2("os9.txt", "abc", 0x9738, 'K', 2) + Level2("next.txt", "abc", 0x9738, 'U') + kEnd;
    auto members = DecodeAll(archive);
    ASSERT_EQ(members.size(), 2u);
    EXPECT_EQ(members[0].member.name, "os9.txt");
    EXPECT_EQ(members[0].status, Status::kOk);
    EXPECT_EQ(members[0].data, "abc");
    EXPECT_EQ(members[1].member.name, "next.txt");
    EXPECT_EQ(members[1].status, Status::kOk);
    // Only OS-9/68k miscounts: the same header from anyone else is damaged.
    EXPECT_EQ(DecodeAll(Level2("os9.txt", "abc", 0x9738, 'U', 2) + kEnd)[0].status,
              Status::kBadHeader);
}

TEST(OtherSystems, AmigaCommentAfterTheNameIsDropped) {
    const std::string field("file.txt\0a comment", 18);
    std::string level1 = Level1("-lh0-", field, "abc", 0x9738, "", 'A');
    // The same member as a level 0 header: no OS byte, no extended headers.
    std::string level0 = level1;
    level0[20] = 0;
    level0.erase(level0.size() - 3 - 3, 3);  // the OS byte and the extended size
    level0[0] = static_cast<char>(level0[0] - 3);
    uint8_t sum = 0;
    for (size_t i = 2; i < size_t(level0[0]) + 2; ++i)
        sum = static_cast<uint8_t>(sum + level0[i]);
    level0[1] = static_cast<char>(sum);
    for (const std::string& member : {level1, level0}) {
        auto members = DecodeAll(member + kEnd);
        ASSERT_EQ(members.size(), 1u);
        EXPECT_EQ(members[0].status, Status::kOk);
        EXPECT_EQ(members[0].member.path, "file.txt");
        EXPECT_EQ(members[0].data, "abc");
    }
}

// Writes the MacBinary II header CRC for the header's first 124 bytes.
std::string Sealed(std::string file) {
    uint16_t crc = lzh::CrcXmodem(reinterpret_cast<const uint8_t*>(file.data()), 124);
    file[124] = static_cast<char>(crc >> 8);
    file[125] = static_cast<char>(crc);
    return file;
}

// A MacBinary file as MacLHA 2.24 writes it: MacBinary II's fields, but version and CRC bytes
// zero. Header, data fork and resource fork are each padded to 128 bytes (`padLast` false
// leaves the resource fork unpadded).
std::string MacLhaBinary(const std::string& data, const std::string& resource, bool padLast = true) {
    std::string h(128, '\0');
    h[1] = 5;
    h.replace(2, 5, "hello");
    h.replace(65, 8, "TEXTttxt");
    auto be32 = [&](size_t at, size_t v) {
        for (int i = 0; i < 4; ++i)
            h[at + i] = static_cast<char>(v >> (24 - 8 * i));
    };
    be32(83, data.size());
    be32(87, resource.size());
    auto pad = [](std::string s) { return s + std::string((128 - s.size() % 128) % 128, '\0'); };
    return h + pad(data) + (padLast ? pad(resource) : resource);
}

// The same as MacBinary II: version bytes 0x81 and the header's CRC.
std::string MacBinary(const std::string& data, const std::string& resource, bool padLast = true) {
    std::string file = MacLhaBinary(data, resource, padLast);
    file[122] = file[123] = '\x81';
    return Sealed(file);
}

std::string MacLhaData(const std::string& file, char os = 'm') {
    auto members = DecodeAll(Level1("-lh0-", "hello", file, Crc(file), "", os) + kEnd);
    EXPECT_EQ(members.size(), 1u);
    EXPECT_EQ(members[0].status, Status::kOk);
    return members[0].data;
}

TEST(OtherSystems, MacLhaMemberGivesItsDataForkWhenTheHeaderChecksOut) {
    const std::string sound = MacBinary("hello mac", "RSRC");
    std::string badCrc = sound;
    badCrc[125] ^= 1;
    std::string tooLong = sound;  // a data fork past the end of the file
    tooLong[84] = 1;
    tooLong = Sealed(tooLong);
    std::string oldVersion = sound;
    oldVersion[0] = 1;
    oldVersion = Sealed(oldVersion);
    std::string secondary = sound;  // a secondary header we do not read
    secondary[121] = 16;
    secondary = Sealed(secondary);
    struct Case {
        const char* what;
        std::string file;
        char os;
        std::string written;
    };
    for (const Case& c : {
             Case{"sound", sound, 'm', "hello mac"},
             Case{"last fork unpadded", MacBinary("hello mac", "RSRC", false), 'm', "hello mac"},
             Case{"no resource fork", MacBinary("hello mac", ""), 'm', "hello mac"},
             Case{"empty data fork", MacBinary("", "RSRC"), 'm', ""},
             Case{"header CRC wrong", badCrc, 'm', badCrc},
             Case{"fork lengths past the file", tooLong, 'm', tooLong},
             Case{"nonzero version byte", oldVersion, 'm', oldVersion},
             Case{"secondary header", secondary, 'm', secondary},
             Case{"shorter than a header", "just text", 'm', "just text"},
             Case{"not from MacLHA", sound, 'U', sound},
         }) {
        EXPECT_EQ(MacLhaData(c.file, c.os), c.written) << c.what;
    }
}

TEST(OtherSystems, MacLhaOwnHeaderWithoutCrcGivesTheDataForkWhenItsFieldsCheckOut) {
    const std::string sound = MacLhaBinary("hello mac", "RSRC");
    auto with = [&](size_t at, char value) {
        std::string file = sound;
        file[at] = value;
        return file;
    };
    struct Case {
        const char* what;
        std::string file;
        std::string written;
    };
    for (const Case& c : {
             Case{"no CRC, no version", sound, "hello mac"},
             Case{"last fork unpadded", MacLhaBinary("hello mac", "RSRC", false), "hello mac"},
             Case{"no resource fork", MacLhaBinary("hello mac", ""), "hello mac"},
             Case{"empty data fork", MacLhaBinary("", "RSRC"), ""},
             Case{"a version byte set", with(122, '\x81'), with(122, '\x81')},
             Case{"the other version byte set", with(123, '\x81'), with(123, '\x81')},
             Case{"a CRC that does not match", with(125, '\x01'), with(125, '\x01')},
             Case{"byte 0 not zero", with(0, '\x01'), with(0, '\x01')},
             Case{"byte 74 not zero", with(74, '\x01'), with(74, '\x01')},
             Case{"byte 82 not zero", with(82, '\x01'), with(82, '\x01')},
             Case{"empty name", with(1, '\0'), with(1, '\0')},
             Case{"name of 64 bytes", with(1, '\x40'), with(1, '\x40')},
             Case{"data fork past the file", with(84, '\x01'), with(84, '\x01')},
             Case{"secondary header", with(121, '\x10'), with(121, '\x10')},
         }) {
        EXPECT_EQ(MacLhaData(c.file), c.written) << c.what;
    }
}

TEST(OtherSystems, MacBinaryCrcIsXmodem) {
    const std::string check = "123456789";
    EXPECT_EQ(lzh::CrcXmodem(reinterpret_cast<const uint8_t*>(check.data()), check.size()), 0x31C3);
}

}  // namespace
