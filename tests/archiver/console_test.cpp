// renovo-lzh.exe as support staff start it: from a folder with a blank, quoted; its text as
// cp932 bytes into a file or pipe, as UTF-16 onto a console.
#include <windows.h>

#include <gtest/gtest.h>


#include "archiver/texts.h"
#include "framework/handles.h"
#include "framework/wide.h"
#include "tests/archiver/fixture.h"
#include "tests/support/test_support.h"

namespace {

using framework::Wide;

struct Ran {
    DWORD code = 0xFFFFFFFF;
    std::string out;
    std::string err;
};

// Runs `commandLine` (UTF-16, so that any name reaches the program) with its standard output
// and error going to files, or to `console` when one is given.
Ran RunConsole(const std::wstring& commandLine, const std::string& dir,
               HANDLE console = nullptr) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const auto open = [&](const char* name) {
        return framework::File(CreateFileW(Wide(dir + name).c_str(), GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                           CREATE_ALWAYS, 0, nullptr));
    };
    Ran ran;
    {
        framework::File out = open("stdout.txt");
        framework::File err = open("stderr.txt");
        STARTUPINFOW si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = console != nullptr ? console : out.Get();
        si.hStdError = console != nullptr ? console : err.Get();
        PROCESS_INFORMATION pi{};
        std::wstring line = commandLine;
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                            &si, &pi)) {
            return ran;
        }
        const framework::KernelObject process(pi.hProcess), thread(pi.hThread);
        WaitForSingleObject(pi.hProcess, 60000);
        GetExitCodeProcess(pi.hProcess, &ran.code);
    }
    ran.out = testing_support::ReadFile(dir + "stdout.txt");
    ran.err = testing_support::ReadFile(dir + "stderr.txt");
    return ran;
}

class Console : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::GetACP(), testing_support::NamedCodePage());
        testing_support::MakeDir(tools_);
        ASSERT_TRUE(CopyFileW(Wide(archiver_test::WinePath(RENOVO_LZH_EXE)).c_str(),
                              Wide(exe_).c_str(), FALSE));
    }
    std::wstring Line(const std::string& arguments) const {
        return L"\"" + Wide(exe_) + L"\" " + Wide(arguments);
    }

    testing_support::TempDir dir_;
    std::string tools_ = dir_ / "support tools\\";
    std::string exe_ = tools_ + "renovo-lzh.exe";
    std::string archive_ = archiver_test::DataFile("level1o6");
};

TEST_F(Console, TakesTheRestOfItsCommandLineVerbatim) {
    const Ran done = RunConsole(Line("e -mcwC:\\WINDOWS \"" + archive_ + "\" \"" + dir_.path() +
                                     "out put\""),
                                dir_.path());
    EXPECT_EQ(done.code, 0u);
    EXPECT_EQ(testing_support::ReadFile(dir_ / "out put\\binary.dat"), archiver_test::BinaryData());
    EXPECT_EQ(RunConsole(L"\"" + Wide(exe_) + L"\"e \"" + Wide(dir_.path()) + L"missing\"",
                         dir_.path())
                  .code,
              2u);
    EXPECT_EQ(RunConsole(Line("extract"), dir_.path()).code, 1u);
}

// Into a file, the bytes are the archiver's cp932 text and CR LF, as they always were.
TEST_F(Console, RedirectedOutputIsTheCp932TextItself) {
    const struct Case {
        std::string arguments;
        DWORD code;
        std::string err;
    } cases[] = {
        {"", 1, "コマンドがありません。\r\n"},
        {"x \"" + dir_.path() + "a\"", 1, "コマンドが正しくありません: x\r\n"},
        {"e \"" + dir_.path() + "無い.lzh\"", 2,
         "書庫が見つかりません。\n書庫: " + dir_.path() + "無い.lzh\r\n"},
    };
    for (const Case& c : cases) {
        const Ran ran = RunConsole(Line(c.arguments), dir_.path());
        EXPECT_EQ(ran.code, c.code) << c.arguments;
        EXPECT_EQ(ran.err, c.err) << c.arguments;
        EXPECT_EQ(ran.out, "") << c.arguments;
    }
    const Ran done = RunConsole(Line("e \"" + archive_ + "\" \"" + dir_.path() + "out\""),
                                dir_.path());
    EXPECT_EQ(done.code, 0u);
    EXPECT_EQ(done.out, std::to_string(archiver_test::ListFolder(dir_ / "out\\").size()) +
                            archiver::kExtracted + "\r\n");
    EXPECT_EQ(done.err, "");
}

// A Japanese destination and archive reach the archiver as their cp932 names on any code page.
TEST_F(Console, JapaneseNamesOnTheCommandLine) {
    ASSERT_TRUE(
        CopyFileW(Wide(archive_ + ".lzh").c_str(), Wide(dir_ / "単価.lzh").c_str(), FALSE));
    const Ran ran = RunConsole(Line("e \"" + dir_.path() + "単価.lzh\" \"" + dir_.path() +
                                    "データ\\材料\""),
                               dir_.path());
    EXPECT_EQ(ran.code, 0u) << ran.err;
    EXPECT_EQ(testing_support::ReadFile(dir_ / "データ\\材料\\binary.dat"),
              archiver_test::BinaryData());
}

// A name cp932 cannot carry names no file the archiver could make: refused, shown, and
// nothing is made.
TEST_F(Console, ArgumentCp932CannotCarryIsRefused) {
    const Ran ran = RunConsole(Line("e \"" + archive_ + "\" \"" + dir_.path() + "out") +
                                   L"\u0915\"",
                               dir_.path());
    EXPECT_EQ(ran.code, 1u);
    EXPECT_EQ(ran.err, std::string(archiver::kCommandLineNotCp932) + "e \"" + archive_ + "\" \"" +
                           dir_.path() + "out?\"\r\n");
    EXPECT_EQ(ran.out, "");
    EXPECT_EQ(archiver_test::ListFolder(dir_.path()),
              (std::vector<std::string>{"stderr.txt", "stdout.txt", "support tools"}));
}

// On a console the text is written as UTF-16, so it reads right whatever the console's code
// page; read back from the console's screen.
TEST_F(Console, ConsoleShowsTheTextAsUtf16) {
    // A console of its own, whatever the test program was started with.
    FreeConsole();
    if (!AllocConsole()) {
        GTEST_SKIP() << "no console can be made here (error " << GetLastError() << ")";
    }
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    framework::File screen(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                       OPEN_EXISTING, 0, nullptr));
    if (!screen) {
        GTEST_SKIP() << "no console screen here (error " << GetLastError() << ")";
    }
    const Ran ran = RunConsole(Line("x \"" + dir_.path() + "a\""), dir_.path(), screen.Get());
    EXPECT_EQ(ran.code, 1u);
    const std::wstring expected =
        L"\u30B3\u30DE\u30F3\u30C9\u304C\u6B63\u3057\u304F";  // コマンドが正しく
    std::wstring shown(expected.size(), L'\0');
    DWORD read = 0;
    const bool readable = ReadConsoleOutputCharacterW(screen.Get(), shown.data(),
                                                      static_cast<DWORD>(shown.size()), {0, 0},
                                                      &read);
    const DWORD error = GetLastError();
    shown.resize(read);
    screen.Reset();
    FreeConsole();
    if (!readable) {
        GTEST_SKIP() << "the console's screen cannot be read back here (error " << error << ")";
    }
    EXPECT_EQ(shown, expected);
}

}  // namespace
