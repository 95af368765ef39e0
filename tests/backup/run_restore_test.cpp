// The update run with its backup set, then the product put back: after a run that completed,
// and after one killed in the middle of an archive.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "archiver/archiver.h"
#include "backup/backup_set.h"
#include "backup/restore.h"
#include "engine/program_folder.h"
#include "engine/texts.h"
#include "engine/update_run.h"
#include "replace/replace_file.h"
#include "tests/engine/update_run_support.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;
using update_test::CopyFixture;
using update_test::Snapshot;

// A record that the size rule shortens on every run (187 bytes) and one the type rule changes.
std::string MasterRecords() {
    return "400400000107" + std::string(175, 'x') + "\r\n0123456789012A record\r\n";
}

class ShortFolder {
public:
    ShortFolder() : path_("C:\\rv" + std::to_string(GetCurrentProcessId()) + "\\") {
        testing_support::MakeDir(path_);
    }
    ~ShortFolder() { testing_support::RemoveTree(path_); }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

class RunThenRestore : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string product = product_.path();
        WriteFile(product + "tovaka1.ini", "[SYSTEM]\r\nTITLE=TOVAKA PRO SEVEN\r\n[DIR]\r\nWAV=" +
                                               voice_.path() + "\r\nMASTER=" + product + "MST\r\n");
        WriteFile(product + "tv2menu.ini", "");
        WriteFile(product + "READ.ME", "old read me");
        WriteFile(product + "three.dat", "old three");
        testing_support::MakeDir(product + "MST1");
        WriteFile(product + "MST1\\zai001-3.mst", MasterRecords());
        WriteFile(voice_ / "voice.wav", "old voice");
        engine::SetProgramFolder(disk_.path());
        ctx_.destFolder = product;
        ctx_.settingsFile = "tovaka1.ini";
        ctx_.requiredVersion = "2";
        ctx_.systemNames[0] = "SEVEN";
        ctx_.digitizerOption = "1";
        ctx_.masterAdjust = "1";
        before_ = Snapshot(product);
        voiceBefore_ = Snapshot(voice_.path());
    }
    void Add(int kind, const std::string& name, const std::string& sub) {
        update_test::AddEntry(ctx_, 1, kind, name, sub);
    }

    TempDir product_;
    // The voice data's folder lies outside the product (short: the voice command holds 99
    // bytes).
    ShortFolder voice_;
    TempDir disk_;
    engine::UpdateContext ctx_;
    std::map<std::string, std::string> before_;
    std::map<std::string, std::string> voiceBefore_;
};

TEST_F(RunThenRestore, EveryChangeOfACompleteUpdateIsPutBack) {
    CopyFixture("ONE", disk_ / "SYS01.lzh");
    CopyFixture("TWO", disk_ / "SYS02.lzh");
    CopyFixture("THREE", disk_ / "SYS03.lzh");
    CopyFixture("WAVE", disk_ / "WAVE.LZH");
    WriteFile(disk_ / "READ.ME", "new read me");
    WriteFile(disk_ / "MASTER21.DAT", "new master");
    Add(1, "SYS01", "SYSTEM\\");     // a folder the run creates
    Add(1, "SYS02", "NEW\\DEEP\\");  // two levels, made by the archiver
    Add(1, "SYS03", "");             // replaces three.dat
    Add(2, "READ.ME", "");
    Add(2, "MASTER21.DAT", "21\\");
    Add(2, "WAVE.LZH", "音声\\");
    update_test::ScriptedSeam seam;

    ASSERT_TRUE(engine::RunUpdate(ctx_, ctx_.destFolder, seam));
    ASSERT_EQ(seam.Texts(), std::vector<std::string>{engine::kUpdated});
    ASSERT_NE(Snapshot(product_.path()), before_);
    ASSERT_NE(Snapshot(voice_.path()), voiceBefore_);

    const backup::RestoreOutcome outcome = backup::RestoreNewestSet(product_.path());
    EXPECT_TRUE(outcome.found);
    EXPECT_EQ(outcome.failed, std::vector<std::string>{});
    EXPECT_EQ(Snapshot(product_.path()), before_);  // names, folders and bytes
    EXPECT_EQ(Snapshot(voice_.path()), voiceBefore_);
}

// ---- A run killed part-way ---------------------------------------------------------------

constexpr char kChildVariable[] = "RENOVO_KILLED_RUN_PRODUCT";
constexpr UINT kKilled = 77;

// Hands each replace to the backup set, and kills the process without any clean-up as soon as
// the set has journalled the second member of the archive, before that member is in place.
class KillAtSecondMember : public replace::Observer {
public:
    explicit KillAtSecondMember(backup::BackupSet& set) : set_(set) {}
    bool BeforePutInPlace(const std::string& target) override {
        const bool kept = set_.BeforePutInPlace(target);
        if (++count_ == 2) {
            TerminateProcess(GetCurrentProcess(), kKilled);
        }
        return kept;
    }
    // The archive's members are journalled together before the first is written.
    bool BeforePutInPlaceAll(const std::vector<std::string>& targets) override {
        return set_.BeforePutInPlaceAll(targets);
    }

private:
    backup::BackupSet& set_;
    int count_ = 0;
};

// Runs only in the child process that the test below starts.
TEST(KilledRunChild, ExtractsUntilKilled) {
    const char* product = std::getenv(kChildVariable);
    if (product == nullptr) {
        GTEST_SKIP() << "started by KilledRun only";
    }
    backup::BackupSet set(product);
    KillAtSecondMember killer(set);
    const archiver::Outcome outcome = archiver::Extract(std::string(product) + "START1.lzh",
                                                        std::string(product) + "SYSTEM\\",
                                                        {nullptr, &killer});
    ADD_FAILURE() << "not killed: " << outcome.text;
}

std::string ThisProgram() {
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

// Two members: tovaka.exe replaces the installed one, tvmenu.dll is new. Killed after the
// first was replaced (both journalled), the product is half old, half new.
TEST(KilledRun, TheProductComesBackWhole) {
    TempDir product;
    testing_support::MakeDir(product / "SYSTEM");
    WriteFile(product / "SYSTEM\\TOVAKA.EXE", "old program");
    const std::map<std::string, std::string> before = Snapshot(product.path());
    WriteFile(product / "START1.lzh",
              ReadFile("Z:" RENOVO_DEMO_DISK1 "\\START1.lzh"));  // beside it, not in the snapshot

    SetEnvironmentVariableA(kChildVariable, product.path().c_str());
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string command = "\"" + ThisProgram() + "\" --gtest_filter=KilledRunChild.*";
    ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &si, &pi));
    SetEnvironmentVariableA(kChildVariable, nullptr);
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    ASSERT_EQ(code, kKilled);
    DeleteFileA((product / "START1.lzh").c_str());
    std::map<std::string, std::string> killed = Snapshot(product.path());
    ASSERT_NE(killed["SYSTEM\\TOVAKA.EXE"], "old program");
    ASSERT_EQ(killed.count("SYSTEM\\TVMENU.DLL"), 0u);

    EXPECT_EQ(backup::RestoreNewestSet(product.path()).failed, std::vector<std::string>{});
    EXPECT_EQ(Snapshot(product.path()), before);
}

}  // namespace
