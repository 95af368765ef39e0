// Backup sets and putting a product back, on real folders of the Wine prefix.
#include <gtest/gtest.h>
#include <windows.h>

#include <iterator>
#include <vector>

#include "backup/backup_set.h"
#include "backup/journal.h"
#include "backup/restore.h"
#include "backup/texts.h"
#include "framework/handles.h"
#include "replace/replace_file.h"
#include "tests/engine/update_run_support.h"
#include "tests/support/test_support.h"

namespace {

using backup::BackupSet;
using backup::Saving;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;
using update_test::PutInPlace;
using update_test::Snapshot;

DWORD Links(const std::string& path) {
    framework::File file(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    return file && GetFileInformationByHandle(file.Get(), &info) ? info.nNumberOfLinks : 0;
}

std::vector<std::string> SetFolders(const std::string& product) {
    std::vector<std::string> sets;
    for (const auto& [name, content] : Snapshot(product + backup::kBackupFolder + "\\")) {
        if (name.size() > 1 && name.find('\\') == name.size() - 1) {
            sets.push_back(name.substr(0, name.size() - 1));
        }
    }
    return sets;
}

class Product : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(dir_ / "A.DAT", "old a");
        testing_support::MakeDir(dir_ / "SUB");
        WriteFile(dir_ / "SUB\\B.DAT", "old b");
        SetFileAttributesA((dir_ / "SUB\\B.DAT").c_str(), FILE_ATTRIBUTE_READONLY);
        WriteFile(dir_ / "tovaka1.ini", "[SYSTEM]\r\nTITLE=T\r\n");
        before_ = Snapshot(dir_.path());
    }
    // What one update run does to the product: every kind of change, one file twice.
    void Update(BackupSet& set, const std::string& a = "new a") {
        ASSERT_TRUE(PutInPlace(set, dir_ / "A.DAT", a));
        ASSERT_TRUE(PutInPlace(set, dir_ / "A.DAT", a + " again"));
        ASSERT_TRUE(PutInPlace(set, dir_ / "SUB\\B.DAT", "new b"));  // read-only before
        ASSERT_TRUE(PutInPlace(set, dir_ / "SUB\\C.DAT", "new c"));
        ASSERT_TRUE(set.BeforeCreateFolder(dir_ / "NEW\\DEEP\\"));
        testing_support::MakeDir(dir_ / "NEW");
        testing_support::MakeDir(dir_ / "NEW\\DEEP");
        ASSERT_TRUE(PutInPlace(set, dir_ / "NEW\\DEEP\\D.DAT", "new d"));
        ASSERT_TRUE(set.BeforeWriteInPlace(dir_ / "tovaka1.ini"));
        ASSERT_TRUE(
            WritePrivateProfileStringA("SYSTEM", "ﾃﾞｼﾞﾀｲｻﾞ", "1", (dir_ / "tovaka1.ini").c_str()));
    }

    TempDir dir_;
    std::map<std::string, std::string> before_;
};

class EveryWayOfSaving : public Product, public ::testing::WithParamInterface<Saving> {};

