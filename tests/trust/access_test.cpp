// Whether an elevated run may take a folder from a product's settings: by who may change the
// settings and who may write into the folder, over descriptors as real Windows records them
// (owners and entries Wine cannot keep on its files), and on this prefix's own folders.
#include <gtest/gtest.h>
#include <windows.h>
#include <sddl.h>

#include <string>

#include "trust/access.h"
#include "trust/texts.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::TempDir;
using testing_support::WriteFile;

trust::Descriptor FromSddl(const char* sddl) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    trust::Descriptor out;
    EXPECT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &sd,
                                                                     nullptr))
        << sddl;
    EXPECT_TRUE(sd != nullptr && trust::ReadDescriptor(sd, out)) << sddl;
    LocalFree(sd);
    return out;
}

// Admin-only, as a product under Program Files; users modify, as a folder made under C:\.
constexpr char kAdminOnly[] = "O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)";
constexpr char kUnderRoot[] =
    "O:BAD:(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1301bf;;;AU)(A;OICI;0x1200a9;;;BU)";
constexpr char kSystem32[] =
    "O:S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"
    "D:P(A;;FA;;;S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464)"
    "(A;;0x1301bf;;;SY)(A;;0x1301bf;;;BA)(A;;0x1200a9;;;BU)";

struct AccessCase {
    const char* name;
    const char* settings;
    const char* folder;
    bool taken;
};

class Access : public ::testing::TestWithParam<AccessCase> {};

TEST_P(Access, AFolderIsTakenOnlyWhereTheSettingsWritersMayWrite) {
    const std::string why =
        trust::WhyNotTheirs(FromSddl(GetParam().settings), FromSddl(GetParam().folder));
    EXPECT_EQ(why.empty(), GetParam().taken) << why;
}

