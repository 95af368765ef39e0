// A way back no one can turn against the PC: which sets a restore trusts, which paths a set may
// name, and what a restore keeps of the files changed since the update. On real folders of
// the Wine prefix; each tampered set must leave everything as it was.
#include <gtest/gtest.h>
#include <windows.h>
#include <sddl.h>

#include <functional>
#include <string>
#include <vector>

#include "backup/backup_set.h"
#include "backup/journal.h"
#include "backup/paths.h"
#include "backup/restore.h"
#include "backup/set_security.h"
#include "backup/texts.h"
#include "framework/handles.h"
#include "replace/replace_file.h"
#include "tests/engine/update_run_support.h"
#include "tests/support/test_support.h"
#include "trust/run_lock.h"

namespace {

using backup::BackupSet;
using backup::Refusal;
using testing_support::FileExists;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;
using update_test::PutInPlace;
using update_test::Snapshot;

std::string Journal(const std::string& product) {
    return backup::NewestSet(product) + "\\" + backup::kJournalName;
}

void Append(const std::string& path, const std::string& text) {
    WriteFile(path, ReadFile(path) + text);
}

// A product with a voice folder of its own outside, and a folder beside it that no set may
// touch; one update changed it.
class Trust : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(product_ / "tovaka1.ini",
                  "[DIR]\r\nWAV=" + voice_ / "WAV" + "\r\nMASTER=" + product_.path() + "\r\n");
        WriteFile(product_ / "A.DAT", "old a");
        testing_support::MakeDir(product_ / "SUB");
        WriteFile(product_ / "SUB\\B.DAT", "old b");
        testing_support::MakeDir(voice_ / "WAV");
        WriteFile(voice_ / "WAV\\V.WAV", "old voice");
        WriteFile(outside_ / "victim.txt", "not the product's");
        testing_support::MakeDir(outside_ / "EMPTY");
        before_ = Snapshot(product_.path());
        outsideBefore_ = Snapshot(outside_.path());
    }
    void Update() {
        BackupSet set(product_.path(), backup::Saving::kLinkWherePossible, "tovaka1.ini");
        ASSERT_TRUE(PutInPlace(set, product_ / "A.DAT", "new a"));
        ASSERT_TRUE(PutInPlace(set, product_ / "SUB\\B.DAT", "new b"));
        ASSERT_TRUE(PutInPlace(set, product_ / "SUB\\C.DAT", "new c"));
        ASSERT_TRUE(PutInPlace(set, voice_ / "WAV\\V.WAV", "new voice"));
        updated_ = Snapshot(product_.path());
    }
    void ExpectNothingChanged() {
        EXPECT_EQ(Snapshot(product_.path()), updated_);
        EXPECT_EQ(ReadFile(voice_ / "WAV\\V.WAV"), "new voice");
        EXPECT_EQ(Snapshot(outside_.path()), outsideBefore_);
        EXPECT_FALSE(backup::NewestSet(product_.path()).empty());
    }

    TempDir product_;
    TempDir voice_;
    TempDir outside_;
    std::map<std::string, std::string> before_, updated_, outsideBefore_;
};

TEST_F(Trust, ASetOfThisRunIsPutBack) {
    ASSERT_NO_FATAL_FAILURE(Update());
    const backup::RestoreOutcome outcome = backup::RestoreNewestSet(product_.path());
    EXPECT_EQ(outcome.refusal, Refusal::kNone) << outcome.why;
    EXPECT_TRUE(outcome.failed.empty());
    EXPECT_TRUE(outcome.kept.empty());
    EXPECT_EQ(Snapshot(product_.path()), before_);
    EXPECT_EQ(ReadFile(voice_ / "WAV\\V.WAV"), "old voice");
}

// ---- A journal someone wrote into: the whole set refused, nothing changed ------------------

struct TamperCase {
    const char* name;
    // The line appended, from the product, voice and outside folders (each ending in '\').
    std::function<std::string(const std::string& product, const std::string& voice,
                              const std::string& outside)>
        line;
    bool plant = false;  // a numbered file 00099 is planted in the set
};

