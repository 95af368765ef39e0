#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archiver/command.h"

namespace {

using archiver::Command;
using archiver::CommandKind;

// The files that exist for the parser's question about dotted archive names.
bool Exists(const std::string& path) {
    return path == "A:UPD1.0.lzh" || path == "C:\\v1.2\\data.1.lzh";
}

struct GoodCase {
    const char* text;
    CommandKind kind;
    bool m, c;
    const char* work;
    const char* archive;
    const char* destination;
};

class ParseGood : public ::testing::TestWithParam<GoodCase> {};

TEST_P(ParseGood, Fields) {
    const GoodCase& g = GetParam();
    Command cmd;
    std::string error;
    ASSERT_TRUE(archiver::ParseCommand(g.text, Exists, cmd, error)) << g.text << ": " << error;
    EXPECT_EQ(cmd.kind, g.kind);
    EXPECT_EQ(cmd.noQuestions, g.m);
    EXPECT_EQ(cmd.replaceAlways, g.c);
    EXPECT_EQ(cmd.workFolder, g.work);
    EXPECT_EQ(cmd.archive, g.archive);
    EXPECT_EQ(cmd.destination, g.destination);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ParseGood,
    ::testing::Values(
        GoodCase{R"(e -mcwC:\WINDOWS "A:SYS01" "C:\PRODUCT\SYSTEM\")", CommandKind::kExtract, true,
                 true, R"(C:\WINDOWS)", "A:SYS01.lzh", R"(C:\PRODUCT\SYSTEM\)"},
        GoodCase{R"(e -m -c -wC:\W A:SYS01.LZH C:\PRODUCT\WAV)", CommandKind::kExtract, true, true,
                 R"(C:\W)", "A:SYS01.LZH", R"(C:\PRODUCT\WAV)"},
        GoodCase{"E\t-M  \"C:\\my disk\\a b\"   \"D:\\to dir\" ", CommandKind::kExtract, true,
                 false, "", "C:\\my disk\\a b.lzh", "D:\\to dir"},
        // A 0x5C trail byte is no separator: the extension is still missing.
        GoodCase{"e \"C:\\P\\\x89\xb9\x90\xba\\wave\" \"\x83\x5c\"", CommandKind::kExtract, false,
                 false, "", "C:\\P\\\x89\xb9\x90\xba\\wave.lzh", "\x83\x5c"},
        GoodCase{"e -w\"C:\\with blank\" x.lha", CommandKind::kExtract, false, false,
                 "C:\\with blank", "x.lha", ""},
        GoodCase{"e \"-dash\"", CommandKind::kExtract, false, false, "", "-dash.lzh", ""},
        GoodCase{"l A:\\dir.v2\\SYS01", CommandKind::kList, false, false, "",
                 "A:\\dir.v2\\SYS01.lzh", ""},
        // The Windows folder goes in unquoted: a per-user one holds blanks.
        GoodCase{R"(e -mcwC:\Documents and Settings\user\WINDOWS "A:SYS01" "C:\P\")",
                 CommandKind::kExtract, true, true, R"(C:\Documents and Settings\user\WINDOWS)",
                 "A:SYS01.lzh", R"(C:\P\)"},
        GoodCase{"e -mcwC:\\a  b\t \"A:UPD1.0\" \"C:\\P\"", CommandKind::kExtract, true, true,
                 "C:\\a  b", "A:UPD1.0.lzh", "C:\\P"},
        GoodCase{R"(e -wC:\W A:SYS01 "C:\P")", CommandKind::kExtract, false, false,
                 R"(C:\W A:SYS01)", "C:\\P.lzh", ""},
        GoodCase{R"(e -mcwC:\W"x" "A:SYS01")", CommandKind::kExtract, true, true, R"(C:\Wx)",
                 "A:SYS01.lzh", ""}));

struct BadCase {
    const char* text;
    const char* errorStart;  // cp932 bytes of the expected text's beginning
};

class ParseBad : public ::testing::TestWithParam<BadCase> {};

TEST_P(ParseBad, RefusedWithReason) {
    Command cmd;
    std::string error;
    EXPECT_FALSE(archiver::ParseCommand(GetParam().text, Exists, cmd, error)) << GetParam().text;
    EXPECT_EQ(error.rfind(GetParam().errorStart, 0), 0u) << GetParam().text << " -> " << error;
}

INSTANTIATE_TEST_SUITE_P(Commands, ParseBad,
                         ::testing::Values(BadCase{"", "コマンドがありません"},
                                           BadCase{"   ", "コマンドがありません"},
                                           BadCase{"x a.lzh", "コマンドが正しくありません: x"},
                                           BadCase{"extract a.lzh", "コマンドが正しく"},
                                           BadCase{"e -q a.lzh", "スイッチが正しくありません: -q"},
                                           BadCase{"e -mcw a.lzh d", "-w の後に"},
                                           BadCase{"e -mcw \"a\" \"d\"", "-w の後に"},
                                           BadCase{"e \"a.lzh d", "引用符が閉じて"},
                                           BadCase{"e -m", "書庫が指定されて"},
                                           BadCase{"e \"\" d", "書庫が指定されて"},
                                           BadCase{"e a b c", "余分な引数があります: c"},
                                           BadCase{"l a b", "余分な引数があります: b"}));

TEST(SafeBareName, Table) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {"readme.txt", true},
        {"\x95\x5c\x8e\xa6.txt", true},  // 表示.txt: trail byte 0x5C
        {"\x83\x5c\x83\x74\x83\x67.ini", true},
        {"...a", true},
        {"CONFIG.SYS", true},
        {"COM10", true},
        {"nul2", true},
        {"", false},
        {".", false},
        {"..", false},
        {"CON", false},
        {"con.txt", false},
        {"Nul .txt", false},
        {"AUX", false},
        {"prn.log", false},
        {"COM1", false},
        {"lpt9.dat", false},
        {"a:b", false},
        {"a\\b", false},
        {"a/b", false},
        {"a*b", false},
        {"a?b", false},
        {"a|b", false},
        {"tab\there", false},
        {std::string("nul\0byte", 8), false},
        {"\x1b[31m", false},
        {"trailing.", false},
        {"trailing ", false},
        {"half\x83", false},
        {"bad\x83\x0a", false},
    };
    for (const auto& [name, safe] : cases) {
        EXPECT_EQ(archiver::IsSafeBareName(name), safe) << '"' << name << '"';
    }
}

