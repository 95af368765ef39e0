// The destination page's folder table and current directory at their limits.
#include <gtest/gtest.h>

#include <direct.h>

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>

#include "tests/support/test_support.h"
#include "wizard/subfolders.h"

namespace {

using testing_support::From932;
using testing_support::MakeDir;
using testing_support::TempDir;
using testing_support::WriteFile;

bool Has(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

TEST(ListSubfolders, DotDotFirstThenFoldersOnly) {
    ASSERT_EQ(::GetACP(), testing_support::NamedCodePage());
    TempDir dir;
    MakeDir(dir / "ALPHA");
    MakeDir(dir / "材料ﾃﾞｰﾀ");
    MakeDir(dir / std::string(31, 'L'));
    MakeDir(dir / std::string(32, 'M'));  // would not fit the table: left out, not cut
    MakeDir(dir / ("表" + std::string(28, 'S')));  // 30 bytes: fits
    MakeDir(dir / ("表" + std::string(30, 'S')));  // 32 bytes, 31 characters: left out
    // No folder below one that cp932 cannot carry can be the product's: left out.
    ASSERT_TRUE(::CreateDirectoryW((From932(dir.path()) + L"\u0915").c_str(), nullptr));
    WriteFile(dir / "file.txt", "x");
    const auto names = wizard::ListSubfolders(dir.path() + "*.*");
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names.front(), "..");
    EXPECT_EQ(names.size(), 5u);
    EXPECT_TRUE(Has(names, "ALPHA"));
    EXPECT_TRUE(Has(names, "材料ﾃﾞｰﾀ"));
    EXPECT_TRUE(Has(names, std::string(31, 'L')));
    EXPECT_TRUE(Has(names, "表" + std::string(28, 'S')));
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

// Read in UTF-16 and given in cp932; counted in cp932 bytes against the edit's limit.
TEST(CurrentDirectory, IsTheCp932FormOrNothing) {
    ASSERT_EQ(::GetACP(), testing_support::NamedCodePage());
    TempDir dir;
    std::string fits = dir.path();
    fits += std::string(wizard::kMaxCurrentDirectory - fits.size() - 2, 'x') + "表";  // 99 bytes
    const std::string tooLong = dir.path() + "表" + std::string(
        wizard::kMaxCurrentDirectory - dir.path().size() - 1, 'y');  // 100 bytes, 99 characters
    MakeDir(dir / "データ");
    MakeDir(fits);
    MakeDir(tooLong);
    const std::wstring hindi = From932(dir.path()) + L"\u0915";
    ASSERT_TRUE(::CreateDirectoryW(hindi.c_str(), nullptr));
    std::wstring saved(32768, L'\0');
    saved.resize(::GetCurrentDirectoryW(DWORD(saved.size()), saved.data()));
    struct Case {
        std::wstring folder;
        std::optional<std::string> shown;
    } cases[] = {
        {From932(dir / "データ"), dir / "データ"},
        {From932(fits), fits},
        {From932(tooLong), std::nullopt},
        {hindi, std::nullopt},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(::SetCurrentDirectoryW(c.folder.c_str()));
        EXPECT_EQ(wizard::CurrentDirectory(), c.shown) << c.shown.value_or("(nothing)");
    }
    ::SetCurrentDirectoryW(saved.c_str());
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
