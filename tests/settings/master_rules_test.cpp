#include <gtest/gtest.h>

#include <string>

#include "tests/settings/master_records.h"
#include "settings/master_rules.h"

namespace {

using settings::ApplySizeRule;
using settings::ApplyTypeRule;
using settings::MatchesNamePattern;

using master_records::Record;
using master_records::WithoutByte66;

TEST(SizeRule, RemovesByte66FromCandidatesNotYet185) {
    struct Case {
        std::string codes;
        size_t length;
        bool loses;
    } cases[] = {
        {"400400000107", 186, true},   {"400400000111", 186, true},  {"400400000107", 185, false},
        {"400400000111", 185, false},  {"400400000107", 187, true},  {"400400000107", 67, true},
        {"400400000107", 66, false},  // no byte 66
        {"400400000107", 12, false},   {"40040000010", 11, false},   {"400400000108", 186, false},
        {"400401000107", 186, false},  {"500400000107", 186, false}, {"400400000 07", 186, false},
        {" 400400000107", 186, false},  // codes shifted by one byte
    };
    for (const Case& c : cases) {
        const std::string before = Record(c.codes, c.length);
        std::string line = before;
        ApplySizeRule(line);
        EXPECT_EQ(line, c.loses ? WithoutByte66(before) : before) << c.codes << " " << c.length;
    }
}

TEST(TypeRule, OnlyUpperAOrBAtByte13) {
    struct Case {
        std::string line, expected;
    } cases[] = {
        {"0123456789abcBxyz", "0123456789abcZxyz"},
        {"0123456789abcAxyz", "0123456789abcZxyz"},
        {"0123456789abcA", "0123456789abcZ"},
        {"0123456789abcbxyz", "0123456789abcbxyz"},
        {"0123456789abcaxyz", "0123456789abcaxyz"},
        {"0123456789abcCxyz", "0123456789abcCxyz"},
        {"0123456789abcZxyz", "0123456789abcZxyz"},
        {"0123456789abc", "0123456789abc"},
        {"", ""},
        {"\x82\xA0"
         "23456789abcAx",
         "\x82\xA0"
         "23456789abcZx"},  // bytes, not characters
    };
    for (const Case& c : cases) {
        std::string line = c.line;
        ApplyTypeRule(line);
        EXPECT_EQ(line, c.expected) << c.line;
        ApplyTypeRule(line);
        EXPECT_EQ(line, c.expected) << "second pass of " << c.line;
    }
}

TEST(NamePattern, EachQuestionMarkIsExactlyOneCharacter) {
    const std::string pattern =
        "zai??"
        "?-3.mst";
    struct Case {
        std::string name;
        bool matches;
    } cases[] = {
        {"zai001-3.mst", true},
        {"ZAI001-3.MST", true},
        {"Zai0a1-3.Mst", true},
        {"zai\x8D\xDE"
         "01-3.mst",
         true},  // a double-byte character is one character
        {"zai\x8D\xDE\x8D\xDE\x8D\xDE-3.mst", true},
        {"zai01-3.mst", false},
        {"zai0001-3.mst", false},
        {"zai001-3.mst.bak", false},
        {"zai001-3.ms", false},
        {"zai001-4.mst", false},
        {"zai001_3.mst", false},
        {"temp.mst", false},
        {"ZAI001~1.MST", false},
        {"xzai001-3.mst", false},
        {"zai\x8D"
         "01-3.mst",
         false},  // lead byte swallows "0": only two characters left
        {"", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchesNamePattern(c.name, pattern), c.matches) << c.name;
    }
}

}  // namespace
