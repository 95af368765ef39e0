#include <gtest/gtest.h>

#include <climits>

#include "text/cp932.h"

namespace {

// "ソ" is 0x83 0x5C and "表" is 0x95 0x5C: trail bytes that look like a backslash.
const std::string kSo = "ソ";
const std::string kHyo = "表";

TEST(Cp932, LiteralsAreCp932) {
    ASSERT_EQ(kSo, std::string("\x83\x5C"));
    ASSERT_EQ(kHyo, std::string("\x95\x5C"));
    ASSERT_EQ(std::string("ｱ"), std::string("\xB1"));
}

TEST(Cp932, LeadByteRanges) {
    struct Case {
        unsigned char byte;
        bool lead;
    } cases[] = {{0x80, false}, {0x81, true},  {0x9F, true},  {0xA0, false}, {0xB1, false},
                 {0xDF, false}, {0xE0, true},  {0xFC, true},  {0xFD, false}, {0x5C, false},
                 {0x00, false}, {0x41, false}, {0xFF, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(text::IsLeadByte(c.byte), c.lead) << int(c.byte);
    }
}

TEST(Cp932, UpperCasingLeavesDoubleByteCharactersWhole) {
    struct Case {
        std::string in, out;
    } cases[] = {
        {"abc.lzh", "ABC.LZH"},
        {"sys01", "SYS01"},
        // 0x82 0x61 is "ａ"-range: its trail byte 0x61 ('a') must stay lower case.
        {"\x82\x61x", "\x82\x61X"},
        {"\x83\x5C" "a", "\x83\x5C" "A"},
        {"a\x82", "A\x82"},  // lone lead byte at the end
        {"ｱa", "ｱA"},        // half-width kana is single-byte
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(text::ToUpperAscii(c.in), c.out) << c.in;
    }
    EXPECT_TRUE(text::EqualsIgnoreCase("Tovaka1.INI", "TOVAKA1.ini"));
    EXPECT_FALSE(text::EqualsIgnoreCase("\x82\x61", "\x82\x41"));
}

TEST(Cp932, SearchMatchesOnlyOnCharacterBoundaries) {
    struct Case {
        std::string hay, needle;
        size_t at;
    } cases[] = {
        {"abc", "b", 1},
        {"abc", "", 0},
        {"abc", "abcd", std::string::npos},
        // "\" inside "ソ" is a trail byte, not a backslash.
        {kSo + "\\", "\\", 2},
        {kSo, "\\", std::string::npos},
        // 0x5C 0x83 straddling two characters must not match.
        {kHyo + kSo, "\x5C\x83", std::string::npos},
        {"x" + kHyo + "ABC", "ABC", 3},
        {"\x83", "\x83", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(text::FindOnBoundary(c.hay, c.needle), c.at) << c.hay << " / " << c.needle;
    }
    EXPECT_EQ(text::FindChar("a,b,c", ',', 2), 3u);
}

TEST(Cp932, AtoiRule) {
    struct Case {
        std::string in;
        int value;
    } cases[] = {
        {"1", 1},       {"01", 1},    {"1 ", 1},      {"", 0},         {"on", 0},
        {" 2", 2},      {"\t+7x", 7}, {"-3", -3},     {"- 3", 0},      {"9999", 9999},
        {"12abc", 12},  {"+", 0},     {"\n\r\v\f 5", 5},
        {"99999999999", INT_MAX},     {"-99999999999", INT_MIN},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(text::AtoiRule(c.in), c.value) << c.in;
    }
    EXPECT_TRUE(text::FlagIsOn("1"));
    EXPECT_FALSE(text::FlagIsOn("2"));
}

TEST(Cp932, TruncateNeverSplitsACharacter) {
    EXPECT_EQ(text::TruncateBytes("abcdef", 3), "abc");
    EXPECT_EQ(text::TruncateBytes("ab" + kSo, 3), "ab");
    EXPECT_EQ(text::TruncateBytes("a" + kSo, 3), "a" + kSo);
    EXPECT_EQ(text::TruncateBytes("ab", 31), "ab");
}

TEST(Cp932, SplitPathLikeTheRuntime) {
    struct Case {
        std::string path, drive, dir, fname, ext;
    } cases[] = {
        {"C:\\PROD\\setup.exe", "C:", "\\PROD\\", "setup", ".exe"},
        {"A:\\RENOVO.EXE", "A:", "\\", "RENOVO", ".EXE"},
        {"name", "", "", "name", ""},
        {"dir.x\\file", "", "dir.x\\", "file", ""},
        {"a.b.c", "", "", "a.b", ".c"},
        {"C:", "C:", "", "", ""},
        {"D:/x/y.txt", "D:", "/x/", "y", ".txt"},
        // A trail byte 0x5C is not a separator.
        {"C:\\" + kSo + "フト.ini", "C:", "\\", kSo + "フト", ".ini"},
        {"C:\\" + kHyo + "\\a", "C:", "\\" + kHyo + "\\", "a", ""},
    };
    for (const Case& c : cases) {
        text::PathParts p = text::SplitPath(c.path);
        EXPECT_EQ(p.drive, c.drive) << c.path;
        EXPECT_EQ(p.dir, c.dir) << c.path;
        EXPECT_EQ(p.fname, c.fname) << c.path;
        EXPECT_EQ(p.ext, c.ext) << c.path;
    }
}

}  // namespace
