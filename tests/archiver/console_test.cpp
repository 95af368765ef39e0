// renovo-lzh.exe as support staff start it: from a folder with a blank, quoted.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/archiver/fixture.h"
#include "tests/support/test_support.h"

namespace {

DWORD RunConsole(const std::string& commandLine) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        return 0xFFFFFFFF;
    }
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

TEST(Console, TakesTheRestOfItsCommandLineVerbatim) {
    testing_support::TempDir dir;
    std::string tools = dir / "support tools\\";
    testing_support::MakeDir(tools);
    std::string exe = tools + "renovo-lzh.exe";
    ASSERT_TRUE(CopyFileA(archiver_test::WinePath(RENOVO_LZH_EXE).c_str(), exe.c_str(), FALSE));
    std::string archive = archiver_test::DataFile("level1o6");
    EXPECT_EQ(RunConsole("\"" + exe + "\" e -mcwC:\\WINDOWS \"" + archive + "\" \"" + dir.path() +
                         "out put\""),
              0u);
    EXPECT_EQ(testing_support::ReadFile(dir / "out put\\binary.dat"), archiver_test::BinaryData());
    EXPECT_EQ(RunConsole("\"" + exe + "\"e \"" + dir.path() + "missing\""), 2u);
    EXPECT_EQ(RunConsole("\"" + exe + "\" extract"), 1u);
}

}  // namespace