class TamperedJournal : public Trust, public ::testing::WithParamInterface<TamperCase> {};

TEST_P(TamperedJournal, RefusesTheWholeSetNamingTheLine) {
    ASSERT_NO_FATAL_FAILURE(Update());
    const std::string line = GetParam().line(product_.path(), voice_.path(), outside_.path());
    Append(Journal(product_.path()), line + "\r\n");
    if (GetParam().plant) {
        WriteFile(backup::NewestSet(product_.path()) + "\\00099", "planted");
    }

    const backup::RestoreOutcome outcome = backup::RestoreNewestSet(product_.path());
    EXPECT_EQ(outcome.refusal, Refusal::kDamaged);
    EXPECT_EQ(outcome.refused, Journal(product_.path()));
    EXPECT_NE(outcome.why.find("(" + line + ")"), std::string::npos) << outcome.why;
    EXPECT_EQ(outcome.why.rfind("line ", 0), 0u) << outcome.why;
    EXPECT_TRUE(outcome.failed.empty());
    ExpectNothingChanged();
    EXPECT_FALSE(FileExists(outside_ / "target.txt"));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, TamperedJournal,
    ::testing::Values(
        TamperCase{"NewOutside", [](auto&, auto&, auto& o) { return "NEW\t" + o + "victim.txt"; }},
        TamperCase{"SavedPlantedOutside",
                   [](auto&, auto&, auto& o) { return "SAVED\t00099\t" + o + "target.txt"; }, true},
        TamperCase{"FolderOutside", [](auto&, auto&, auto& o) { return "FOLDER\t" + o + "EMPTY"; }},
        TamperCase{"ReadOnlyOutside",
                   [](auto&, auto&, auto& o) { return "READONLY\t" + o + "victim.txt"; }},
        TamperCase{
            "WrittenOutside",
            [](auto&, auto&, auto& o) { return "WRITTEN\t3\t00000000\t" + o + "victim.txt"; }},
        TamperCase{"Relative", [](auto&, auto&, auto&) { return std::string("NEW\tA.DAT"); }},
        TamperCase{"DriveRelative",
                   [](auto&, auto&, auto&) { return std::string("NEW\tC:victim.txt"); }},
        TamperCase{"RootRelative",
                   [](auto& p, auto&, auto&) { return "NEW\t" + p.substr(2) + "A.DAT"; }},
        TamperCase{"DotDot",
                   [](auto& p, auto&, auto& o) {
                       return "NEW\t" + p + "..\\" +
                              o.substr(o.find_last_of('\\', o.size() - 2) + 1) + "victim.txt";
                   }},
        TamperCase{"Unc", [](auto&, auto&,
                             auto&) { return std::string("NEW\t\\\\server\\share\\a.txt"); }},
        TamperCase{"DevicePath",
                   [](auto&, auto&, auto&) { return std::string("NEW\t\\\\.\\C:\\victim.txt"); }},
        TamperCase{"Device", [](auto& p, auto&, auto&) { return "NEW\t" + p + "NUL"; }},
        TamperCase{"DeviceWithExtension",
                   [](auto& p, auto&, auto&) { return "NEW\t" + p + "SUB\\COM1.DAT"; }},
        TamperCase{"Stream", [](auto& p, auto&, auto&) { return "NEW\t" + p + "A.DAT:evil"; }},
        TamperCase{"TrailingDot", [](auto& p, auto&, auto&) { return "NEW\t" + p + "A.DAT."; }},
        TamperCase{
            "InsideTheBackupFolder",
            [](auto& p, auto&, auto&) { return "NEW\t" + p + "RENOVO.BAK\\0001\\JOURNAL.TXT"; }},
        TamperCase{"TheBackupFolderItself",
                   [](auto& p, auto&, auto&) { return "FOLDER\t" + p + "renovo.bak"; }},
        TamperCase{"NextToTheVoiceFolder",
                   [](auto&, auto& v, auto&) { return "NEW\t" + v + "WAVX\\V.WAV"; }},
        TamperCase{"UnknownKind", [](auto& p, auto&, auto&) { return "DELETE\t" + p + "A.DAT"; }},
        TamperCase{"SavedNameNotANumber",
                   [](auto& p, auto&, auto&) { return "SAVED\t..\\x\t" + p + "A.DAT"; }},
        TamperCase{"SecondProduct",
                   [](auto&, auto&, auto& o) { return "PRODUCT\t" + o.substr(0, o.size() - 1); }},
        TamperCase{"SettingsOutside",
                   [](auto&, auto&, auto&) { return std::string("SETTINGS\t..\\evil.ini"); }}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Who could have written the set --------------------------------------------------------

// Everyone and Users may change it, as a folder made under C:\ lets Authenticated Users.
bool LetUsersWrite(const std::string& path) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(
            "D:(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;AU)(A;OICI;0x1301bf;;;BU)"
            "(A;OICI;0x1301bf;;;WD)",
            SDDL_REVISION_1, &sd, nullptr)) {
        return false;
    }
    const bool set = SetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, sd) != 0;
    LocalFree(sd);
    return set;
}

