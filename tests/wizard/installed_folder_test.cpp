#include <gtest/gtest.h>

#include <windows.h>

#include <utility>
#include <vector>

#include "wizard/installed_folder.h"

namespace {

constexpr char kRoot[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// Uninstall keys made for one test in the real registry and removed afterwards; by default in
// the 32-bit view, where the product (a 32-bit program) writes its entry.
class UninstallKeys : public ::testing::Test {
protected:
    std::string Name(int i) {
        return "RenovoTest-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(i);
    }
    void Make(const std::string& name, const char* value, REGSAM view = KEY_WOW64_32KEY) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (kRoot + name).c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS | view, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        if (value) {
            RegSetValueExA(key, "UninstallString", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                           DWORD(strlen(value) + 1));
        }
        RegCloseKey(key);
        made_.push_back({name, view});
    }
    void TearDown() override {
        for (const auto& [name, view] : made_) {
            HKEY root;
            if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRoot, 0, KEY_ALL_ACCESS | view, &root) ==
                ERROR_SUCCESS) {
                RegDeleteKeyA(root, name.c_str());
                RegCloseKey(root);
            }
        }
    }
    std::vector<std::pair<std::string, REGSAM>> made_;
};

// A 64-bit build reads what the shipped 32-bit one reads, never a 64-bit program's entry.
TEST_F(UninstallKeys, OnlyThe32BitViewIsRead) {
    Make(Name(1), "C:\\U.EXE -fD:\\NATIVE\\SETUP.LOG", KEY_WOW64_64KEY);
    Make(Name(2), "C:\\U.EXE -fD:\\PROD\\SETUP.LOG");
    EXPECT_EQ(wizard::FindInstalledFolder({Name(1)}), std::nullopt);
    EXPECT_EQ(wizard::FindInstalledFolder({Name(2)}), std::optional<std::string>("D:\\PROD"));
}

// The page, the unattended run and /RESTORE all take this proposal.
TEST_F(UninstallKeys, ProposalIsTheEntrysFolderElseTheManifests) {
    Make(Name(2), "C:\\U.EXE -fD:\\PROD\\SETUP.LOG");
    EXPECT_EQ(wizard::ProposedFolder({Name(2)}, "C:\\DEFAULT"), "D:\\PROD");
    EXPECT_EQ(wizard::ProposedFolder({Name(1)}, "C:\\DEFAULT"), "C:\\DEFAULT");
}

TEST_F(UninstallKeys, FirstKeyThatOpensIsTheOnlyOneRead) {
    Make(Name(3), "C:\\U.EXE -fD:\\THIRD\\SETUP.LOG");
    Make(Name(4), "C:\\U.EXE -fD:\\FOURTH\\SETUP.LOG");
    std::array<std::string, 15> keys = {Name(1), Name(2), Name(3), Name(4)};
    EXPECT_EQ(wizard::FindInstalledFolder(keys), std::optional<std::string>("D:\\THIRD"));
}

TEST_F(UninstallKeys, KeyWithoutValueEndsTheSearch) {
    Make(Name(1), nullptr);
    Make(Name(2), "C:\\U.EXE -fD:\\PROD\\SETUP.LOG");
    std::array<std::string, 15> keys = {Name(1), Name(2)};
    EXPECT_EQ(wizard::FindInstalledFolder(keys), std::nullopt);
}

TEST_F(UninstallKeys, EmptyNameStopsTheList) {
    Make(Name(2), "C:\\U.EXE -fD:\\PROD\\SETUP.LOG");
    std::array<std::string, 15> keys = {"", Name(2)};
    EXPECT_EQ(wizard::FindInstalledFolder(keys), std::nullopt);
}

TEST_F(UninstallKeys, ValueForms) {
    struct Case {
        std::string value;
        std::optional<std::string> folder;
    } cases[] = {
        {"C:\\U.EXE -fD:\\SETUP.LOG", "D:"},
        {"C:\\U.EXE -fSETUP.LOG", ""},
        {"C:\\U.EXE /F D:\\PROD\\SETUP.LOG", std::nullopt},
        {"C:\\U.EXE -fC:\\ソフト\\SETUP.LOG", "C:\\ソフト"},
        // 300 bytes do not fit the 256-byte value buffer: read as empty.
        {"C:\\U.EXE -fD:\\P\\S.LOG " + std::string(280, 'x'), std::nullopt},
    };
    int i = 10;
    for (const Case& c : cases) {
        Make(Name(i), c.value.c_str());
        std::array<std::string, 15> keys = {Name(i)};
        EXPECT_EQ(wizard::FindInstalledFolder(keys), c.folder) << c.value;
        ++i;
    }
}

}  // namespace
