// Renovo.exe /RESTORE from outside: its questions, messages, buttons and exit codes, on a
// product folder that an update (made here through the backup set itself) has changed.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "backup/backup_set.h"
#include "framework/handles.h"
#include "tests/e2e/driver.h"
#include "tests/support/test_support.h"

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
