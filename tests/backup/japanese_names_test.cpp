// Backup sets and their restore with Japanese names, which cross to Windows converted from
// cp932 by us: this suite also runs at the system code pages 1252 and 65001, where the same
// names must mean the same files. Its own calls on such names go through the same edge.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>

#include "backup/backup_set.h"
#include "backup/restore.h"
#include "backup/texts.h"
#include "framework/files.h"
#include "framework/wide.h"
#include "tests/engine/update_run_support.h"
#include "tests/support/test_support.h"

namespace {

using backup::BackupSet;
using backup::Saving;
using testing_support::MakeDir;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;
using update_test::PutInPlace;

using Tree = std::map<std::string, std::string>;

// Every file and folder below `root` with its content; RENOVO.BAK is the update's, not the
// product's. A name cp932 cannot carry shows as NarrowShown gives it.
void AddTree(const std::string& root, const std::string& rel, Tree& tree) {
    framework::FileFind find;
    for (bool more = find.FindFile(root + rel + "*"); more; more = find.Next()) {
        const std::string name = find.FileName();
        if (find.IsDots() || (rel.empty() && name == backup::kBackupFolder)) {
            continue;
        }
        if (find.IsDirectory()) {
            tree[rel + name + "\\"] = "";
            AddTree(root, rel + name + "\\", tree);
        } else {
            tree[rel + name] = find.NameFits() ? ReadFile(root + rel + name) : "?";
        }
    }
}

Tree Snapshot(const std::string& root) {
    Tree tree;
    AddTree(root, "", tree);
    return tree;
}

// A file whose name cp932 cannot carry: only UTF-16 names it.
bool MakeForeignFile(const std::string& folder, const wchar_t* name) {
    const std::wstring path = framework::Wide(folder) + name;
    framework::File file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    return static_cast<bool>(file);
}

bool ForeignExists(const std::string& folder, const wchar_t* name) {
    return GetFileAttributesW((framework::Wide(folder) + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

class JapaneseNames : public ::testing::TestWithParam<Saving> {
protected:
    void SetUp() override {
        ASSERT_EQ(::GetACP(), testing_support::NamedCodePage());
        MakeDir(dir_ / "データ");
        WriteFile(dir_ / "データ\\材料表.DAT", "old table");
        MakeDir(dir_ / "表");  // a trail byte 0x5C, in the folder's name and the file's
        WriteFile(dir_ / "表\\ソ.DAT", "old so");
        ASSERT_TRUE(framework::SetAttributesOf(dir_ / "表\\ソ.DAT", FILE_ATTRIBUTE_READONLY));
        WriteFile(dir_ / "単価.lzh", "old price");
        before_ = Snapshot(dir_.path());
    }

    // Every kind of change a run makes, one file twice.
    void Update(BackupSet& set) {
        ASSERT_TRUE(PutInPlace(set, dir_ / "データ\\材料表.DAT", "new table"));
        ASSERT_TRUE(PutInPlace(set, dir_ / "データ\\材料表.DAT", "new table again"));
        ASSERT_TRUE(PutInPlace(set, dir_ / "表\\ソ.DAT", "new so"));
        ASSERT_TRUE(PutInPlace(set, dir_ / "単価.lzh", "new price"));
        ASSERT_TRUE(set.BeforeCreateFolder(dir_ / "材料\\音声\\"));
        MakeDir(dir_ / "材料");
        MakeDir(dir_ / "材料\\音声");
        ASSERT_TRUE(PutInPlace(set, dir_ / "材料\\音声\\新規.DAT", "new file"));
    }

    TempDir dir_;
    Tree before_;
};

// The journal holds the cp932 names, and the restore finds every file by them.
TEST_P(JapaneseNames, EveryChangeIsJournalledAndPutBack) {
    std::string journal;
    {
        BackupSet set(dir_.path(), GetParam());
        ASSERT_NO_FATAL_FAILURE(Update(set));
        journal = ReadFile(set.folder() + "\\" + backup::kJournalName);
        // A run killed after it wrote a work file beside its target leaves it there.
        WriteFile(dir_ / "データ\\rpl1A.tmp", "a killed run's");
    }
    for (const char* name :
         {"データ\\材料表.DAT", "表\\ソ.DAT", "単価.lzh", "材料\\音声\\新規.DAT"}) {
        EXPECT_NE(journal.find(dir_ / name), std::string::npos) << name << "\n" << journal;
    }
    ASSERT_NE(Snapshot(dir_.path()), before_);

    const backup::RestoreOutcome outcome = backup::RestoreNewestSet(dir_.path());
    EXPECT_EQ(outcome.refusal, backup::Refusal::kNone) << outcome.why;
    EXPECT_TRUE(outcome.failed.empty());
    EXPECT_TRUE(outcome.kept.empty());
    EXPECT_EQ(Snapshot(dir_.path()), before_);
    EXPECT_NE(framework::AttributesOf(dir_ / "表\\ソ.DAT") & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_TRUE(backup::NewestSet(dir_.path()).empty());
}

// What the user changed after the update is kept beside it under its own Japanese name.
TEST_P(JapaneseNames, AFileChangedSinceIsKeptUnderItsName) {
    {
        BackupSet set(dir_.path(), GetParam());
        ASSERT_NO_FATAL_FAILURE(Update(set));
    }
    WriteFile(dir_ / "データ\\材料表.DAT", "the user's table");
    const backup::RestoreOutcome outcome = backup::RestoreNewestSet(dir_.path());
    EXPECT_TRUE(outcome.failed.empty());
    ASSERT_EQ(outcome.kept.size(), 1u);
    EXPECT_EQ(outcome.kept[0].keptAs, dir_ / "データ\\材料表.DAT.KEPT");
    Tree expected = before_;
    expected["データ\\材料表.DAT.KEPT"] = "the user's table";
    EXPECT_EQ(Snapshot(dir_.path()), expected);
}

// A name cp932 cannot carry is no set and no work file of ours: it is left where it is, and
// the sets and the restore go on around it.
TEST_P(JapaneseNames, ANameCp932CannotCarryIsLeftAlone) {
    MakeDir(dir_ / backup::kBackupFolder);
    const std::string bak = dir_ / backup::kBackupFolder + "\\";
    ASSERT_TRUE(CreateDirectoryW((framework::Wide(bak) + L"0001\u0915").c_str(), nullptr));
    std::string set;
    {
        BackupSet backupSet(dir_.path(), GetParam());
        ASSERT_NO_FATAL_FAILURE(Update(backupSet));
        set = backupSet.folder();
        ASSERT_TRUE(MakeForeignFile(dir_ / "データ\\", L"rpl1\u0915.tmp"));
    }
    EXPECT_EQ(set, bak + "0001");
    ASSERT_TRUE(MakeForeignFile(set + "\\", L"\u0915.txt"));

    const backup::RestoreOutcome outcome = backup::RestoreNewestSet(dir_.path());
    EXPECT_EQ(outcome.refusal, backup::Refusal::kNone) << outcome.why;
    EXPECT_TRUE(outcome.failed.empty());
    Tree expected = before_;
    expected["データ\\rpl1?.tmp"] = "?";
    EXPECT_EQ(Snapshot(dir_.path()), expected);
    EXPECT_TRUE(backup::NewestSet(dir_.path()).empty());
    // The set is retired; what the set cannot name stays with it.
    EXPECT_TRUE(ForeignExists(set + backup::kRetiredSuffix + "\\", L"\u0915.txt"));
    EXPECT_TRUE(ForeignExists(bak, L"0001\u0915"));
}

INSTANTIATE_TEST_SUITE_P(Sets, JapaneseNames,
                         ::testing::Values(Saving::kLinkWherePossible, Saving::kCopy),
                         [](const auto& info) {
                             return info.param == Saving::kCopy ? "Copies" : "HardLinks";
                         });

}  // namespace
