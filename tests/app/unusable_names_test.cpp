// What Windows hands the program at start-up, read in UTF-16: its command line, its own folder
// and the product's Uninstall entry. A name cp932 cannot carry could be named by no step of the
// run, so it is refused by name before anything is done. The real Renovo.exe runs here, copied
// where each case needs it; these suites also run at code pages 1252 and 65001.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/command_run.h"
#include "app/texts.h"
#include "framework/handles.h"
#include "tests/support/test_support.h"
#include "text/format.h"
#include "wizard/texts.h"

namespace {

using testing_support::From932;
using testing_support::TempDir;

// The log is UTF-8.
std::string Utf8(const std::string& cp932) {
    const std::wstring wide = From932(cp932);
    std::string out(wide.size() * 3, '\0');
    out.resize(static_cast<size_t>(::WideCharToMultiByte(CP_UTF8, 0, wide.data(),
                                                         int(wide.size()), out.data(),
                                                         int(out.size()), nullptr, nullptr)));
    return out;
}

std::wstring BuiltRenovo() {
    std::wstring path = L"Z:" + From932(RENOVO_EXE);
    for (wchar_t& c : path) {
        c = c == L'/' ? L'\\' : c;
    }
    return path;
}

// Runs a copy of Renovo.exe in `folder` (made here) with `arguments`; its exit code.
DWORD RunCopy(const std::wstring& folder, const std::wstring& arguments) {
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring program = folder + L"\\Renovo.exe";
    if (!::CopyFileW(BuiltRenovo().c_str(), program.c_str(), FALSE)) {
        return 99;
    }
    std::wstring command = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &si, &pi)) {
        return 98;
    }
    const framework::KernelObject process(pi.hProcess), thread(pi.hThread);
    ::WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 97;
    ::GetExitCodeProcess(pi.hProcess, &code);
    return code;
}

TEST(ArgumentsOf, FollowTheProgramsNameAsTheRuntimeCutsIt) {
    struct Case {
        const wchar_t* whole;
        const wchar_t* arguments;
    } cases[] = {
        {L"Renovo.exe", L""},
        {L"Renovo.exe /SILENT", L"/SILENT"},
        {L"\"C:\\My Disk\\Renovo.exe\"  /DIR=C:\\TOVAKA ", L"/DIR=C:\\TOVAKA "},
        {L"\"C:\\\u30C7\u30FC\u30BF\\Renovo.exe\" /LOG=x", L"/LOG=x"},
        {L"C:\\\u30C7\u30FC\u30BF\\Renovo.exe /SILENT", L"/SILENT"},  // unquoted Japanese
        {L"\"Renovo.exe\"/LOG=x", L""},  // the name goes on to the first blank
        {L"C:\\a\"b c\"\\Renovo.exe\t/RESTORE", L"/RESTORE"},  // a quote inside the name
        {L"  ", L""},
        {L"", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(app::ArgumentsOf(c.whole), c.arguments) << c.whole;
    }
}

class StartUp : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(::GetACP(), testing_support::NamedCodePage()); }
    TempDir dir_;
    const std::string log_ = dir_ / "renovo.log";
    const std::wstring quiet_ = L"/VERYSILENT /LOG=\"" + From932(log_) + L"\"";
};

TEST_F(StartUp, AProgramFolderCp932CannotCarryIsRefusedByName) {
    const std::wstring folder = From932(dir_.path()) + L"\u0915\u0916";
    EXPECT_EQ(RunCopy(folder, quiet_), 1u);
    const std::string shown = dir_.path() + "??\\";
    EXPECT_NE(testing_support::ReadFile(log_).find(
                  Utf8(text::Format(app::kUnusableProgramFolder, shown))),
              std::string::npos)
        << testing_support::ReadFile(log_);
}

// Nothing is done: not even the log is opened.
TEST_F(StartUp, ACommandLineCp932CannotCarryIsRefusedBeforeAnything) {
    const std::wstring folder = From932(dir_ / "ﾌﾟﾛｸﾞﾗﾑ");
    EXPECT_EQ(RunCopy(folder, quiet_ + L" /DIR=C:\\\u0915"), 4u);
    EXPECT_FALSE(testing_support::FileExists(log_));
}

// Japanese in the program's folder and in the switches is read as it is: the run goes as far
// as a folder with no manifest lets it (refused, 1) and logs both.
TEST_F(StartUp, JapaneseNamesAreReadAsTheyAre) {
    const std::wstring folder = From932(dir_ / "更新ﾃﾞｨｽｸ");
    EXPECT_EQ(RunCopy(folder, quiet_ + L" /DIR=" + From932("C:\\材料")), 1u);
    const std::string log = testing_support::ReadFile(log_);
    EXPECT_NE(log.find(Utf8("program folder " + dir_ / "更新ﾃﾞｨｽｸ\\")), std::string::npos) << log;
    EXPECT_NE(log.find(Utf8("/DIR=C:\\材料")), std::string::npos) << log;
}

// An Uninstall entry that names its folder in characters cp932 cannot carry: the unattended
// run updates no other folder in its stead.
TEST_F(StartUp, AnInstalledFolderCp932CannotCarryIsNotReplacedUnasked) {
    const std::wstring root = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    const std::wstring name = L"RenovoTest-" + std::to_wstring(::GetCurrentProcessId());
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, (root + name).c_str(), 0, nullptr, 0,
                                KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::wstring value = L"C:\\U.EXE -fC:\\\u0915\\SETUP.LOG";
    ::RegSetValueExW(key, L"UninstallString", 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(value.c_str()),
                     DWORD((value.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
    const std::wstring folder = From932(dir_ / "disk");
    ::CreateDirectoryW(folder.c_str(), nullptr);
    // The manifest's first line names the entry; its default folder would be "C:\TOVAKA".
    std::string manifest = std::string(name.begin(), name.end()) + "\r\n";
    for (int line = 2; line <= 15; ++line) {
        manifest += "\r\n";
    }
    testing_support::WriteFile(dir_ / "disk\\info.txt", manifest + "C:\\TOVAKA\r\n");
    const DWORD code = RunCopy(folder, quiet_);
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, root.c_str(), 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY,
                        &key) == ERROR_SUCCESS) {
        ::RegDeleteKeyW(key, name.c_str());
        ::RegCloseKey(key);
    }
    EXPECT_EQ(code, 1u);
    const std::string log = testing_support::ReadFile(log_);
    EXPECT_NE(log.find(Utf8(text::Format(wizard::kUnusableInstalledFolder, "C:\\?"))),
              std::string::npos)
        << log;
}

}  // namespace