TEST(ArchiveFileName, AddsLzhWithoutExtensionOrWhenThatFileExists) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"A:SYS01", "A:SYS01.lzh"},
        {"A:SYS01.LZH", "A:SYS01.LZH"},
        {"C:\\v1.2\\data", "C:\\v1.2\\data.lzh"},
        {"A:UPD1.0", "A:UPD1.0.lzh"},
        {"C:\\v1.2\\data.1", "C:\\v1.2\\data.1.lzh"},
        {"A:UPD1.1", "A:UPD1.1"},
        {"A:UPD1.0.lzh", "A:UPD1.0.lzh"},
    };
    for (const auto& [path, file] : cases) {
        EXPECT_EQ(archiver::ArchiveFileName(path, Exists), file) << path;
    }
}

TEST(JoinPath, SeparatorOnlyWhereMissing) {
    EXPECT_EQ(archiver::JoinPath("C:\\P\\", "a"), "C:\\P\\a");
    EXPECT_EQ(archiver::JoinPath("C:\\P", "a"), "C:\\P\\a");
    EXPECT_EQ(archiver::JoinPath("C:", "a"), "C:a");
    EXPECT_EQ(archiver::JoinPath("", "a"), "a");
    EXPECT_EQ(archiver::JoinPath("C:\\\x83\x5c", "a"), "C:\\\x83\x5c\\a");
}

TEST(SkipProgramName, QuotedAndPlain) {
    EXPECT_EQ(archiver::SkipProgramName("renovo-lzh.exe e a b"), "e a b");
    EXPECT_EQ(archiver::SkipProgramName("\"C:\\my tools\\renovo-lzh.exe\"  e \"a b\""),
              "e \"a b\"");
    EXPECT_EQ(archiver::SkipProgramName("\"C:\\x y\\r.exe\"e a"), "e a");
    EXPECT_EQ(archiver::SkipProgramName("r.exe"), "");
    EXPECT_EQ(archiver::SkipProgramName("\"unclosed"), "");
}

}  // namespace
