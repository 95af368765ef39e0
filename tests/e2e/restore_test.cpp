// Renovo.exe /RESTORE from outside: its questions, messages, buttons and exit codes, on a
// product folder that an update (made here through the backup set itself) has changed.
#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include <functional>
#include <string>
#include <vector>

#include "backup/backup_set.h"
#include "backup/texts.h"
#include "framework/handles.h"
#include "replace/replace_file.h"
#include "tests/e2e/driver.h"
#include "tests/support/test_support.h"
#include "trust/run_lock.h"
#include "trust/texts.h"

namespace {

using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

struct Step {
    std::string text;  // "%s" stands for the product folder as shown
    const char* caption;
    int button;
};

struct RestoreCase {
    const char* name;
    bool update;         // an update was made, so there is a set to put back
    bool nameTheFolder;  // the folder on the command line, else the manifest's proposal
    bool holdFile;       // the changed file is held open by another program
    std::vector<Step> steps;
    long exitCode;
    const char* afterwards;  // content of the changed file once the program has ended
    bool setRemains;
};

const char kAsk[] = "%sを更新前の状態に戻します。よろしいですか？";

class RestoreCommand : public ::testing::TestWithParam<RestoreCase> {
protected:
    void SetUp() override {
        product_ = dir_ / "PRODUCT";
        testing_support::MakeDir(product_);
        WriteFile(product_ + "\\A.DAT", "old");
        std::string manifest;
        for (int line = 1; line <= 41; ++line) {
            manifest += (line == 16 ? product_ : std::string()) + "\r\n";
        }
        WriteFile(program_ / "info.txt", manifest);
        ASSERT_TRUE(::CopyFileA(e2e::WinePath(RENOVO_EXE).c_str(),
                                (program_ / "RENOVO.EXE").c_str(), FALSE));
    }
    void Update() {
        backup::BackupSet set(product_ + "\\");
        ASSERT_TRUE(set.BeforePutInPlace(product_ + "\\A.DAT"));
        WriteFile(product_ + "\\A.DAT.new", "new");
        ASSERT_TRUE(::MoveFileExA((product_ + "\\A.DAT.new").c_str(),
                                  (product_ + "\\A.DAT").c_str(), MOVEFILE_REPLACE_EXISTING));
    }
    static std::string Fill(std::string text, const std::string& value) {
        const size_t at = text.find("%s");
        return at == std::string::npos ? text : text.replace(at, 2, value);
    }

