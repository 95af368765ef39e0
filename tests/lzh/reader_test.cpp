#include <gtest/gtest.h>

#include <string>

#include "lzh/header.h"
#include "lzh/lzh.h"
#include "tests/lzh/lzh_test_util.h"

using lzh::Status;
using lzh_test::DecodeAll;
using lzh_test::Level1;
using lzh_test::ReadBinary;

namespace {

const std::string kData = LZH_TEST_DATA;

struct Fixture {
    const char* archive;
    const char* method;
    int level;
};

class FixtureTest : public testing::TestWithParam<Fixture> {};

TEST_P(FixtureTest, DecodesEveryMemberToItsSource) {
    const Fixture& f = GetParam();
    auto members = DecodeAll(ReadBinary(kData + f.archive));
    ASSERT_EQ(members.size(), 3u);
    const char* names[] = {"text.txt", "bin.dat", "empty.txt"};
    for (size_t i = 0; i < 3; ++i) {
        const auto& d = members[i];
        SCOPED_TRACE(names[i]);
        ASSERT_EQ(d.status, Status::kOk);
        std::string expected = ReadBinary(kData + "src/" + names[i]);
        EXPECT_EQ(d.member.path, names[i]);
        EXPECT_EQ(d.member.name, names[i]);
        EXPECT_EQ(d.member.headerLevel, f.level);
        EXPECT_EQ(d.member.originalSize, expected.size());
        EXPECT_TRUE(d.data == expected);
        EXPECT_FALSE(d.member.isDirectory || d.member.isSymlink);
        // Stored members keep their method name even when empty.
        if (!expected.empty()) {
            EXPECT_EQ(d.member.method, f.method);
        }
        EXPECT_TRUE(f.level == 2 ? d.member.hasUnixTime : d.member.dosTime != 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Jlha, FixtureTest,
    testing::Values(Fixture{"l0_z.lzh", "-lh0-", 0}, Fixture{"l0_o5.lzh", "-lh5-", 0},
                    Fixture{"l0_o6.lzh", "-lh6-", 0}, Fixture{"l0_o7.lzh", "-lh7-", 0},
                    Fixture{"l1_z.lzh", "-lh0-", 1}, Fixture{"l1_o5.lzh", "-lh5-", 1},
                    Fixture{"l1_o6.lzh", "-lh6-", 1}, Fixture{"l1_o7.lzh", "-lh7-", 1},
                    Fixture{"l2_z.lzh", "-lh0-", 2}, Fixture{"l2_o5.lzh", "-lh5-", 2},
                    Fixture{"l2_o6.lzh", "-lh6-", 2}, Fixture{"l2_o7.lzh", "-lh7-", 2}));

TEST(Reader, OneByteReadsGiveTheSameMembers) {
    std::string archive = ReadBinary(kData + "l1_o7.lzh");
    auto whole = DecodeAll(archive);
    auto bytewise = DecodeAll(archive, 1);
    ASSERT_EQ(bytewise.size(), whole.size());
    for (size_t i = 0; i < whole.size(); ++i) {
        EXPECT_EQ(bytewise[i].status, Status::kOk);
        EXPECT_TRUE(bytewise[i].data == whole[i].data);
    }
}

// "ソ" and "表" end in the byte 0x5C, which must not split the name.
TEST(Reader, TrailByte5CIsNoSeparatorAtAnyLevel) {
    for (const char* archive : {"l0_dbcs.lzh", "l1_dbcs.lzh", "l2_dbcs.lzh"}) {
        SCOPED_TRACE(archive);
        auto members = DecodeAll(ReadBinary(kData + archive));
        ASSERT_EQ(members.size(), 1u);
        EXPECT_EQ(members[0].status, Status::kOk);
        EXPECT_EQ(members[0].member.path, "ソフト\\表示.txt");
        EXPECT_EQ(members[0].member.name, "表示.txt");
        EXPECT_EQ(members[0].data, "dbcs\n");
    }
}

TEST(StoredPath, SeparatorsBecomeBackslashesAndEmptyPartsGo) {
    struct Case {
        std::string folder, file, path, name;
    } cases[] = {
        {"", "a/b\\c.txt", "a\\b\\c.txt", "c.txt"},
        {"dir\xFFsub\xFF", "x", "dir\\sub\\x", "x"},
        {"", "/abs//x", "abs\\x", "x"},
        {"\x83\x5C\xFF", "\x95\x5C", "\x83\x5C\\\x95\x5C", "\x95\x5C"},
        {"", "\x83", "\x83", "\x83"},  // a lone lead byte at the end
        {"", "", "", ""},
    };
    for (const Case& c : cases) {
        std::string path = lzh::JoinStoredPath(c.folder, c.file);
        EXPECT_EQ(path, c.path);
        EXPECT_EQ(lzh::BareName(path), c.name);
    }
}

TEST(Reader, UnknownMethodIsReportedAndTheNextMemberStillReads) {
    // CRC-16 of "abc" is 0x9738.
    std::string archive = Level1("-zz9-", "odd.bin", "xyz", 0) +
                          Level1("-lh0-", "abc.txt", "abc", 0x9738) + std::string(1, '\0');
    auto members = DecodeAll(archive);
    ASSERT_EQ(members.size(), 2u);
    EXPECT_EQ(members[0].status, Status::kUnknownMethod);
    EXPECT_EQ(members[0].member.name, "odd.bin");
    EXPECT_EQ(members[1].status, Status::kOk);
    EXPECT_EQ(members[1].data, "abc");
}

TEST(Reader, CrcMismatchIsAnErrorForTheMemberOnly) {
    std::string archive = Level1("-lh0-", "a.txt", "abc", 0x1234) +
                          Level1("-lh0-", "b.txt", "abc", 0x9738) + std::string(1, '\0');
    auto members = DecodeAll(archive);
    ASSERT_EQ(members.size(), 2u);
    EXPECT_EQ(members[0].status, Status::kCrcMismatch);
    EXPECT_EQ(members[1].status, Status::kOk);
}

TEST(Reader, SymlinkIsFlaggedAndWritesNothing) {
    // Extended header 0x50 (Unix mode 0xA1FF: a link), then the end of the chain.
    std::string ext = std::string("\x05\x00\x50\xFF\xA1", 5) + std::string(2, '\0');
    std::string archive =
        Level1("-lhd-", "etc|..\\..", "", 0, ext) + Level1("-lh0-", "etc\\passwd", "abc", 0x9738);
    auto members = DecodeAll(archive);
    ASSERT_EQ(members.size(), 2u);
    EXPECT_TRUE(members[0].member.isSymlink);
    EXPECT_FALSE(members[0].member.isDirectory);
    EXPECT_EQ(members[0].member.path, "etc");
    EXPECT_EQ(members[0].member.linkTarget, "..\\..");
    EXPECT_EQ(members[0].status, Status::kOk);
    EXPECT_TRUE(members[0].data.empty());
    // The file stored under the link's name is refused rather than written through it.
    EXPECT_EQ(members[1].status, Status::kBadHeader);
    EXPECT_EQ(members[1].member.path, "etc\\passwd");
}

TEST(Reader, BadHeaderChecksumStopsTheArchive) {
    std::string archive = Level1("-lh0-", "abc.txt", "abc", 0x9738);
    archive[1] = static_cast<char>(archive[1] + 1);
    auto members = DecodeAll(archive);
    ASSERT_EQ(members.size(), 1u);
    EXPECT_EQ(members[0].status, Status::kBadHeader);
}

}  // namespace
