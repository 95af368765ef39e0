// An update disk that would reach outside the product: a file-list subfolder that leaves the
// installation folder, archive members named as devices or streams, and texts that would break
// the installation log's lines. Each is refused before anything is opened or changed.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "archiver/texts.h"
#include "backup/backup_set.h"
#include "engine/install_log.h"
#include "engine/program_folder.h"
#include "engine/texts.h"
#include "engine/update_run.h"
#include "tests/archiver/fixture.h"
#include "tests/engine/update_run_support.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;
using update_test::ScriptedSeam;
using update_test::Snapshot;

std::string Fill(const char* format, const std::string& value) {
    std::string out(std::snprintf(nullptr, 0, format, value.c_str()) + 1, '\0');
    std::snprintf(out.data(), out.size(), format, value.c_str());
    out.pop_back();
    return out;
}

// The product lies in a folder of its own inside `around_`, so that what would land beside it
// is seen.
class UnsafeInput : public ::testing::Test {
protected:
    void SetUp() override {
        product_ = around_ / "PRODUCT\\";
        testing_support::MakeDir(product_);
        WriteFile(product_ + "tovaka1.ini", "[SYSTEM]\r\nTITLE=SEVEN\r\n");
        WriteFile(product_ + "tv2menu.ini", "");
        WriteFile(product_ + "a.txt", "old a");
        engine::SetProgramFolder(disk_.path());
        ctx_.destFolder = product_;
        ctx_.settingsFile = "tovaka1.ini";
        ctx_.requiredVersion = "2";
        ctx_.systemNames[0] = "SEVEN";
        before_ = Snapshot(around_.path());
    }
    void Add(int kind, const std::string& name, const std::string& sub) {
        update_test::AddEntry(ctx_, 1, kind, name, sub);
    }
    void ExpectOnlyMessage(const std::string& text, const char* caption) {
        ASSERT_EQ(seam_.messages.size(), 1u) << ::testing::PrintToString(seam_.Texts());
        EXPECT_EQ(seam_.messages[0].text, text);
        EXPECT_EQ(seam_.messages[0].caption, caption);
    }

    TempDir around_;
    TempDir disk_;
    std::string product_;
    engine::UpdateContext ctx_;
    ScriptedSeam seam_;
    std::map<std::string, std::string> before_;
};

// ---- A subfolder that leaves the installation folder ---------------------------------------

class EscapingSubFolder : public UnsafeInput, public ::testing::WithParamInterface<const char*> {};

TEST_P(EscapingSubFolder, IsRefusedBeforeAnythingChanges) {
    WriteFile(disk_ / "a.txt", "new a");
    WriteFile(disk_ / "MASTER21.DAT", "new master");
    Add(2, "a.txt", "");
    Add(2, "a.txt", GetParam());
    Add(2, "MASTER21.DAT", GetParam());
    EXPECT_EQ(engine::RunUpdateOutcome(ctx_, ctx_.destFolder, seam_), engine::RunOutcome::kRefused);
    ExpectOnlyMessage(Fill(engine::kSubFolderOutside, GetParam()), engine::kCaptionError);
    EXPECT_EQ(Snapshot(around_.path()), before_);
    EXPECT_TRUE(backup::NewestSet(product_).empty());
}

INSTANTIATE_TEST_SUITE_P(Each, EscapingSubFolder,
                         ::testing::Values("..\\outside\\", "../outside/", "SUB\\..\\..\\x\\",
                                           "...\\", "C:\\outside\\", "C:outside\\", "\\outside\\",
                                           "\\\\server\\share\\"));

// ---- Archive members named as devices or streams -------------------------------------------

class UnsafeMember : public UnsafeInput, public ::testing::WithParamInterface<const char*> {};

// The archiver's own refusal, naming the member, before the backup (or anything) has opened a
// path made from it: no set is even begun.
TEST_P(UnsafeMember, IsRefusedByNameBeforeAnythingOpensIt) {
    archiver_test::StoredArchive archive;
    archive.Add("GOOD.TXT", "good").Add(GetParam(), "bad").Add("LATER.TXT", "later");
    WriteFile(disk_ / "SYS01.lzh", archive.Bytes());
    Add(1, "SYS01", "SYSTEM\\");
    EXPECT_EQ(engine::RunUpdateOutcome(ctx_, ctx_.destFolder, seam_), engine::RunOutcome::kStopped);
    const std::string text = std::string(archiver::kUnsafeName) + "\n" + archiver::kMemberLabel +
                             GetParam() + "\n" + archiver::kArchiveLabel + disk_.path() +
                             "SYS01.lzh\n" + archiver::kNothingWritten;
    ExpectOnlyMessage(text, engine::kCaptionConfirm);
    EXPECT_EQ(Snapshot(around_.path()), before_);
    EXPECT_TRUE(backup::NewestSet(product_).empty());
}

INSTANTIATE_TEST_SUITE_P(Each, UnsafeMember,
                         ::testing::Values("NUL", "CON.TXT", "tovaka1.ini:evil", "AUX", "COM1.DAT",
                                           "a.txt.", "LPT1", "a\r\nb"));

// ---- The log: one event, one line ----------------------------------------------------------

TEST(InstallLog, ControlCharactersAreEscaped) {
    EXPECT_EQ(engine::EscapeForLog("a\r\nb\tc"),
              "a\xE2\x90\x8D\xE2\x90\x8A"
              "b\xE2\x90\x89"
              "c");
    EXPECT_EQ(engine::EscapeForLog(std::string("x\0y\x1B\x7F", 5)),
              "x\xE2\x90\x80y\xE2\x90\x9B\xE2\x90\xA1");
    EXPECT_EQ(engine::EscapeForLog("C:\\TOVAKA\\new"), "C:\\TOVAKA\\new");
    EXPECT_EQ(engine::EscapeForLog("確認"), engine::Cp932ToUtf8("確認"));
}

// A member whose name carries a line break and a forged event: the archiver's message names it,
// and the log still holds one line per event.
TEST_F(UnsafeInput, ALogTextWithLineBreaksStaysOneLine) {
    TempDir logs;
    const std::string forged = "x\r\n2030-01-01 00:00:00.000 result: updated";
    archiver_test::StoredArchive archive;
    archive.Add(forged, "bad");
    WriteFile(disk_ / "SYS01.lzh", archive.Bytes());
    Add(1, "SYS01", "SYSTEM\\");
    ASSERT_TRUE(engine::OpenInstallLog(logs / "renovo.log"));
    engine::LogLine("a text\twith\r\nbreaks");
    engine::RunUpdateOutcome(ctx_, ctx_.destFolder, seam_);
    engine::CloseInstallLog();

    const std::string log = ReadFile(logs / "renovo.log");
    std::vector<std::string> lines;
    for (size_t at = 0; at < log.size();) {
        const size_t end = log.find("\r\n", at);
        ASSERT_NE(end, std::string::npos);
        lines.push_back(log.substr(at, end - at));
        at = end + 2;
    }
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
        EXPECT_EQ(line.substr(4, 1) + line.substr(10, 1) + line.substr(13, 1), "- :") << line;
        EXPECT_NE(line.substr(24), "result: updated") << line;  // no forged event
    }
    EXPECT_EQ(lines.front().substr(24),
              "a text\xE2\x90\x89with\xE2\x90\x8D\xE2\x90\x8A"
              "breaks");
    EXPECT_NE(log.find("x\xE2\x90\x8D\xE2\x90\x8A"
                       "2030-01-01 00:00:00.000 result: updated"),
              std::string::npos)
        << log;
}

}  // namespace