TEST_F(Trust, AnElevatedRestoreRefusesASetUsersMayWrite) {
    ASSERT_NO_FATAL_FAILURE(Update());
    const std::string set = backup::NewestSet(product_.path());
    ASSERT_TRUE(LetUsersWrite(set));
    backup::ScopedElevationForTesting elevated(true);
    const backup::RestoreOutcome outcome = backup::RestoreNewestSet(product_.path());
    EXPECT_EQ(outcome.refusal, Refusal::kNotAdminOnly);
    EXPECT_EQ(outcome.refused, set);
    EXPECT_NE(outcome.why.find("may change it"), std::string::npos) << outcome.why;
    ExpectNothingChanged();
}

TEST_F(Trust, AnElevatedRestoreRefusesAJournalUsersMayWrite) {
    ASSERT_NO_FATAL_FAILURE(Update());
    ASSERT_TRUE(LetUsersWrite(Journal(product_.path())));
    backup::ScopedElevationForTesting elevated(true);
    const backup::RestoreOutcome outcome = backup::RestoreNewestSet(product_.path());
    EXPECT_EQ(outcome.refusal, Refusal::kNotAdminOnly);
    EXPECT_EQ(outcome.why.rfind("JOURNAL.TXT: ", 0), 0u) << outcome.why;
    ExpectNothingChanged();
}

// Not elevated, the restore acts with the user's own rights, on whatever set there is.
TEST_F(Trust, ARestoreThatIsNotElevatedPutsBackASetUsersMayWrite) {
    ASSERT_NO_FATAL_FAILURE(Update());
    ASSERT_TRUE(LetUsersWrite(backup::NewestSet(product_.path())));
    backup::ScopedElevationForTesting notElevated(false);
    const backup::RestoreOutcome outcome = backup::RestoreNewestSet(product_.path());
    EXPECT_EQ(outcome.refusal, Refusal::kNone) << outcome.why;
    EXPECT_EQ(Snapshot(product_.path()), before_);
}

struct DescriptorCase {
    const char* name;
    const char* sddl;
    bool trusted;
};

class Descriptors : public ::testing::TestWithParam<DescriptorCase> {};

// What real Windows records: owners and entries Wine cannot keep on its files.
TEST_P(Descriptors, OnlyAdministratorsAndSystemMayChangeATrustedSet) {
    std::string why;
    if (GetParam().sddl == nullptr) {
        // No access list at all: everyone may do anything (Wine's SDDL reader has no
        // NO_ACCESS_CONTROL).
        SECURITY_DESCRIPTOR sd;
        ASSERT_TRUE(InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION));
        backup::ProtectedDescriptor protectedOne;
        PSID owner = nullptr;
        BOOL defaulted = FALSE;
        ASSERT_TRUE(GetSecurityDescriptorOwner(protectedOne.Get(), &owner, &defaulted));
        ASSERT_TRUE(SetSecurityDescriptorOwner(&sd, owner, FALSE));
        ASSERT_TRUE(SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE));
        why = backup::WhyOthersMayChange(&sd);
    } else {
        PSECURITY_DESCRIPTOR sd = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(
            GetParam().sddl, SDDL_REVISION_1, &sd, nullptr));
        why = backup::WhyOthersMayChange(sd);
        LocalFree(sd);
    }
    EXPECT_EQ(why.empty(), GetParam().trusted) << why;
}

