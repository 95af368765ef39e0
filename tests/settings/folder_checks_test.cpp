#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "settings/folder_checks.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::TempDir;
using testing_support::WriteFile;

// The test command maps Wine's drive P: to an empty folder of its own.
constexpr char kDrive[] = "P";

std::string NoTrailingSeparator(std::string s) {
    s.pop_back();
    return s;
}

TEST(FindSettingsFile, FolderForms) {
    TempDir dir;
    WriteFile(dir / "tovaka1.ini", "[SYSTEM]\r\n");
    const std::string bare = NoTrailingSeparator(dir.path());
    struct Case {
        std::string given, name;
        int result;
        std::string after;
    } cases[] = {
        {dir.path(), "tovaka1.ini", 1, dir.path()},
        {bare, "tovaka1.ini", 1, dir.path()},
        {bare, "TOVAKA1.INI", 1, dir.path()},  // the platform's names ignore case
        {bare, "vestima1.ini", 0, bare},
        {dir.path(), "vestima1.ini", 0, dir.path()},
        {dir / "missing", "tovaka1.ini", 0, dir / "missing"},
        {"", "tovaka1.ini", 0, ""},
    };
    for (const Case& c : cases) {
        const auto found = settings::FindSettingsFile(c.given, c.name);
        EXPECT_EQ(found.has_value(), c.result == 1) << c.given << c.name;
        EXPECT_EQ(found.value_or(c.given), c.after) << c.given << c.name;
    }
}

TEST(FindSettingsFile, NullFallbackFindsVestimaInTheSameFolder) {
    TempDir dir;
    WriteFile(dir / "vestima1.ini", "");
    const std::string folder = NoTrailingSeparator(dir.path());
    EXPECT_FALSE(settings::FindSettingsFile(folder, "tovaka1.ini"));
    EXPECT_EQ(settings::FindSettingsFile(folder, "vestima1.ini"), dir.path());
}

TEST(FindSettingsFile, BareDriveLetter) {
    const std::string root = std::string(kDrive) + ":\\";
    if (GetDriveTypeA(root.c_str()) == DRIVE_NO_ROOT_DIR) {
        GTEST_SKIP() << "drive " << root << " is not mapped (the test command maps it)";
    }
    WriteFile(root + "tovaka1.ini", "");
    EXPECT_EQ(settings::FindSettingsFile(kDrive, "tovaka1.ini"), root);
    EXPECT_FALSE(settings::FindSettingsFile(kDrive, "vestima1.ini"));
    DeleteFileA((root + "tovaka1.ini").c_str());
}

TEST(CheckMenuSettings, Cases) {
    struct Case {
        const char* what;
        std::vector<std::string> files;
        std::string name;
        bool trailing;
        int result;
    } cases[] = {
        {"tv2menu", {"tv2menu.ini"}, "tovaka1.ini", true, 1},
        {"tv1menu only", {"tv1menu.ini"}, "tovaka1.ini", true, 1},
        {"neither", {"other.ini"}, "tovaka1.ini", true, 0},
        {"mixed case name checked", {}, "Tovaka1.INI", true, 0},
        {"pallum checked", {}, "PALLUM1.ini", true, 0},
        {"pallum with menu", {"tv1menu.ini"}, "pallum1.ini", false, 1},
        {"vestima never checked", {}, "vestima1.ini", true, 1},
        {"no separator yet", {"tv2menu.ini"}, "tovaka1.ini", false, 1},
        {"a folder counts as present", {"tv2menu.ini\\"}, "tovaka1.ini", true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        for (const std::string& f : c.files) {
            if (f.back() == '\\') {
                testing_support::MakeDir(dir / f);
            } else {
                WriteFile(dir / f, "");
            }
        }
        const std::string folder = c.trailing ? dir.path() : NoTrailingSeparator(dir.path());
        const auto checked = settings::CheckMenuSettings(folder, c.name);
        EXPECT_EQ(checked.has_value(), c.result == 1);
        if (c.result == 1) {
            EXPECT_EQ(*checked, c.name == "vestima1.ini" ? folder : dir.path());
        }
    }
    EXPECT_FALSE(settings::CheckMenuSettings("Q:\\no\\such\\folder\\", "tovaka1.ini"));
}

}  // namespace
