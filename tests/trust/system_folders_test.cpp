// Folders no product setting may send a write to, whoever wrote the setting.
#include <gtest/gtest.h>

#include "trust/system_folders.h"

namespace {

using trust::Forbidden;

struct FolderCase {
    const char* name;
    const char* folder;
    Forbidden expected;
};

const trust::SystemFolders kPc{
    "C:\\Windows",
    {"C:\\Program Files", "C:\\Program Files (x86)", ""},
    {"C:\\Users", "C:\\Users\\taro", "C:\\Users\\Public"}};

class Folders : public ::testing::TestWithParam<FolderCase> {};

TEST_P(Folders, SystemFoldersAreNeverTaken) {
    EXPECT_EQ(trust::ForbiddenFolder(GetParam().folder, kPc), GetParam().expected)
        << GetParam().folder;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Folders,
    ::testing::Values(
        FolderCase{"WindowsItself", "C:\\Windows", Forbidden::kWindows},
        FolderCase{"System32", "c:\\windows\\system32", Forbidden::kWindows},
        FolderCase{"BelowWithSeparator", "C:\\WINDOWS\\Fonts\\", Forbidden::kWindows},
        FolderCase{"ForwardSlashes", "C:/Windows/System32", Forbidden::kWindows},
        FolderCase{"BesideWindowsIsNot", "C:\\WindowsApps2", Forbidden::kNone},
        FolderCase{"DriveRoot", "D:\\", Forbidden::kDriveRoot},
        FolderCase{"DriveRootWithoutSeparator", "D:", Forbidden::kDriveRoot},
        FolderCase{"Share", "\\\\server\\share\\voice", Forbidden::kDriveRoot},
        FolderCase{"Relative", "voice", Forbidden::kDriveRoot},
        FolderCase{"ProgramFiles", "C:\\Program Files\\", Forbidden::kProgramFiles},
        FolderCase{"ProgramFiles32", "c:\\program files (x86)", Forbidden::kProgramFiles},
        FolderCase{"BelowProgramFilesIs", "C:\\Program Files\\Tovaka\\Voice", Forbidden::kNone},
        FolderCase{"ProfilesRoot", "C:\\Users", Forbidden::kProfile},
        FolderCase{"AProfile", "C:\\Users\\Taro\\", Forbidden::kProfile},
        FolderCase{"InAProfile", "C:\\Users\\taro\\Documents\\voice", Forbidden::kNone},
        FolderCase{"PlainFolder", "D:\\TOVAKA\\音声", Forbidden::kNone},
        // 0x5C as a trail byte ("表") is no separator to strip.
        FolderCase{"TrailByte", "C:\\Windows\\表", Forbidden::kWindows},
        FolderCase{"TrailByteFolderElsewhere", "D:\\表", Forbidden::kNone}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Folders, NothingKnownForbidsOnlyRootsAndOtherPlaces) {
    const trust::SystemFolders none;
    EXPECT_EQ(trust::ForbiddenFolder("C:\\Windows", none), Forbidden::kNone);
    EXPECT_EQ(trust::ForbiddenFolder("C:\\", none), Forbidden::kDriveRoot);
}

}  // namespace