INSTANTIATE_TEST_SUITE_P(
    Sddl, Descriptors,
    ::testing::Values(
        DescriptorCase{"AsMade", "O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)",
                       true},
        DescriptorCase{"OwnedBySystem", "O:SYD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)", true},
        DescriptorCase{"OwnedByAUser", "O:S-1-5-21-1-2-3-1001D:P(A;OICI;FA;;;BA)", false},
        DescriptorCase{"AuthenticatedUsersModify", "O:BAD:(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;AU)",
                       false},
        DescriptorCase{"UsersMayDelete", "O:BAD:(A;;FA;;;BA)(A;;0x10000;;;BU)", false},
        DescriptorCase{"UsersMayChangeTheList", "O:BAD:(A;;FA;;;BA)(A;;WD;;;BU)", false},
        DescriptorCase{"UsersMayAddFiles", "O:BAD:(A;;FA;;;BA)(A;;0x2;;;BU)", false},
        DescriptorCase{"CreatorOwnerOnlyBelow", "O:BAD:(A;;FA;;;BA)(A;OICIIO;FA;;;CO)", true},
        DescriptorCase{"UsersDenied", "O:BAD:(D;;FA;;;BU)(A;;FA;;;BA)", true},
        DescriptorCase{"NoAccessList", nullptr, false},
        DescriptorCase{"EveryoneGenericWrite", "O:BAD:(A;;GW;;;WD)", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProtectedDescriptor, IsOwnedByAdministratorsAndInheritsNothing) {
    backup::ProtectedDescriptor descriptor;
    ASSERT_NE(descriptor.Get(), nullptr);
    char* sddl = nullptr;
    ASSERT_TRUE(ConvertSecurityDescriptorToStringSecurityDescriptorA(
        descriptor.Get(), SDDL_REVISION_1, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
        &sddl, nullptr));
    const std::string text = sddl;
    LocalFree(sddl);
    EXPECT_EQ(text, "O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)");
    EXPECT_TRUE(backup::WhyOthersMayChange(descriptor.Get()).empty());
    {
        backup::ScopedElevationForTesting elevated(true);
        EXPECT_NE(descriptor.ForThisRun(), nullptr);
    }
    backup::ScopedElevationForTesting notElevated(false);
    EXPECT_EQ(descriptor.ForThisRun(), nullptr);
}

// ---- The backup journals no path outside the product's folders -----------------------------

TEST_F(Trust, NoChangeOutsideTheProductsFoldersIsMade) {
    BackupSet set(product_.path(), backup::Saving::kLinkWherePossible, "tovaka1.ini");
    EXPECT_TRUE(set.BeforePutInPlace(product_ / "A.DAT"));
    EXPECT_TRUE(set.BeforePutInPlace(voice_ / "WAV\\V.WAV"));
    SetLastError(0);
    EXPECT_FALSE(set.BeforePutInPlace(outside_ / "victim.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_PATHNAME));
    EXPECT_FALSE(PutInPlace(set, outside_ / "victim.txt", "changed"));
    EXPECT_FALSE(set.BeforeCreateFolder(outside_ / "NEW\\"));
    EXPECT_FALSE(set.BeforePutInPlace(product_ / "RENOVO.BAK\\x.txt"));
    EXPECT_FALSE(set.BeforeWriteInPlace(outside_ / "victim.txt"));
    EXPECT_EQ(Snapshot(outside_.path()), outsideBefore_);
    const std::string journal = ReadFile(Journal(product_.path()));
    EXPECT_EQ(journal.find(outside_.path()), std::string::npos) << journal;
}

// ---- Files changed since the update --------------------------------------------------------

TEST_F(Trust, AFileChangedSinceTheUpdateIsKeptBesideIt) {
    ASSERT_NO_FATAL_FAILURE(Update());
    WriteFile(product_ / "A.DAT", "the user's a");               // replaced by the update
    WriteFile(product_ / "SUB\\C.DAT", "the user's c");          // created by the update
    WriteFile(product_ / "A.DAT.KEPT", "an earlier kept copy");  // the name is taken

    const backup::RestoreOutcome outcome = backup::RestoreNewestSet(product_.path());
    EXPECT_EQ(outcome.refusal, Refusal::kNone) << outcome.why;
    EXPECT_TRUE(outcome.failed.empty());
    ASSERT_EQ(outcome.kept.size(), 2u);
    // Undone in reverse order: the created file first.
    EXPECT_EQ(outcome.kept[0].path, product_ / "SUB\\C.DAT");
    EXPECT_EQ(outcome.kept[0].keptAs, product_ / "SUB\\C.DAT.KEPT");
    EXPECT_EQ(outcome.kept[1].path, product_ / "A.DAT");
    EXPECT_EQ(outcome.kept[1].keptAs, product_ / "A.DAT.KEPT2");
    std::map<std::string, std::string> expected = before_;
    expected["A.DAT.KEPT"] = "an earlier kept copy";
    expected["A.DAT.KEPT2"] = "the user's a";
    expected["SUB\\C.DAT.KEPT"] = "the user's c";
    EXPECT_EQ(Snapshot(product_.path()), expected);
    EXPECT_TRUE(backup::NewestSet(product_.path()).empty());  // the set is gone, the files not
}

TEST_F(Trust, AFileWrittenInPlaceAndChangedSinceIsKeptToo) {
    {
        BackupSet set(product_.path(), backup::Saving::kLinkWherePossible, "tovaka1.ini");
        ASSERT_TRUE(set.BeforeWriteInPlace(product_ / "tovaka1.ini"));
        ASSERT_TRUE(WritePrivateProfileStringA("SYSTEM", "KEY", "update",
                                               (product_ / "tovaka1.ini").c_str()));
    }
    ASSERT_TRUE(
        WritePrivateProfileStringA("SYSTEM", "KEY", "user", (product_ / "tovaka1.ini").c_str()));
    const std::string users = ReadFile(product_ / "tovaka1.ini");
    const backup::RestoreOutcome outcome = backup::RestoreNewestSet(product_.path());
    ASSERT_EQ(outcome.kept.size(), 1u);
    EXPECT_EQ(ReadFile(outcome.kept[0].keptAs), users);
    EXPECT_EQ(ReadFile(product_ / "tovaka1.ini"), before_["tovaka1.ini"]);
}

TEST_F(Trust, AnUnchangedFileLeavesNothingBehind) {
    ASSERT_NO_FATAL_FAILURE(Update());
    const std::string journal = ReadFile(Journal(product_.path()));
    EXPECT_NE(journal.find("WRITTEN\t5\t"), std::string::npos) << journal;  // "new a"
    const backup::RestoreOutcome outcome = backup::RestoreNewestSet(product_.path());
    EXPECT_TRUE(outcome.kept.empty());
    EXPECT_EQ(Snapshot(product_.path()), before_);
}

// Sets made before the journal named its product and what it wrote restore as before.
TEST_F(Trust, AnOlderSetStillRestores) {
    ASSERT_NO_FATAL_FAILURE(Update());
    const std::string path = Journal(product_.path());
    std::string old;
    const std::string text = ReadFile(path);
    for (size_t at = 0; at < text.size();) {
        const size_t end = text.find("\r\n", at) + 2;
        const std::string line = text.substr(at, end - at);
        if (line.rfind("PRODUCT\t", 0) != 0 && line.rfind("SETTINGS\t", 0) != 0 &&
            line.rfind("WRITTEN\t", 0) != 0) {
            old += line;
        }
        at = end;
    }
    WriteFile(path, old);
    WriteFile(product_ / "A.DAT", "changed, but the old set cannot tell");
    const backup::RestoreOutcome outcome = backup::RestoreNewestSet(product_.path());
    EXPECT_EQ(outcome.refusal, Refusal::kNone) << outcome.why;
    EXPECT_TRUE(outcome.kept.empty());
    EXPECT_EQ(Snapshot(product_.path()), before_);
    EXPECT_EQ(ReadFile(voice_ / "WAV\\V.WAV"), "old voice");
}

// ---- The paths a journal may name ----------------------------------------------------------

TEST(Confinement, PlainFullPathsInsideTheRootsOnly) {
    backup::Confinement folders;
    folders.AddRoot("C:\\PRODUCT\\");
    folders.AddRoot("D:\\VOICE");
    folders.AddRoot("relative\\voice");    // no root
    folders.AddRoot("\\\\server\\share");  // no root
    EXPECT_EQ(folders.roots(), (std::vector<std::string>{"C:\\PRODUCT", "D:\\VOICE"}));
    for (const char* inside : {"C:\\PRODUCT\\A.DAT", "c:\\product\\sub\\b.dat", "D:\\VOICE\\x.wav",
                               "C:\\PRODUCT\\\x95\x5C\\1.DAT"}) {
        EXPECT_TRUE(folders.Allows(inside)) << inside;
    }
    for (const char* outside : {"C:\\PRODUCT",
                                "C:\\PRODUCTX\\A.DAT",
                                "C:\\PRODUCT\\..\\A.DAT",
                                "C:\\PRODUCT\\.\\A.DAT",
                                "C:\\PRODUCT\\\\A.DAT",
                                "C:\\PRODUCT/A.DAT",
                                "C:\\PRODUCT\\A.DAT\\",
                                "C:\\PRODUCT\\RENOVO.BAK\\0001\\00001",
                                "C:\\PRODUCT\\Renovo.Bak",
                                "C:\\PRODUCT\\CON",
                                "C:\\PRODUCT\\aux.txt",
                                "C:\\PRODUCT\\A.DAT::$DATA",
                                "C:\\PRODUCT\\A.DAT ",
                                "C:\\PRODUCT\\A\tB",
                                "C:\\PRODUCT\\A*",
                                "\\\\?\\C:\\PRODUCT\\A",
                                "C:PRODUCT\\A.DAT",
                                "PRODUCT\\A.DAT",
                                "E:\\VOICE\\x.wav",
                                ""}) {
        EXPECT_FALSE(folders.Allows(outside)) << outside;
    }
    EXPECT_EQ(folders.RootOf("c:\\product\\SUB\\X"), "C:\\PRODUCT");
    EXPECT_EQ(backup::FoldersBetween("C:\\P", "C:\\P\\A\\B\\F.DAT"),
              (std::vector<std::string>{"C:\\P\\A", "C:\\P\\A\\B"}));
    EXPECT_TRUE(backup::FoldersBetween("C:\\P", "C:\\P\\F.DAT").empty());
}

TEST(Confinement, ADriveRootHoldsItsDrive) {
    backup::Confinement folders;
    folders.AddRoot("C:\\");
    EXPECT_TRUE(folders.Allows("C:\\A.DAT"));
    EXPECT_FALSE(folders.Allows("C:\\RENOVO.BAK\\0001"));
    EXPECT_EQ(backup::FoldersBetween("C:\\", "C:\\A\\F"), std::vector<std::string>{"C:\\A"});
}

}  // namespace

namespace {

// ---- What no one can block or turn: the set's own folders, numbering, the one-run lock ----

// The settings moved the voice folder after the update: the set still names where its run
// wrote, and is put back there, not refused as damaged.
TEST_F(Trust, ASetIsConfinedToTheFoldersItsRunWroteIn) {
    ASSERT_NO_FATAL_FAILURE(Update());
    EXPECT_NE(ReadFile(Journal(product_.path())).find("ROOT\t" + voice_ / "WAV" + "\r\n"),
              std::string::npos);
    WriteFile(product_ / "tovaka1.ini", "[DIR]\r\nWAV=" + outside_ / "MOVED" + "\r\n");
    const backup::RestoreOutcome outcome = backup::RestoreNewestSet(product_.path());
    EXPECT_EQ(outcome.refusal, Refusal::kNone) << outcome.why;
    EXPECT_TRUE(outcome.failed.empty());
    EXPECT_EQ(ReadFile(voice_ / "WAV\\V.WAV"), "old voice");
    EXPECT_EQ(Snapshot(outside_.path()), outsideBefore_);
}

// Today's settings cannot widen a recorded set: a line into a folder the run never wrote in is
// refused although the settings name that folder now.
TEST_F(Trust, TodaysSettingsDoNotWidenARecordedSet) {
    ASSERT_NO_FATAL_FAILURE(Update());
    WriteFile(product_ / "tovaka1.ini", "[DIR]\r\nWAV=" + outside_.path() + "\r\n");
    updated_ = Snapshot(product_.path());
    Append(Journal(product_.path()), "NEW\t" + outside_ / "victim.txt" + "\r\n");
    const backup::RestoreOutcome outcome = backup::RestoreNewestSet(product_.path());
    EXPECT_EQ(outcome.refusal, Refusal::kDamaged);
    ExpectNothingChanged();
}

struct NoSetCase {
    const char* name;
    std::function<void(const std::string& bak)> plant;
};

class NotASet : public Trust, public ::testing::WithParamInterface<NoSetCase> {};

// Whatever sits in RENOVO.BAK that is no set, the next update makes its set and the restore
// finds the real one.
TEST_P(NotASet, NeverStopsAnUpdateNorPassesForTheNewestSet) {
    testing_support::MakeDir(product_ / "RENOVO.BAK");
    GetParam().plant(product_ / "RENOVO.BAK\\");
    ASSERT_NO_FATAL_FAILURE(Update());
    const backup::RestoreOutcome outcome = backup::RestoreNewestSet(product_.path());
    EXPECT_EQ(outcome.refusal, Refusal::kNone) << outcome.why;
    EXPECT_TRUE(outcome.failed.empty());
    EXPECT_EQ(ReadFile(product_ / "A.DAT"), "old a");
}

INSTANTIATE_TEST_SUITE_P(
    Planted, NotASet,
    ::testing::Values(
        NoSetCase{"EmptyLastNumber",
                  [](const std::string& b) { testing_support::MakeDir(b + "9999"); }},
        NoSetCase{"EmptyFolders",
                  [](const std::string& b) {
                      testing_support::MakeDir(b + "0001");
                      testing_support::MakeDir(b + "0007");
                  }},
        NoSetCase{"AFileNamedAsASet", [](const std::string& b) { WriteFile(b + "0003", "x"); }},
        NoSetCase{"ANameOutOfRange",
                  [](const std::string& b) { testing_support::MakeDir(b + "99999"); }},
        NoSetCase{"AJournalThatIsAFolder",
                  [](const std::string& b) {
                      testing_support::MakeDir(b + "9999");
                      testing_support::MakeDir(b + "9999\\JOURNAL.TXT");
                  }}),
    [](const auto& info) { return std::string(info.param.name); });

// Two restores, or a restore and an update, of one product exclude each other.
TEST_F(Trust, ARestoreWhileAnotherRunHoldsTheProductChangesNothing) {
    ASSERT_NO_FATAL_FAILURE(Update());
    trust::RunLock other;
    ASSERT_EQ(other.Take(product_.path()), trust::Lock::kTaken);
    const backup::RestoreOutcome outcome = backup::RestoreNewestSet(product_.path());
    EXPECT_TRUE(outcome.busy);
    ExpectNothingChanged();
    other.Release();
    EXPECT_FALSE(backup::RestoreNewestSet(product_.path()).busy);
    EXPECT_EQ(Snapshot(product_.path()), before_);
}

}  // namespace
