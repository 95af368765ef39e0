#include <gtest/gtest.h>

#include <windows.h>

#include <utility>
#include <vector>

#include "tests/support/test_support.h"
#include "wizard/installed_folder.h"

namespace {

using testing_support::From932;

constexpr wchar_t kRoot[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// Uninstall keys made for one test in the real registry and removed afterwards; by default in
// the 32-bit view, where the product (a 32-bit program) writes its entry.
class UninstallKeys : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::GetACP(), testing_support::NamedCodePage());
    }
    // Japanese in the key's name: the manifest names the keys in cp932.
    std::string Name(int i) {
        return "RenovoTest-製品-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(i);
    }
    // The value as the product's installer writes it, in UTF-16.
    void MakeWide(const std::string& name, const std::wstring* value,
                  REGSAM view = KEY_WOW64_32KEY) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (kRoot + From932(name)).c_str(), 0, nullptr,
                                  0, KEY_ALL_ACCESS | view, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        if (value) {
            RegSetValueExW(key, L"UninstallString", 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(value->c_str()),
                           DWORD((value->size() + 1) * sizeof(wchar_t)));
        }
        RegCloseKey(key);
        made_.push_back({name, view});
    }
    void Make(const std::string& name, const char* value, REGSAM view = KEY_WOW64_32KEY) {
        const std::wstring wide = value ? From932(value) : L"";
        MakeWide(name, value ? &wide : nullptr, view);
    }
    void TearDown() override {
        for (const auto& [name, view] : made_) {
            HKEY root;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRoot, 0, KEY_ALL_ACCESS | view, &root) ==
                ERROR_SUCCESS) {
                RegDeleteKeyW(root, From932(name).c_str());
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
    EXPECT_EQ(wizard::FindInstalledFolder({Name(1)}).folder, std::nullopt);
    EXPECT_EQ(wizard::FindInstalledFolder({Name(2)}).folder, std::optional<std::string>("D:\\PROD"));
}

// The page, the unattended run and /RESTORE all take this proposal.
TEST_F(UninstallKeys, ProposalIsTheEntrysFolderElseTheManifests) {
    Make(Name(2), "C:\\U.EXE -fD:\\PROD\\SETUP.LOG");
    EXPECT_EQ(wizard::ProposedFolder({Name(2)}, "C:\\DEFAULT").folder, "D:\\PROD");
    EXPECT_EQ(wizard::ProposedFolder({Name(1)}, "C:\\DEFAULT").folder, "C:\\DEFAULT");
}

TEST_F(UninstallKeys, FirstKeyThatOpensIsTheOnlyOneRead) {
    Make(Name(3), "C:\\U.EXE -fD:\\THIRD\\SETUP.LOG");
    Make(Name(4), "C:\\U.EXE -fD:\\FOURTH\\SETUP.LOG");
    std::array<std::string, 15> keys = {Name(1), Name(2), Name(3), Name(4)};
    EXPECT_EQ(wizard::FindInstalledFolder(keys).folder, std::optional<std::string>("D:\\THIRD"));
}

TEST_F(UninstallKeys, KeyWithoutValueEndsTheSearch) {
    Make(Name(1), nullptr);
    Make(Name(2), "C:\\U.EXE -fD:\\PROD\\SETUP.LOG");
    std::array<std::string, 15> keys = {Name(1), Name(2)};
    EXPECT_EQ(wizard::FindInstalledFolder(keys).folder, std::nullopt);
}

TEST_F(UninstallKeys, EmptyNameStopsTheList) {
    Make(Name(2), "C:\\U.EXE -fD:\\PROD\\SETUP.LOG");
    std::array<std::string, 15> keys = {"", Name(2)};
    EXPECT_EQ(wizard::FindInstalledFolder(keys).folder, std::nullopt);
}

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += text;
    }
    return out;
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
        {"C:\\ｱﾝｲﾝｽﾄｰﾙ.EXE -fD:\\表示\\ﾃﾞｰﾀ\\SETUP.LOG -c", "D:\\表示\\ﾃﾞｰﾀ"},
        // 255 bytes of cp932 are read, however few characters they are; 256 are not.
        {"C:\\U.EXE -fD:\\P\\S.LOG -" + Repeat("表", 116), "D:\\P"},
        {"C:\\U.EXE -fD:\\P\\S.LOG -x" + Repeat("表", 116), std::nullopt},
        // 300 bytes do not fit the 256-byte value buffer: read as empty.
        {"C:\\U.EXE -fD:\\P\\S.LOG " + std::string(280, 'x'), std::nullopt},
    };
    int i = 10;
    for (const Case& c : cases) {
        Make(Name(i), c.value.c_str());
        std::array<std::string, 15> keys = {Name(i)};
        EXPECT_EQ(wizard::FindInstalledFolder(keys).folder, c.folder) << c.value;
        ++i;
    }
}

// A folder the entry names in characters cp932 cannot carry is named back, shown with '?', and
// proposes nothing in its stead; such a character elsewhere in the value names nothing.
TEST_F(UninstallKeys, FolderCp932CannotCarryIsNamedNotProposed) {
    struct Case {
        std::wstring value;
        std::optional<std::string> folder;
        std::string unusable;
    } cases[] = {
        {L"C:\\U.EXE -fD:\\\u0915\u0916\\SETUP.LOG", std::nullopt, "D:\\??"},
        {L"C:\\U.EXE -fD:\\caf\u00E9\\SETUP.LOG", std::nullopt, "D:\\caf?"},
        {L"C:\\\u0915\\U.EXE -fD:\\\u88FD\u54C1\\SETUP.LOG", "D:\\製品", ""},
        {L"C:\\U.EXE -fD:\\PROD\\\u0915.LOG", "D:\\PROD", ""},
    };
    int i = 30;
    for (const Case& c : cases) {
        MakeWide(Name(i), &c.value);
        const wizard::FolderLookup found = wizard::ProposedFolder({Name(i)}, "C:\\DEFAULT");
        EXPECT_EQ(found.folder, c.folder) << c.unusable;
        EXPECT_EQ(found.unusable, c.unusable);
        ++i;
    }
}

}  // namespace
