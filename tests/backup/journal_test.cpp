// The journal's lines and the set rules, without the platform.
#include <gtest/gtest.h>

#include "backup/journal.h"

namespace {

using backup::Change;
using backup::ChangeKind;
using backup::ParseJournal;

// A trail byte 0x5C ("表" is 0x95 0x5C) and blanks must survive the round trip.
const Change kSaved{ChangeKind::kSaved, "C:\\PRODUCT\\DATA\\\x95\x5C 1.DAT", "00001"};
const Change kCreated{ChangeKind::kCreated, "C:\\PRODUCT\\SYSTEM\\NEW.DLL", {}};
const Change kFolder{ChangeKind::kFolder, "D:\\WAV\\NEW FOLDER", {}};
const Change kReadOnly{ChangeKind::kReadOnly, "C:\\PRODUCT\\SYSTEM\\OLD.DLL", {}};

TEST(Journal, EveryKindComesBackAsWritten) {
    const std::string text = FormatChange(kSaved) + FormatChange(kCreated) +
                             FormatChange(kFolder) + FormatChange(kReadOnly);
    EXPECT_EQ(text.substr(0, 12), "SAVED\t00001\t");
    const backup::Journal journal = ParseJournal(text);
    EXPECT_EQ(journal.changes, (std::vector<Change>{kSaved, kCreated, kFolder, kReadOnly}));
    EXPECT_TRUE(journal.damaged.empty());
}

struct DamageCase {
    const char* name;
    std::string text;
    size_t changes;
    std::vector<size_t> damaged;
};

class JournalDamage : public ::testing::TestWithParam<DamageCase> {};

TEST_P(JournalDamage, KeepsWholeLinesAndNamesTheBadOnes) {
    const backup::Journal journal = ParseJournal(GetParam().text);
    EXPECT_EQ(journal.changes.size(), GetParam().changes);
    EXPECT_EQ(journal.damaged, GetParam().damaged);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, JournalDamage,
    ::testing::Values(DamageCase{"Empty", "", 0, {}},
                      // Killed while the line was written: its change never began.
                      DamageCase{"CutLastLine", FormatChange(kCreated) + "SAVED\t0000", 1, {}},
                      DamageCase{"LoneLfIsNoLineEnd", "NEW\tC:\\A\n", 0, {}},
                      DamageCase{"UnknownTag", "GONE\tC:\\A\r\n" + FormatChange(kFolder), 1, {1}},
                      DamageCase{"SavedWithoutNumber", "SAVED\t\tC:\\A\r\n", 0, {1}},
                      DamageCase{"SavedNumberNotDigits", "SAVED\t0x01\tC:\\A\r\n", 0, {1}},
                      DamageCase{"NewWithoutPath", FormatChange(kSaved) + "NEW\t\r\n", 1, {2}},
                      DamageCase{"ExtraField", "FOLDER\tC:\\A\tB\r\n", 0, {1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Journal, TheRunsStartOnlyAsTheFirstLine) {
    const std::string begun = backup::FormatBegun(0x01DB4A1F2C3D4E5FULL);
    EXPECT_EQ(begun, "BEGUN\t01DB4A1F2C3D4E5F\r\n");
    backup::Journal journal = ParseJournal(begun + FormatChange(kCreated));
    EXPECT_EQ(journal.begun, 0x01DB4A1F2C3D4E5FULL);
    EXPECT_EQ(journal.changes, std::vector<Change>{kCreated});
    journal = ParseJournal(FormatChange(kCreated) + begun);
    EXPECT_EQ(journal.begun, 0u);
    EXPECT_EQ(journal.damaged, std::vector<size_t>{2});
}

TEST(Journal, WorkFileNames) {
    for (const char* name : {"rpl1.tmp", "RPL1A77.TMP", "rplcea8.tmp", "temp.mst", "TEMP.MST"}) {
        EXPECT_TRUE(backup::IsWorkFileName(name)) << name;
    }
    for (const char* name : {"rpl.tmp", "rpl12345.tmp", "rplxyz.tmp", "xrpl1.tmp", "rpl1.tmpx",
                             "temp1.mst", "zai001-3.mst"}) {
        EXPECT_FALSE(backup::IsWorkFileName(name)) << name;
    }
}

TEST(BackupSets, NamesAndNumbers) {
    EXPECT_EQ(backup::SavedName(1), "00001");
    EXPECT_EQ(backup::SetName(12), "0012");
    EXPECT_EQ(backup::SetNumber("0012"), 12);
    for (const char* name : {"", "12", "00012", "0012.OLD", "A012", "0000"}) {
        EXPECT_EQ(backup::SetNumber(name), 0) << name;
    }
}

TEST(BackupSets, ThreeNewestAreKept) {
    EXPECT_TRUE(backup::SetsToPrune({2, 1, 3}, 3).empty());
    EXPECT_EQ(backup::SetsToPrune({5, 1, 4, 2, 3}, 3), (std::vector<int>{1, 2}));
}

}  // namespace

namespace {

TEST(Journal, RootLinesComeBackInOrderAndAnEmptyOneIsDamage) {
    const std::string text = backup::FormatRoot("C:\\PRODUCT") + backup::FormatRoot("D:\\音声") +
                             "ROOT\t\r\n" + backup::FormatChange(kCreated);
    const backup::Journal journal = ParseJournal(text);
    EXPECT_EQ(journal.roots, (std::vector<std::string>{"C:\\PRODUCT", "D:\\音声"}));
    EXPECT_EQ(journal.rootLines, (std::vector<size_t>{1, 2}));
    EXPECT_EQ(journal.damaged, (std::vector<size_t>{3}));
    EXPECT_EQ(journal.changes.size(), 1u);
}

}  // namespace
