// The path helpers every layer shares, and the one Format.
#include <gtest/gtest.h>

#include <string>

#include "text/format.h"
#include "text/path.h"

namespace {

// "ソ" is 0x83 0x5C: its trail byte is no separator.
const std::string kSo = "\x83\x5c";

TEST(PathHelpers, TrailingSeparators) {
    struct Case {
        std::string folder, with, without;
    } cases[] = {
        {"C:\\P", "C:\\P\\", "C:\\P"},
        {"C:\\P\\", "C:\\P\\", "C:\\P"},
        {"C:\\P/", "C:\\P/", "C:\\P"},
        {"C:\\", "C:\\", "C:\\"},  // a drive's root keeps its separator
        {"\\", "\\", "\\"},
        {"C:", "C:\\", "C:"},
        {"P\\", "P\\", "P"},
        {"", "", ""},
        {"C:\\" + kSo, "C:\\" + kSo + "\\", "C:\\" + kSo},
        {"C:\\" + kSo + "\\", "C:\\" + kSo + "\\", "C:\\" + kSo},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(text::WithSeparator(c.folder), c.with) << c.folder;
        EXPECT_EQ(text::WithoutSeparator(c.folder), c.without) << c.folder;
        EXPECT_EQ(text::EndsWithSeparator(c.folder), c.folder == c.with && !c.folder.empty())
            << c.folder;
    }
}

TEST(Format, TextsOfAnyLengthAndStringArguments) {
    const std::string deep(5000, 'D');
    EXPECT_EQ(text::Format("%sの更新に失敗しました。", deep), deep + "の更新に失敗しました。");
    EXPECT_EQ(text::Format("%d 枚目", 2), "2 枚目");
    EXPECT_EQ(text::Format("%s (%s)", std::string("a%sb"), "c"), "a%sb (c)");
    EXPECT_EQ(text::Format("%s", std::string()), "");
}

}  // namespace
