#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "wizard/installed_folder.h"

namespace {

constexpr char kRoot[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// Uninstall keys made for one test in the real registry and removed afterwards.
class UninstallKeys : public ::testing::Test {
protected:
    std::string Name(int i) {
        return "RenovoTest-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(i);
    }
    void Make(const std::string& name, const char* value) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (kRoot + name).c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        if (value) {
            RegSetValueExA(key, "UninstallString", 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(value), DWORD(strlen(value) + 1));
        }
        RegCloseKey(key);
        made_.push_back(name);
    }
    void TearDown() override {
        for (const std::string& name : made_) {
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, (kRoot + name).c_str());
        }
    }
    std::vector<std::string> made_;
};

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
