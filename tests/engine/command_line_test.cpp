// The switches as support staff type them: any case, any order, values in quotes, and every
// way a line can be unreadable.
#include <gtest/gtest.h>

#include <string>

#include "engine/command_line.h"

namespace {

using engine::Quiet;

struct LineCase {
    const char* name;
    const char* line;
    Quiet quiet;
    bool restore;
    const char* dir;  // nullptr: no /DIR
    const char* log;
    const char* error;  // nullptr: readable; else the switch the message names
};

class ParseLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(ParseLine, ReadsSwitchesOrNamesTheFault) {
    const LineCase& c = GetParam();
    const engine::CommandLine cl = engine::ParseCommandLine(c.line);
    if (c.error != nullptr) {
        ASSERT_FALSE(cl.error.empty());
        EXPECT_EQ(cl.error.substr(0, std::string(c.error).size() + 1), std::string(c.error) + " ");
        EXPECT_EQ(cl.quiet, c.quiet);  // a bad line under /SILENT must still show nothing
        EXPECT_FALSE(cl.restore);      // and nothing else of it is acted on
        EXPECT_FALSE(cl.hasDir);
        EXPECT_EQ(cl.log, "");
        return;
    }
    EXPECT_EQ(cl.error, "");
    EXPECT_EQ(cl.quiet, c.quiet);
    EXPECT_EQ(cl.restore, c.restore);
    EXPECT_EQ(cl.hasDir, c.dir != nullptr);
    EXPECT_EQ(cl.dir, c.dir != nullptr ? c.dir : "");
    EXPECT_EQ(cl.log, c.log);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ParseLine,
    ::testing::Values(
        LineCase{"Empty", "", Quiet::kNone, false, nullptr, "", nullptr},
        LineCase{"Blanks", " \t ", Quiet::kNone, false, nullptr, "", nullptr},
        LineCase{"AnyCase", "/silent", Quiet::kSilent, false, nullptr, "", nullptr},
        LineCase{"VerySilentWins", "/SILENT /VerySilent /SILENT", Quiet::kVerySilent, false,
                 nullptr, "", nullptr},
        LineCase{"AllInAnyOrder", "/LOG=C:\\r.log /verysilent /dir=C:\\TOVAKA", Quiet::kVerySilent,
                 false, "C:\\TOVAKA", "C:\\r.log", nullptr},
        LineCase{"QuotedValue", "/DIR=\"C:\\Program Files\\TOVAKA\" /SILENT", Quiet::kSilent, false,
                 "C:\\Program Files\\TOVAKA", "", nullptr},
        LineCase{"QuotedWholeSwitch", "\"/LOG=C:\\my logs\\r.log\"", Quiet::kNone, false, nullptr,
                 "C:\\my logs\\r.log", nullptr},
        // 0x5C and 0x22-free trail bytes: a cp932 folder name is taken whole.
        LineCase{"Cp932Folder", "/DIR=\"C:\\\x95\x5C \x8E\xA6\"", Quiet::kNone, false,
                 "C:\\\x95\x5C \x8E\xA6", "", nullptr},
        LineCase{"RestoreWithFolder", "/RESTORE \"C:\\My Product\" /VERYSILENT", Quiet::kVerySilent,
                 true, "C:\\My Product", "", nullptr},
        LineCase{"RestoreWithoutFolder", "/restore /LOG=r.log", Quiet::kNone, true, nullptr,
                 "r.log", nullptr},
        LineCase{"RestoreEmptyQuotes", "/RESTORE \"\"", Quiet::kNone, true, nullptr, "", nullptr},
        LineCase{"SameValueTwice", "/DIR=C:\\A /DIR=C:\\A", Quiet::kNone, false, "C:\\A", "",
                 nullptr},
        LineCase{"Unknown", "/SILENT /QUIET", Quiet::kSilent, false, nullptr, "", "/QUIET"},
        LineCase{"PrefixOfASwitch", "/SIL", Quiet::kNone, false, nullptr, "", "/SIL"},
        LineCase{"LongerThanASwitch", "/DIRECTORY=C:\\A", Quiet::kNone, false, nullptr, "",
                 "/DIRECTORY=C:\\A"},
        LineCase{"BareWord", "C:\\TOVAKA", Quiet::kNone, false, nullptr, "", "C:\\TOVAKA"},
        LineCase{"FolderNotAfterRestore", "/SILENT /RESTORE /SILENT C:\\A", Quiet::kSilent, false,
                 nullptr, "", "C:\\A"},
        LineCase{"DirWithoutValue", "/VERYSILENT /DIR=", Quiet::kVerySilent, false, nullptr, "",
                 "/DIR="},
        LineCase{"DirWithoutEquals", "/DIR C:\\A", Quiet::kNone, false, nullptr, "", "/DIR"},
        LineCase{"LogEmptyQuotes", "/LOG=\"\"", Quiet::kNone, false, nullptr, "", "/LOG="},
        LineCase{"TwoFolders", "/DIR=C:\\A /dir=C:\\B", Quiet::kNone, false, nullptr, "",
                 "/dir=C:\\B"},
        LineCase{"RestoreFolderAndDir", "/RESTORE C:\\A /DIR=C:\\B", Quiet::kNone, false, nullptr,
                 "", "/DIR=C:\\B"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