INSTANTIATE_TEST_SUITE_P(
    Sddl, Access,
    ::testing::Values(
        AccessCase{"AdminOnlySettingsAnyFolder", kAdminOnly, kSystem32, true},
        AccessCase{"UsersSettingsIntoSystem32", kUnderRoot, kSystem32, false},
        AccessCase{"UsersSettingsIntoTheirOwnKindOfFolder", kUnderRoot, kUnderRoot, true},
        AccessCase{"UsersSettingsIntoAdminOnly", kUnderRoot, kAdminOnly, false},
        AccessCase{"EveryoneSettingsNeedEveryoneFolder",
                   "O:BAD:(A;;FA;;;WD)", kUnderRoot, false},
        AccessCase{"EveryoneSettingsEveryoneFolder", "O:BAD:(A;;FA;;;WD)",
                   "O:BAD:(A;OICI;0x1301bf;;;WD)", true},
        AccessCase{"NoAccessListFolderLetsAnyoneWrite", kUnderRoot, "O:BAD:", false},
        AccessCase{"OwnedByAUser", "O:S-1-5-21-1-2-3-1001D:P(A;;FA;;;BA)", kAdminOnly, false},
        AccessCase{"OwnedByAUserWhoMayWriteThere", "O:S-1-5-21-1-2-3-1001D:P(A;;FA;;;BA)",
                   "O:BAD:(A;;FA;;;BA)(A;;0x1301bf;;;S-1-5-21-1-2-3-1001)", true},
        AccessCase{"AUserGrantedAndFolderForUsers",
                   "O:BAD:(A;;FA;;;BA)(A;;0x1301bf;;;S-1-5-21-1-2-3-1001)",
                   "O:BAD:(A;;FA;;;BA)(A;;0x1301bf;;;BU)", true},
        AccessCase{"AUserGrantedButDeniedInTheFolder",
                   "O:BAD:(A;;FA;;;BA)(A;;0x1301bf;;;S-1-5-21-1-2-3-1001)",
                   "O:BAD:(D;;0x2;;;S-1-5-21-1-2-3-1001)(A;;FA;;;BA)(A;;0x1301bf;;;BU)", false},
        AccessCase{"UsersMayOnlyReadTheSettings", "O:BAD:(A;;FA;;;BA)(A;;0x1200a9;;;BU)",
                   kSystem32, true},
        AccessCase{"UsersDeniedWritingTheSettings",
                   "O:BAD:(D;;FA;;;BU)(A;;FA;;;BA)(A;;FA;;;BU)", kSystem32, true},
        AccessCase{"InheritOnlyEntriesDoNotCount", "O:BAD:(A;;FA;;;BA)(A;OICIIO;FA;;;BU)",
                   kSystem32, true},
        AccessCase{"GenericWriteCounts", "O:BAD:(A;;GW;;;BU)", kSystem32, false},
        AccessCase{"FolderInheritOnlyGrantDoesNotLetWrite",
                   "O:BAD:(A;;FA;;;BA)(A;;0x1301bf;;;BU)",
                   "O:BAD:(A;;FA;;;BA)(A;OICIIO;FA;;;BU)", false},
        AccessCase{"AuthenticatedUsersFolderCoversAUser",
                   "O:BAD:(A;;FA;;;BA)(A;;0x1301bf;;;S-1-5-21-1-2-3-1001)",
                   "O:BAD:(A;;FA;;;BA)(A;;0x1301bf;;;AU)", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Access, OthersAreNamedForTheLog) {
    const std::string why =
        trust::WhyNotTheirs(FromSddl("O:BAD:(A;;FA;;;BA)(A;;0x1301bf;;;BU)"), FromSddl(kAdminOnly));
    EXPECT_NE(why.find("S-1-5-32-545"), std::string::npos) << why;
}

TEST(Access, ThisPcsSystemFoldersAreRefusedElevatedOrNot) {
    TempDir product;
    WriteFile(product / "tovaka1.ini", "[DIR]\r\nWAV=C:\\windows\\system32\r\n");
    char windows[MAX_PATH];
    ASSERT_NE(GetSystemWindowsDirectoryA(windows, MAX_PATH), 0u);
    const std::string settings = product / "tovaka1.ini";
    for (bool elevated : {false, true}) {
        EXPECT_FALSE(trust::WhySettingsFolderRefused(settings, "C:\\windows\\system32", elevated)
                         .empty());
        EXPECT_FALSE(
            trust::WhySettingsFolderRefused(settings, std::string(windows) + "\\Fonts\\x", elevated)
                .empty());
        EXPECT_FALSE(trust::WhySettingsFolderRefused(settings, "D:\\", elevated).empty());
        EXPECT_TRUE(trust::WhySettingsFolderRefused(settings, product / "VOICE", elevated).empty());
    }
}

TEST(Access, AnElevatedRunTakesNoFolderUsersCannotWriteFromSettingsUsersCan) {
    TempDir product, voice;
    const std::string settings = product / "tovaka1.ini";
    WriteFile(settings, "[DIR]\r\n");
    PSECURITY_DESCRIPTOR sd = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(
        "D:(A;;FA;;;BA)(A;;0x1301bf;;;BU)", SDDL_REVISION_1, &sd, nullptr));
    ASSERT_TRUE(SetFileSecurityA(settings.c_str(), DACL_SECURITY_INFORMATION, sd));
    LocalFree(sd);
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(
        "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)", SDDL_REVISION_1, &sd,
        nullptr));
    ASSERT_TRUE(SetFileSecurityA(voice.path().c_str(), DACL_SECURITY_INFORMATION, sd));
    LocalFree(sd);
    trust::Descriptor kept;
    ASSERT_TRUE(trust::ReadDescriptorOf(voice.path(), kept));
    if (kept.aces.size() != 3) {
        GTEST_SKIP() << "this Wine keeps no access list on its files (no extended attributes)";
    }
    const std::string missing = voice / "NEW\\WAV";  // made by the run: judged by its parent
    EXPECT_TRUE(trust::WhySettingsFolderRefused(settings, missing, false).empty());
    EXPECT_NE(trust::WhySettingsFolderRefused(settings, missing, true), "");
    EXPECT_NE(trust::WhySettingsFolderRefused(settings, voice.path(), true), "");
}

TEST(Access, TheMessageNamesTheSettingAndTheFolder) {
    EXPECT_EQ(trust::FolderRefusedMessage("[DIR] WAV", "C:\\windows\\system32"),
              "[DIR] WAVに指定されたフォルダーC:\\windows\\system32には書き込めないため、"
              "更新しませんでした。何も変更していません。");
}

}  // namespace
