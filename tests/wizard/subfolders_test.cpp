// The destination page's folder table and current directory at their limits.
#include <gtest/gtest.h>

#include <direct.h>

#include <algorithm>
#include <string>

#include "tests/support/test_support.h"
#include "wizard/subfolders.h"

namespace {

using testing_support::MakeDir;
using testing_support::TempDir;
using testing_support::WriteFile;

bool Has(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

TEST(ListSubfolders, DotDotFirstThenFoldersOnly) {
    TempDir dir;
    MakeDir(dir / "ALPHA");
    MakeDir(dir / std::string(31, 'L'));
    MakeDir(dir / std::string(32, 'M'));  // would not fit the table: left out, not cut
    WriteFile(dir / "file.txt", "x");
    const auto names = wizard::ListSubfolders(dir.path() + "*.*");
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names.front(), "..");
    EXPECT_EQ(names.size(), 3u);
    EXPECT_TRUE(Has(names, "ALPHA"));
    EXPECT_TRUE(Has(names, std::string(31, 'L')));
    EXPECT_FALSE(Has(names, "file.txt"));
}

TEST(ListSubfolders, NothingFoundGivesDotDotAlone) {
    TempDir dir;
    EXPECT_EQ(wizard::ListSubfolders(dir / "missing\\*.*"), std::vector<std::string>{".."});
}

TEST(ListSubfolders, StopsAtATableOfAThousand) {
    TempDir dir;
    for (int i = 0; i < 1001; ++i) {
        MakeDir(dir / ("D" + std::to_string(i)));
    }
    EXPECT_EQ(wizard::ListSubfolders(dir.path() + "*.*").size(), wizard::kMaxSubfolders);
}

TEST(CurrentDirectory, LongerThanTheEditHoldsGivesNothing) {
    TempDir dir;
    std::string deep = dir.path();
    while (deep.size() <= wizard::kMaxCurrentDirectory) {
        deep += "SUBFOLDER\\";
        MakeDir(deep);
    }
    char saved[1024] = {};
    ASSERT_NE(::_getcwd(saved, sizeof(saved)), nullptr);
    ASSERT_EQ(::_chdir(dir.path().c_str()), 0);
    const auto shallow = wizard::CurrentDirectory();
    ASSERT_EQ(::_chdir(deep.c_str()), 0);
    const auto tooLong = wizard::CurrentDirectory();
    ::_chdir(saved);
    ASSERT_TRUE(shallow.has_value());
    EXPECT_EQ(*shallow + "\\", dir.path());
    EXPECT_FALSE(tooLong.has_value());
}

}  // namespace