    TempDir dir_;
    TempDir program_;
    std::string product_;
};

TEST_P(RestoreCommand, AsksTellsAndEndsWithItsCode) {
    const RestoreCase& c = GetParam();
    if (c.update) {
        ASSERT_NO_FATAL_FAILURE(Update());
    }
    framework::File held;
    if (c.holdFile) {
        held.Reset(::CreateFileA((product_ + "\\A.DAT").c_str(), GENERIC_READ, 0, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
    }
    e2e::Program program;
    ASSERT_TRUE(program.Start(program_ / "RENOVO.EXE", program_.path(),
                              c.nameTheFolder ? "/RESTORE \"" + product_ + "\"" : "/restore"));
    HWND previous = nullptr;
    for (const Step& step : c.steps) {
        e2e::Shown box = program.Next(previous);
        ASSERT_NE(box.hwnd, nullptr) << step.text;
        EXPECT_EQ(box.MessageText(),
                  Fill(step.text, step.text == kAsk ? product_ : product_ + "\\A.DAT"));
        EXPECT_EQ(box.caption, step.caption);
        program.Press(box, step.button);
        previous = box.hwnd;
    }
    EXPECT_EQ(program.WaitExit(), c.exitCode);
    held.Reset();
    EXPECT_EQ(ReadFile(product_ + "\\A.DAT"), c.afterwards);
    EXPECT_EQ(!backup::NewestSet(product_ + "\\").empty(), c.setRemains);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, RestoreCommand,
    ::testing::Values(
        RestoreCase{"NothingToPutBack",
                    false,
                    true,
                    false,
                    {{"戻せる更新がありません。", "エラー", IDOK}},
                    1,
                    "old",
                    false},
        RestoreCase{"Cancelled", true, true, false, {{kAsk, "確認", IDCANCEL}}, 1, "new", true},
        RestoreCase{"PutBackTheManifestsFolder",
                    true,
                    false,
                    false,
                    {{kAsk, "確認", IDOK}, {"更新前の状態に戻しました。", "確認", IDOK}},
                    0,
                    "old",
                    false},
        RestoreCase{"FileHeldOpenKeepsTheSet",
                    true,
                    true,
                    true,
                    {{kAsk, "確認", IDOK}, {"%sを戻せませんでした。", "エラー", IDOK}},
                    2,
                    "new",
                    true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

namespace {

// The restore as support staff run it on a fleet: elevated (as every program under Wine), with
// nothing shown, and a log that says why a set was refused.
class RestoreRefusals : public ::testing::Test {
protected:
    void SetUp() override {
        product_ = dir_ / "PRODUCT\\";
        testing_support::MakeDir(product_);
        WriteFile(product_ + "A.DAT", "old");
        WriteFile(outside_ / "victim.txt", "not the product's");
        ASSERT_TRUE(::CopyFileA(e2e::WinePath(RENOVO_EXE).c_str(),
                                (program_ / "RENOVO.EXE").c_str(), FALSE));
        backup::BackupSet set(product_);
        replace::NewFile file(product_ + "A.DAT");
        ASSERT_TRUE(file.Write("new", 3) && file.Commit(3, &set));
    }
    std::string Set() const { return backup::NewestSet(product_); }
    // Runs /RESTORE with the log and nothing shown; the log's text.
    std::string Restore(long code) {
        e2e::Program program;
        const std::string log = program_ / "restore.log";
        EXPECT_TRUE(
            program.Start(program_ / "RENOVO.EXE", program_.path(),
                          "/RESTORE \"" + product_ + "\" /VERYSILENT \"/LOG=" + log + "\""));
        EXPECT_EQ(program.WaitExit(), code);
        return ReadFile(log);
    }
    static std::string Utf8(const std::string& cp932) {
        const int wide =
            ::MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()), nullptr, 0);
        std::wstring w(static_cast<size_t>(wide), L'\0');
        ::MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()), w.data(), wide);
        const int n =
            ::WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
        std::string out(static_cast<size_t>(n), '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, out.data(), n, nullptr, nullptr);
        return out;
    }

    TempDir dir_;
    TempDir program_;
    TempDir outside_;
    std::string product_;
};

TEST_F(RestoreRefusals, ASetUsersMayWriteIsRefusedAndNothingChanges) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA(
        "D:(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;BU)(A;OICI;0x1301bf;;;WD)", SDDL_REVISION_1, &sd,
        nullptr));
    ASSERT_TRUE(::SetFileSecurityA(Set().c_str(), DACL_SECURITY_INFORMATION, sd));
    ::LocalFree(sd);
    const std::string log = Restore(1);
    EXPECT_EQ(ReadFile(product_ + "A.DAT"), "new");
    EXPECT_FALSE(Set().empty());
    EXPECT_NE(log.find("restore refused, nothing changed: " + Set() +
                       ": others than administrators may change it: S-1-1-0 may change it"),
              std::string::npos)
        << log;
    char message[1024];
    std::snprintf(message, sizeof message, backup::kSetNotAdminOnly, Set().c_str());
    EXPECT_NE(log.find(Utf8(message)), std::string::npos) << log;
}

TEST_F(RestoreRefusals, ATamperedJournalIsRefusedNamingItsLine) {
    const std::string journal = Set() + "\\" + backup::kJournalName;
    WriteFile(journal, ReadFile(journal) + "NEW\t" + outside_ / "victim.txt" + "\r\n");
    const std::string log = Restore(1);
    EXPECT_EQ(ReadFile(product_ + "A.DAT"), "new");
    EXPECT_EQ(ReadFile(outside_ / "victim.txt"), "not the product's");
    // The line, its TAB escaped: one event, one line (after BEGUN, PRODUCT, ROOT, SAVED, WRITTEN).
    EXPECT_NE(log.find(": damaged: line 6 (NEW\xE2\x90\x89" + outside_ / "victim.txt" +
                       "): outside the product's folders"),
              std::string::npos)
        << log;
}

TEST_F(RestoreRefusals, AFileChangedSinceTheUpdateIsKeptAndNamed) {
    WriteFile(product_ + "A.DAT", "the user's");
    const std::string log = Restore(0);
    EXPECT_EQ(ReadFile(product_ + "A.DAT"), "old");
    EXPECT_EQ(ReadFile(product_ + "A.DAT.KEPT"), "the user's");
    EXPECT_TRUE(Set().empty());
    char message[1024];
    std::snprintf(message, sizeof message, backup::kKeptChange, (product_ + "A.DAT").c_str(),
                  (product_ + "A.DAT.KEPT").c_str());
    EXPECT_NE(log.find(Utf8(message)), std::string::npos) << log;
    EXPECT_NE(log.find("changed since the update: " + product_ + "A.DAT kept as " + product_ +
                       "A.DAT.KEPT"),
              std::string::npos)
        << log;
}

}  // namespace

namespace {

// Another run holds the product (here the test, as an update waiting at its disk prompt
// would): /RESTORE changes nothing and ends with Windows Installer's "another installation in
// progress", which fleet tools retry.
TEST_F(RestoreRefusals, WhileAnotherRunHoldsTheProductNothingChangesAndItEndsWith1618) {
    trust::RunLock other;
    ASSERT_EQ(other.Take(product_), trust::Lock::kTaken);
    const std::string log = Restore(trust::kExitAnotherRun);
    EXPECT_EQ(ReadFile(product_ + "A.DAT"), "new");
    EXPECT_FALSE(Set().empty());
    EXPECT_NE(log.find(Utf8(trust::kAnotherRun)), std::string::npos) << log;
    other.Release();
    Restore(0);
    EXPECT_EQ(ReadFile(product_ + "A.DAT"), "old");
}

// The voice folder moved after the update: the set names where its run wrote, and the
// restore puts that back instead of refusing an intact set as damaged.
TEST_F(RestoreRefusals, AVoiceFolderMovedAfterTheUpdateIsPutBackWhereTheRunWrote) {
    TempDir voice;
    WriteFile(voice / "V.WAV", "old voice");
    WriteFile(product_ + "tovaka1.ini", "[DIR]\r\nWAV=" + voice.path() + "\r\n");
    {
        backup::BackupSet set(product_, backup::Saving::kLinkWherePossible, "tovaka1.ini");
        replace::NewFile file(voice / "V.WAV");
        ASSERT_TRUE(file.Write("new voice", 9) && file.Commit(9, &set));
    }
    WriteFile(product_ + "tovaka1.ini", "[DIR]\r\nWAV=" + outside_ / "MOVED" + "\r\n");
    const std::string log = Restore(0);
    EXPECT_EQ(ReadFile(voice / "V.WAV"), "old voice");
    EXPECT_EQ(ReadFile(outside_ / "victim.txt"), "not the product's");
}

}  // namespace