TEST_P(EveryWayOfSaving, RestoreGivesBackTheProductAndRetiresTheSet) {
    {
        BackupSet set(dir_.path(), GetParam());
        ASSERT_TRUE(set.BeforePutInPlace(dir_ / "A.DAT"));
        // A second name where the volume has links; a copy of its own otherwise.
        EXPECT_EQ(Links(dir_ / "A.DAT"), GetParam() == Saving::kCopy ? 1u : 2u);
        ASSERT_NO_FATAL_FAILURE(Update(set));
        ASSERT_NE(Snapshot(dir_.path()), before_);
    }

    const backup::RestoreOutcome outcome = backup::RestoreNewestSet(dir_.path());
    EXPECT_TRUE(outcome.found);
    EXPECT_TRUE(outcome.failed.empty());
    EXPECT_EQ(Snapshot(dir_.path()), before_);
    // The replace cleared the bit on the file, and so on its second name.
    EXPECT_NE(GetFileAttributesA((dir_ / "SUB\\B.DAT").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_TRUE(SetFolders(dir_.path()).empty());
    EXPECT_FALSE(backup::RestoreNewestSet(dir_.path()).found);
}

INSTANTIATE_TEST_SUITE_P(Sets, EveryWayOfSaving,
                         ::testing::Values(Saving::kLinkWherePossible, Saving::kCopy),
                         [](const auto& info) {
                             return info.param == Saving::kCopy ? "Copies" : "HardLinks";
                         });

TEST_F(Product, AFileThatCannotBePutBackKeepsTheSetForAnotherAttempt) {
    {
        BackupSet set(dir_.path());
        ASSERT_NO_FATAL_FAILURE(Update(set));
    }
    framework::File held(
        CreateFileA((dir_ / "A.DAT").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    backup::RestoreOutcome outcome = backup::RestoreNewestSet(dir_.path());
    EXPECT_EQ(outcome.failed, std::vector<std::string>{dir_ / "A.DAT"});
    held.Reset();
    std::map<std::string, std::string> partly = Snapshot(dir_.path());
    EXPECT_EQ(partly["A.DAT"], "new a again");
    partly["A.DAT"] = "old a";
    EXPECT_EQ(partly, before_);  // everything else is back
    EXPECT_EQ(SetFolders(dir_.path()).size(), 1u);

    outcome = backup::RestoreNewestSet(dir_.path());
    EXPECT_TRUE(outcome.failed.empty());
    EXPECT_EQ(Snapshot(dir_.path()), before_);
    // The replace cleared the bit on the file, and so on its second name.
    EXPECT_NE(GetFileAttributesA((dir_ / "SUB\\B.DAT").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_TRUE(SetFolders(dir_.path()).empty());
}

// Named as a device path, the product folder is the folder of the set's PRODUCT line.
TEST_F(Product, AProductNamedByADevicePathIsPutBack) {
    {
        BackupSet set(dir_.path());
        ASSERT_NO_FATAL_FAILURE(Update(set));
    }
    const backup::RestoreOutcome outcome = backup::RestoreNewestSet("\\\\?\\" + dir_.path());
    EXPECT_EQ(outcome.refusal, backup::Refusal::kNone) << outcome.why;
    EXPECT_TRUE(outcome.failed.empty());
    EXPECT_EQ(Snapshot(dir_.path()), before_);
}

TEST_F(Product, EachRestoreGoesBackOneUpdateAndThreeSetsAreKept) {
    for (int run = 1; run <= 5; ++run) {
        BackupSet set(dir_.path());
        ASSERT_TRUE(PutInPlace(set, dir_ / "A.DAT", "a" + std::to_string(run)));
    }
    EXPECT_EQ(SetFolders(dir_.path()), (std::vector<std::string>{"0003", "0004", "0005"}));
    for (const char* back : {"a4", "a3", "a2"}) {
        EXPECT_TRUE(backup::RestoreNewestSet(dir_.path()).failed.empty());
        EXPECT_EQ(ReadFile(dir_ / "A.DAT"), back);
    }
    EXPECT_FALSE(backup::RestoreNewestSet(dir_.path()).found);
}

TEST_F(Product, ABackupThatCannotBeWrittenStopsTheChange) {
    WriteFile(dir_ / backup::kBackupFolder, "a file where the backup folder belongs");
    BackupSet set(dir_.path());
    EXPECT_FALSE(set.BeforePutInPlace(dir_ / "A.DAT"));
    EXPECT_FALSE(set.BeforeCreateFolder(dir_ / "NEW\\"));
    EXPECT_FALSE(set.BeforeWriteInPlace(dir_ / "tovaka1.ini"));
}

// The old files a disk will replace are kept on a thread of their own; a killed run can
// leave lines whose kept file never came, for files it never replaced.
TEST_F(Product, AnnouncedFilesAreKeptBeforeTheirReplaceAndALineWithoutItsFileIsLeftAlone) {
    {
        BackupSet set(dir_.path());
        ASSERT_TRUE(set.BeforeInstalling({}, {dir_ / "A.DAT", dir_ / "SUB\\B.DAT"}, {}));
        ASSERT_TRUE(set.BeforePutInPlace(dir_ / "A.DAT"));
        EXPECT_EQ(Links(dir_ / "A.DAT"), 2u);
        ASSERT_TRUE(PutInPlace(set, dir_ / "A.DAT", "new a"));
        ASSERT_TRUE(set.BeforePutInPlace(dir_ / "SUB\\B.DAT"));
        const std::string keptB = set.folder() + "\\" + backup::SavedName(2);
        SetFileAttributesA(keptB.c_str(), FILE_ATTRIBUTE_NORMAL);
        ASSERT_TRUE(DeleteFileA(keptB.c_str()));
        SetFileAttributesA((dir_ / "SUB\\B.DAT").c_str(), FILE_ATTRIBUTE_READONLY);
    }
    const backup::RestoreOutcome outcome = backup::RestoreNewestSet(dir_.path());
    EXPECT_TRUE(outcome.failed.empty());
    EXPECT_EQ(Snapshot(dir_.path()), before_);
}

TEST(KeepQueue, KeepsEachFileWholeOrSaysWhyNot) {
    TempDir dir;
    WriteFile(dir / "OLD", std::string(200000, 'o'));
    struct Case {
        std::string from, to;
        bool link;
        bool kept;
        DWORD error;
    } cases[] = {
        {dir / "OLD", dir / "LINKED", true, true, 0},
        {dir / "OLD", dir / "COPIED", false, true, 0},
        {dir / "MISSING", dir / "NONE", true, false, ERROR_FILE_NOT_FOUND},
    };
    backup::KeepQueue queue;
    std::vector<size_t> index;
    for (const Case& c : cases) {
        index.push_back(queue.Add(c.from, c.to, c.link));
    }
    queue.Start();
    for (size_t i = std::size(cases); i-- > 0;) {  // the last first: the wait outlasts the rest
        const Case& c = cases[i];
        SetLastError(0);
        EXPECT_EQ(queue.Wait(index[i]), c.kept) << c.to;
        if (c.kept) {
            EXPECT_EQ(ReadFile(c.to), ReadFile(c.from)) << c.to;
        } else {
            EXPECT_EQ(GetLastError(), c.error) << c.to;
            EXPECT_EQ(GetFileAttributesA(c.to.c_str()), INVALID_FILE_ATTRIBUTES) << c.to;
        }
        EXPECT_EQ(GetFileAttributesA((c.to + ".part").c_str()), INVALID_FILE_ATTRIBUTES);
    }
    EXPECT_EQ(Links(dir / "OLD"), 2u);  // the link, not the copy
    // One added after the thread ended is kept at its wait.
    EXPECT_TRUE(queue.Wait(queue.Add(dir / "OLD", dir / "LATER", true)));
    EXPECT_EQ(Links(dir / "OLD"), 3u);
}

}  // namespace
