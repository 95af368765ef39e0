// examples/fleet as a fleet tool runs it: unattended, from a local cache folder holding the
// one-folder set and the scripts, twice; the second run finds the receipt and skips the update.
// Then its way back, after which the rule no longer holds.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "receipt/identity.h"
#include "receipt/receipt.h"
#include "tests/e2e/driver.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::ReadFile;

const std::string kDemo = e2e::WinePath(RENOVO_DEMO) + "\\";
const std::string kFleet = e2e::WinePath(RENOVO_FLEET) + "\\";
const std::string kCache = "C:\\FLEETCACHE\\";
const std::string kProduct = "C:\\TOVAKA\\";
const std::string kOutput = kCache + "output.txt";

class Fleet : public ::testing::Test {
protected:
    void SetUp() override {
        testing_support::RemoveTree(kProduct);
        e2e::CopyTree(kDemo + "product\\", kProduct);
        testing_support::RemoveTree(kCache);
        e2e::CopyTree(kDemo + "disk1\\", kCache);
        e2e::CopyTree(kDemo + "disk2\\", kCache);
        e2e::CopyTree(kFleet, kCache);
        ASSERT_TRUE(::CopyFileA(e2e::WinePath(RENOVO_EXE).c_str(), (kCache + "RENOVO.EXE").c_str(),
                                FALSE));
        ::DeleteFileA(Log().c_str());
    }
    void TearDown() override {
        receipt::RemoveReceipt("TOVAKA Demo", receipt::UpdateIdOf(ReadFile(kCache + "info.txt")));
        testing_support::RemoveTree(kCache);
        testing_support::RemoveTree(kProduct);
    }
    static std::string Log() {
        char computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
        DWORD size = sizeof computer;
        ::GetComputerNameA(computer, &size);
        char windows[MAX_PATH] = {};
        ::GetWindowsDirectoryA(windows, MAX_PATH);
        return std::string(windows) + "\\Temp\\Renovo-" + computer + ".log";
    }
    // `script` run by cmd as the fleet tool runs it, its output kept; its exit code.
    long Run(const std::string& script) {
        ::DeleteFileA(kOutput.c_str());
        e2e::Program cmd;
        char system[MAX_PATH] = {};
        ::GetSystemDirectoryA(system, MAX_PATH);
        EXPECT_TRUE(cmd.Start(std::string(system) + "\\cmd.exe", kCache,
                              "/c \"" + kCache + script + " > " + kOutput + "\""));
        return cmd.WaitExit(120000);
    }
};

TEST_F(Fleet, InstallsOnceDetectsItAndGoesBack) {
    // The rule pasted into settings.cmd is the one of the set beside it.
    EXPECT_NE(ReadFile(kCache + "settings.cmd")
                  .find("RENOVO_UPDATE=" + receipt::UpdateIdOf(ReadFile(kCache + "info.txt"))),
              std::string::npos);
    EXPECT_EQ(Run("detect.cmd"), 1);

    EXPECT_EQ(Run("install.cmd"), 0);
    EXPECT_NE(ReadFile(Log()).find("result: updated"), std::string::npos);
    EXPECT_EQ(Run("detect.cmd"), 0);

    ::DeleteFileA(Log().c_str());
    EXPECT_EQ(Run("install.cmd"), 0);
    EXPECT_NE(ReadFile(kOutput).find("is installed already: nothing to do"), std::string::npos)
        << ReadFile(kOutput);
    EXPECT_EQ(::GetFileAttributesA(Log().c_str()), INVALID_FILE_ATTRIBUTES);  // not started

    EXPECT_EQ(Run("restore.cmd"), 0);
    EXPECT_NE(ReadFile(Log()).find("receipts removed for backup set"), std::string::npos)
        << ReadFile(Log());
    EXPECT_EQ(Run("detect.cmd"), 1);
}

}  // namespace
