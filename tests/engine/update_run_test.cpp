// The update run against real product folders, real LZH archives, the real profile functions
// and, for the disk prompts, Wine's floppy drive A:.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>

#include "archiver/texts.h"
#include "engine/change_checks.h"
#include "engine/install_log.h"
#include "engine/command_line.h"
#include "engine/plan.h"
#include "engine/program_folder.h"
#include "engine/texts.h"
#include "engine/update_run.h"
#include "framework/handles.h"
#include "framework/wide.h"
#include "tests/engine/update_run_support.h"
#include "tests/support/test_support.h"
#include "trust/access.h"

namespace {

using engine::Buttons;
using testing_support::FileExists;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;
using update_test::CopyFixture;
using update_test::MemberText;
using update_test::ProfileValue;
using update_test::ScriptedSeam;
using update_test::Snapshot;

constexpr char kTitle[] = "TOVAKA PRO SEVEN";

std::string Replace(std::string format, const std::string& value) {
    return format.replace(format.find('%'), 2, value);
}

std::string Prompt(int disk) {
    return Replace(engine::kInsertDisk, std::to_string(disk));
}

// A product folder as the installer finds it, and an update disk in a plain folder (a fixed
// drive, so no disk is ever asked for).
class UpdateRun : public ::testing::Test {
protected:
    void SetUp() override {
        MakeProduct(product_.path());
        engine::SetProgramFolder(disk_.path());
        ctx_.destFolder = product_.path();
        ctx_.settingsFile = "tovaka1.ini";
        ctx_.requiredVersion = "2";
        for (int i = 0; i < 15; ++i) {
            ctx_.systemNames[i] = "NAME" + std::to_string(i + 1);
        }
        ctx_.systemNames[6] = "SEVEN";
    }
    static void MakeProduct(const std::string& folder) {
        WriteFile(folder + "tovaka1.ini", std::string("[SYSTEM]\r\nTITLE=") + kTitle + "\r\n");
        WriteFile(folder + "tv2menu.ini", "");
    }
    void Add(int disk, int kind, const std::string& name, const std::string& sub) {
        update_test::AddEntry(ctx_, disk, kind, name, sub);
    }
    // Archive entry `name` from fixture `fixture`, or a plain file with `content`.
    void AddArchive(const std::string& fixture, const std::string& name, const std::string& sub,
                    int disk = 1) {
        CopyFixture(fixture, disk_ / (name + ".lzh"));
        Add(disk, 1, name, sub);
    }
    void AddPlain(const std::string& name, const std::string& content, const std::string& sub,
                  int disk = 1) {
        WriteFile(disk_ / name, content);
        Add(disk, 2, name, sub);
    }
    int Run() { return engine::RunUpdate(ctx_, ctx_.destFolder, seam_) ? 1 : 0; }
    std::string Settings() const { return product_ / "tovaka1.ini"; }
    void ExpectOnlyMessage(const std::string& text, const char* caption) {
        ASSERT_EQ(seam_.messages.size(), 1u) << ::testing::PrintToString(seam_.Texts());
        EXPECT_EQ(seam_.messages[0].text, text);
        EXPECT_EQ(seam_.messages[0].caption, caption);
        EXPECT_EQ(seam_.messages[0].buttons, Buttons::kOk);
    }

    TempDir product_;
    TempDir disk_;
    engine::UpdateContext ctx_;
    ScriptedSeam seam_;
};

// ---- Refused before installing: nothing on disk changes --------------------------------

struct RefusalCase {
    const char* name;
    std::function<void(engine::UpdateContext&, const std::string& product)> spoil;
    const char* text;
};

class Refusal : public UpdateRun, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(Refusal, ShowsItsMessageAndTouchesNothing) {
    AddArchive("ONE", "SYS01", "SYSTEM\\");
    AddPlain("READ.ME", "new", "");
    WriteFile(product_ / "READ.ME", "old");
    GetParam().spoil(ctx_, product_.path());
    const auto before = Snapshot(product_.path());

    EXPECT_EQ(Run(), 0);
    ExpectOnlyMessage(GetParam().text, engine::kCaptionError);
    EXPECT_EQ(Snapshot(product_.path()), before);
    EXPECT_EQ(seam_.depth(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Preflight, Refusal,
    ::testing::Values(RefusalCase{"SettingsFileMissing",
                                  [](engine::UpdateContext&, const std::string& p) {
                                      DeleteFileA((p + "tovaka1.ini").c_str());
                                  },
                                  engine::kWrongFolder},
                      RefusalCase{"FolderMissing",
                                  [](engine::UpdateContext& c, const std::string&) {
                                      c.destFolder = "C:\\no such product\\";
                                  },
                                  engine::kWrongFolder},
                      RefusalCase{"MenuFilesMissing",
                                  [](engine::UpdateContext&, const std::string& p) {
                                      DeleteFileA((p + "tv2menu.ini").c_str());
                                  },
                                  engine::kCannotUpdate},
                      RefusalCase{"VersionDiffers",
                                  [](engine::UpdateContext& c, const std::string&) {
                                      c.requiredVersion = "3";
                                  },
                                  engine::kCannotUpdate},
                      RefusalCase{"SystemNotIdentified",
                                  [](engine::UpdateContext& c, const std::string&) {
                                      c.systemNames[6] = "EIGHT";
                                  },
                                  engine::kCannotUpdate}),
    [](const auto& info) { return std::string(info.param.name); });

// Each run looks for both names afresh: a refused run leaves the manifest as it was read.
TEST_F(UpdateRun, AnyNameIsLookedUpAfreshByEachRun) {
    DeleteFileA(Settings().c_str());
    ctx_.settingsFile = "NULL";
    EXPECT_EQ(Run(), 0);
    ExpectOnlyMessage(engine::kWrongFolder, engine::kCaptionError);
    EXPECT_EQ(ctx_.settingsFile, "NULL");

    WriteFile(product_ / "vestima1.ini", "[SYSTEM]\r\nMAKER=1\r\n");
    seam_.messages.clear();
    const auto plan = engine::MakePlan(ctx_, ctx_.destFolder, seam_);
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->settingsFile, "vestima1.ini");
    EXPECT_EQ(plan->systemNumber, 0);  // a vestima1.ini product with maker 1
    EXPECT_EQ(Run(), 1);
    ExpectOnlyMessage(engine::kUpdated, engine::kCaptionConfirm);
}

TEST_F(UpdateRun, AnyNameFindsTovakaFirst) {
    WriteFile(product_ / "vestima1.ini", "[SYSTEM]\r\nMAKER=2\r\n");
    ctx_.settingsFile = "NULL";
    const std::string chosen = ctx_.destFolder.substr(0, ctx_.destFolder.size() - 1);
    const auto plan = engine::MakePlan(ctx_, chosen, seam_);
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->settingsFile, "tovaka1.ini");
    EXPECT_EQ(plan->systemNumber, 7);
    EXPECT_EQ(plan->folder, product_.path());  // the lookup completes the folder
    EXPECT_TRUE(seam_.messages.empty());
}

// The run's plan is whole before anything changes: a file the list names that the disk does
// not carry (here the variant's start archive) refuses the update, naming it.
TEST_F(UpdateRun, MissingFileOnTheFirstDiskRefusesBeforeAnythingChanges) {
    AddPlain("A.TXT", "new", "");
    AddArchive("ONE", "SYS01", "SYSTEM\\");
    Add(1, 1, "START", "");  // START7.lzh is not on the disk
    WriteFile(product_ / "A.TXT", "old");
    const auto before = Snapshot(product_.path());

    const engine::RunOutcome outcome = engine::RunUpdateOutcome(ctx_, ctx_.destFolder, seam_);
    EXPECT_EQ(outcome, engine::RunOutcome::kRefused);
    EXPECT_EQ(engine::ExitCodeOf(outcome), engine::kExitRefused);
    ExpectOnlyMessage(Replace(engine::kSourceMissing, disk_ / "START7.lzh"), engine::kCaptionError);
    EXPECT_EQ(Snapshot(product_.path()), before);
}

// Two products of different variants: the first run is cancelled at its files in use, the
// second run (the same manifest, another folder) installs the second product's own variant.
TEST_F(UpdateRun, EachRunPlansItsOwnVariant) {
    testing_support::TempDir second;
    WriteFile(second / "vestima1.ini", "[SYSTEM]\r\nMAKER=2\r\n");  // system 99
    ctx_.settingsFile = "NULL";
    CopyFixture("START7", disk_ / "START7.lzh");
    CopyFixture("START99", disk_ / "START99.lzh");
    Add(1, 1, "START", "");
    WriteFile(product_ / "start.dat", "old");
    const auto before = Snapshot(product_.path());
    {
        framework::File held(CreateFileA((product_ / "start.dat").c_str(), GENERIC_READ,
                                         FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        seam_.Script(engine::kAnswerCancel);
        EXPECT_EQ(engine::RunUpdateOutcome(ctx_, ctx_.destFolder, seam_),
                  engine::RunOutcome::kInUse);
    }
    EXPECT_TRUE(engine::RunUpdate(ctx_, second.path(), seam_));
    EXPECT_EQ(ReadFile(second / "start.dat"), MemberText("system 99"));
    EXPECT_EQ(Snapshot(product_.path()), before);
}

// ---- Installing --------------------------------------------------------------------------

TEST_F(UpdateRun, EmptyListReportsSuccessUnderTheWaitCursor) {
    EXPECT_EQ(Run(), 1);
    ExpectOnlyMessage(engine::kUpdated, engine::kCaptionConfirm);
    EXPECT_EQ(seam_.messages[0].waitDepth, 1);
    EXPECT_EQ(seam_.depth(), 0);
}

// A fixed drive never prompts, whatever the disk numbers; archives go into new subfolders
// (the destination given without its separator, as the lookup completes it).
TEST_F(UpdateRun, FixedDriveInstallsEveryDiskWithoutPrompt) {
    ctx_.destFolder.pop_back();
    AddArchive("ONE", "SYS01", "SYSTEM\\");
    AddArchive("TWO", "SYS02", "SYSTEM\\", 2);
    AddPlain("NOTES.TXT", "notes", "", 3);
    AddArchive("THREE", "SYS03", "", 2);

    EXPECT_EQ(Run(), 1);
    ExpectOnlyMessage(engine::kUpdated, engine::kCaptionConfirm);
    EXPECT_EQ(ReadFile(product_ / "SYSTEM\\one.dat"), MemberText("archive one"));
    EXPECT_EQ(ReadFile(product_ / "SYSTEM\\two.dat"), MemberText("archive two"));
    EXPECT_EQ(ReadFile(product_ / "three.dat"), MemberText("archive three"));
    EXPECT_EQ(ReadFile(product_ / "NOTES.TXT"), "notes");
}

// Japanese names on any system code page (these also run at 1252 and 65001): the run makes
// データ\ and 材料\ and fills them, and makes no other folder.
class JapaneseNames : public UpdateRun {};

TEST_F(JapaneseNames, ArchiveAndFileGoIntoTheirFolders) {
    ASSERT_EQ(::GetACP(), testing_support::NamedCodePage());
    AddArchive("ONE", "単価", "データ\\");
    AddPlain("材料表.DAT", "material", "材料\\");
    const auto before = Snapshot(product_.path());

    EXPECT_EQ(Run(), 1);
    ExpectOnlyMessage(engine::kUpdated, engine::kCaptionConfirm);
    auto expected = before;
    expected["データ\\"] = "";
    expected["データ\\one.dat"] = MemberText("archive one");
    expected["材料\\"] = "";
    expected["材料\\材料表.DAT"] = "material";
    EXPECT_EQ(Snapshot(product_.path()), expected);
}

// The checks before the first change name the same files and folders on any code page.
TEST_F(JapaneseNames, ChecksFindFoldersAndHeldFilesByTheirNames) {
    testing_support::MakeDir(product_ / "データ");
    const std::string file = product_ / "データ\\材料表.DAT";
    WriteFile(file, "x");
    const auto before = Snapshot(product_.path());
    EXPECT_TRUE(engine::FolderTakesFiles(product_ / "データ\\"));
    EXPECT_TRUE(engine::FolderTakesFiles(product_ / "データ\\新しい表\\"));
    const framework::File held(CreateFileW(framework::Wide(file).c_str(), GENERIC_READ,
                                           FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    const auto found = engine::FindHeldFiles({file, product_ / "データ\\無い.DAT"});
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].path, file);
    EXPECT_EQ(Snapshot(product_.path()), before);
}

TEST_F(JapaneseNames, MissingOneIsNamedInTheRefusal) {
    AddPlain("A.TXT", "new", "");
    Add(1, 2, "材料表.DAT", "材料\\");
    const auto before = Snapshot(product_.path());
    EXPECT_EQ(Run(), 0);
    ExpectOnlyMessage(Replace(engine::kSourceMissing, disk_ / "材料表.DAT"),
                      engine::kCaptionError);
    EXPECT_EQ(Snapshot(product_.path()), before);
}

struct StartCase {
    const char* maker;  // empty: a tovaka1.ini product of system 7
    int system;
};

class StartRule : public UpdateRun, public ::testing::WithParamInterface<StartCase> {};

// The archive "START" exists once per variant; a folder part of the name stays in front.
TEST_P(StartRule, ExtractsTheVariantOfTheInstalledSystem) {
    const StartCase& c = GetParam();
    if (*c.maker) {
        DeleteFileA(Settings().c_str());
        WriteFile(product_ / "vestima1.ini", std::string("[SYSTEM]\r\nMAKER=") + c.maker + "\r\n");
        ctx_.settingsFile = "vestima1.ini";
    }
    const std::string variant = "START" + std::to_string(c.system);
    testing_support::MakeDir(disk_ / "SUB");
    CopyFixture(variant, disk_ / variant + ".lzh");
    CopyFixture(variant, disk_ / ("SUB\\" + variant + ".lzh"));
    Add(1, 1, "START", "");
    Add(1, 1, "SUB\\START", "SUB\\");

    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(ReadFile(product_ / "start.dat"), MemberText("system " + std::to_string(c.system)));
    EXPECT_EQ(ReadFile(product_ / "SUB\\start.dat"), ReadFile(product_ / "start.dat"));
}

INSTANTIATE_TEST_SUITE_P(Systems, StartRule,
                         ::testing::Values(StartCase{"", 7}, StartCase{"2", 99}, StartCase{"1", 0}),
                         [](const auto& info) { return std::to_string(info.param.system); });

TEST_F(UpdateRun, CopiedFileIsWritableWithItsTimesKept) {
    AddPlain("DATA.BIN", "fresh", "");
    const std::string source = disk_ / "DATA.BIN";
    const std::string target = product_ / "DATA.BIN";
    WriteFile(target, "stale");
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);

    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(ReadFile(target), "fresh");
    WIN32_FILE_ATTRIBUTE_DATA from, to;
    ASSERT_TRUE(GetFileAttributesExA(source.c_str(), GetFileExInfoStandard, &from));
    ASSERT_TRUE(GetFileAttributesExA(target.c_str(), GetFileExInfoStandard, &to));
    // Wine reports the archive bit on every file; the others must be gone.
    EXPECT_EQ(
        to.dwFileAttributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NORMAL),
        0u);
    EXPECT_EQ(CompareFileTime(&from.ftLastWriteTime, &to.ftLastWriteTime), 0);
    SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A product on a disk of its own that the new file does not fit even in the old one's place:
// the installed file stays byte for byte and no temporary file is left.
TEST_F(UpdateRun, FullDiskKeepsTheInstalledFileWhole) {
    testing_support::SmallDiskFolder disk;
    if (!disk.unavailable().empty()) {
        GTEST_SKIP() << disk.unavailable();
    }
    MakeProduct(disk.path());
    ctx_.destFolder = disk.path();
    std::string installed(300 << 10, '\0');
    for (size_t i = 0; i < installed.size(); ++i) {
        installed[i] = static_cast<char>(i * 13 >> 3);
    }
    WriteFile(disk / "DATA.BIN", installed);
    AddPlain("DATA.BIN", std::string(2 << 20, 'n'), "");
    const auto before = Snapshot(disk.path());

    EXPECT_EQ(Run(), 1);
    ExpectOnlyMessage(Replace(engine::kUpdateFailed, disk / "DATA.BIN"), engine::kCaptionConfirm);
    EXPECT_TRUE(Snapshot(disk.path()) == before);
}

// ---- Stopped part-way: the third of five entries fails ------------------------------------

struct StopCase {
    const char* name;
    int kind;
    const char* fixture;  // archive fixture, or nullptr: the plain file cannot be copied
    const char* sub;
    std::function<std::string(const std::string& product)> text;  // nullptr: the archiver's own
};

class StopPartWay : public UpdateRun, public ::testing::WithParamInterface<StopCase> {};

TEST_P(StopPartWay, KeepsWhatWasInstalledAndNothingAfter) {
    const StopCase& c = GetParam();
    AddArchive("ONE", "SYS01", "SYSTEM\\");
    AddPlain("A.TXT", "a", "");
    if (c.kind == 1) {
        AddArchive(c.fixture, "SYS02", c.sub);
    } else {
        testing_support::MakeDir(disk_ / "MISSING.TXT");  // on the disk, but no file to copy
        Add(1, 2, "MISSING.TXT", c.sub);
    }
    AddArchive("THREE", "SYS03", "");
    AddPlain("B.TXT", "b", "");

    EXPECT_EQ(Run(), 1);
    ASSERT_EQ(seam_.messages.size(), 1u) << ::testing::PrintToString(seam_.Texts());
    const update_test::Message& m = seam_.messages[0];
    EXPECT_EQ(m.caption, engine::kCaptionConfirm);
    EXPECT_EQ(m.buttons, Buttons::kOk);
    if (c.text) {
        EXPECT_EQ(m.text, c.text(product_.path()));
    } else {
        EXPECT_FALSE(m.text.empty());
        EXPECT_NE(m.text, engine::kUpdated);
    }
    EXPECT_TRUE(FileExists(product_ / "SYSTEM\\one.dat"));
    EXPECT_EQ(ReadFile(product_ / "A.TXT"), "a");
    EXPECT_FALSE(FileExists(product_ / "two.dat"));
    EXPECT_FALSE(FileExists(product_ / "three.dat"));
    EXPECT_FALSE(FileExists(product_ / "B.TXT"));
    EXPECT_EQ(seam_.depth(), 0);
}

INSTANTIATE_TEST_SUITE_P(Exits, StopPartWay,
                         ::testing::Values(StopCase{"ArchiveBroken", 1, "BROKEN", "", nullptr},
                                           StopCase{"CopyFailed", 2, nullptr, "",
                                                    [](const std::string& product) {
                                                        return Replace(engine::kUpdateFailed,
                                                                       product + "MISSING.TXT");
                                                    }}),
                         [](const auto& info) { return std::string(info.param.name); });

// The original's 256-byte command held no deeper folder than this; the run now takes any path
// that Windows takes.
TEST_F(UpdateRun, ArchiveIntoAFolderBeyondTheOriginalsCommandBuffer) {
    const std::string deep = std::string(180, 'L') + "\\";
    AddArchive("TWO", "SYS02", deep);
    ASSERT_LT(product_.path().size() + deep.size(), 246u);
    EXPECT_EQ(Run(), 1);
    ExpectOnlyMessage(engine::kUpdated, engine::kCaptionConfirm);
    EXPECT_EQ(ReadFile(product_ / (deep + "two.dat")), MemberText("archive two"));
}

// A product folder and an update disk deep enough that the archiver's message runs far past
// the original's 256 bytes: its last line, what state the product is left in, reaches the user
// and the log whole, from the update's archive and from the voice data alike.
class DeepFolders : public UpdateRun, public ::testing::WithParamInterface<bool> {};

TEST_P(DeepFolders, ArchiveFailureIsToldWhole) {
    const bool voice = GetParam();
    const std::string deepProduct =
        product_ / (std::string(200 - product_.path().size(), 'P') + "\\");
    const std::string deepDisk = disk_ / (std::string(200 - disk_.path().size(), 'D') + "\\");
    testing_support::MakeDir(deepProduct);
    testing_support::MakeDir(deepDisk);
    MakeProduct(deepProduct);
    ctx_.destFolder = deepProduct;
    engine::SetProgramFolder(deepDisk);
    const std::string archive =
        voice ? deepProduct + "音声\\wave.lzh" : deepDisk + "SYS01.lzh";
    if (voice) {
        testing_support::MakeDir(deepProduct + "WAV");
        testing_support::MakeDir(deepProduct + "音声");
        WritePrivateProfileStringA("DIR", "WAV", (deepProduct + "WAV").c_str(),
                                   (deepProduct + "tovaka1.ini").c_str());
        ctx_.digitizerOption = "1";
    } else {
        Add(1, 1, "SYS01", "");
    }
    CopyFixture("BROKEN", archive);
    TempDir logs;
    ASSERT_TRUE(engine::OpenInstallLog(logs / "renovo.log"));
    Run();
    engine::CloseInstallLog();

    ASSERT_GE(seam_.messages.size(), 1u);
    const std::string& text = seam_.messages[0].text;
    EXPECT_GT(text.size(), 256u);
    const std::string tail = archive + "\n" + archiver::kNothingWritten;
    EXPECT_TRUE(text.ends_with(tail)) << text;
    std::string oneLine = text;
    for (size_t at = 0; (at = oneLine.find('\n', at)) != std::string::npos;) {
        oneLine.replace(at, 1, " / ");
    }
    const std::string log = ReadFile(logs / "renovo.log");
    EXPECT_NE(log.find(engine::Cp932ToUtf8(oneLine) + " -> OK\r\n"), std::string::npos) << log;
    const std::string failure = engine::Cp932ToUtf8(archiver::kNothingWritten) + "\r\n";
    EXPECT_NE(log.find(failure), std::string::npos) << log;  // and the failure's own line
}

INSTANTIATE_TEST_SUITE_P(Archives, DeepFolders, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Voice" : "Update"; });

// A folder Windows cannot make temporary files in is named before anything changes.
TEST_F(UpdateRun, PathWindowsCannotTakeIsRefusedBeforeAnythingChanges) {
    const std::string deep = std::string(250 - product_.path().size(), 'L') + "\\";
    AddPlain("A.TXT", "a", "");
    AddArchive("TWO", "SYS02", deep);
    const auto before = Snapshot(product_.path());
    EXPECT_EQ(Run(), 0);
    ExpectOnlyMessage(Replace(engine::kPathTooLong, product_ / deep), engine::kCaptionError);
    EXPECT_EQ(Snapshot(product_.path()), before);
}

// ---- The digitizer option ----------------------------------------------------------------

struct DigitizerCase {
    const char* plainFile;
    const char* masterKey;  // what "ﾃﾞｼﾞﾀｲｻﾞMST" holds afterwards
};

class Digitizer : public UpdateRun, public ::testing::WithParamInterface<DigitizerCase> {};

TEST_P(Digitizer, WritesItsKeysAndTheTitleSuffixOnce) {
    ctx_.digitizerOption = "1";
    AddPlain(GetParam().plainFile, "x", "");
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(Run(), 1);  // a second update adds no second suffix
    EXPECT_EQ(ProfileValue(Settings(), "SYSTEM", "ﾃﾞｼﾞﾀｲｻﾞ"), "1");
    EXPECT_EQ(ProfileValue(Settings(), "SYSTEM", "ﾃﾞｼﾞﾀｲｻﾞMST"), GetParam().masterKey);
    EXPECT_EQ(ProfileValue(Settings(), "SYSTEM", "TITLE"), std::string(kTitle) + " with ﾎﾟﾙﾀﾝ");
    EXPECT_EQ(seam_.Texts(), (std::vector<std::string>{engine::kUpdated, engine::kUpdated}));
}

INSTANTIATE_TEST_SUITE_P(Master21, Digitizer,
                         ::testing::Values(DigitizerCase{"MASTER21.DAT", "1"},
                                           DigitizerCase{"MASTER2.DAT", "<none>"}));

TEST_F(UpdateRun, DigitizerKeepsALongTitleWhole) {
    const std::string title = "SEVEN " + std::string(150, 'T');
    WritePrivateProfileStringA("SYSTEM", "TITLE", title.c_str(), Settings().c_str());
    ctx_.digitizerOption = "1";
    EXPECT_EQ(Run(), 1);
    char buf[400] = {};
    GetPrivateProfileStringA("SYSTEM", "TITLE", "", buf, sizeof buf, Settings().c_str());
    EXPECT_EQ(std::string(buf), title + " with ﾎﾟﾙﾀﾝ");
}

TEST_F(UpdateRun, DigitizerOffWritesNothing) {
    const std::string before = ReadFile(Settings());
    ctx_.digitizerOption = "0";
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(ReadFile(Settings()), before);
}

// The voice archive that an entry of the same run put into "音声\" is unpacked into the
// folder named by the settings file, however deep (the original's command held 99 bytes).
TEST_F(UpdateRun, DigitizerInstallsTheVoiceData) {
    const std::string voice =
        "C:\\rv" + std::to_string(GetCurrentProcessId()) + "\\" + std::string(120, 'W');
    testing_support::MakeDir("C:\\rv" + std::to_string(GetCurrentProcessId()));
    testing_support::MakeDir(voice);
    WritePrivateProfileStringA("DIR", "WAV", voice.c_str(), Settings().c_str());
    CopyFixture("WAVE", disk_ / "WAVE.LZH");
    Add(1, 2, "WAVE.LZH", "音声\\");
    ctx_.digitizerOption = "1";
    EXPECT_EQ(Run(), 1);
    const std::string unpacked =
        FileExists(voice + "\\voice.wav") ? ReadFile(voice + "\\voice.wav") : "";
    testing_support::RemoveTree("C:\\rv" + std::to_string(GetCurrentProcessId()));
    ExpectOnlyMessage(engine::kUpdated, engine::kCaptionConfirm);
    EXPECT_EQ(unpacked, MemberText("voice data"));
}

// A voice or master folder in the Windows folder refuses the run before anything changes,
// naming the setting and the folder; a master folder that does not exist names nothing.
struct SettingsFolderCase {
    const char* name;
    const char* key;     // "WAV" or "MASTER"
    const char* below;   // below the Windows folder: the voice folder or the masters' prefix
    const char* made;    // the folder the case makes there first, or null
    const char* shown;   // the folder the message names, below the Windows folder; null: no refusal
};

class SettingsFolder : public UpdateRun, public ::testing::WithParamInterface<SettingsFolderCase> {
protected:
    static std::string Windows() {
        std::string folder(MAX_PATH + 1, '\0');
        folder.resize(GetWindowsDirectoryA(folder.data(), MAX_PATH));
        return folder;
    }
};

TEST_P(SettingsFolder, OneInTheWindowsFolderIsRefusedBeforeAnythingChanges) {
    const SettingsFolderCase& c = GetParam();
    const std::string windows = Windows();
    if (c.made != nullptr) {
        testing_support::MakeDir(windows + c.made);
    }
    WritePrivateProfileStringA("DIR", c.key, (windows + c.below).c_str(), Settings().c_str());
    testing_support::MakeDir(product_ / "音声");
    CopyFixture("WAVE", product_ / "音声\\wave.lzh");
    ctx_.digitizerOption = "1";
    ctx_.masterAdjust = "1";
    AddPlain("READ.ME", "new", "");
    const auto before = Snapshot(product_.path());
    const int ended = Run();
    if (c.made != nullptr) {
        testing_support::RemoveTree(windows + c.made);
    }
    if (c.shown == nullptr) {
        EXPECT_EQ(ended, 1);
        return;
    }
    EXPECT_EQ(ended, 0);
    ExpectOnlyMessage(trust::FolderRefusedMessage(std::string("[DIR] ") + c.key, windows + c.shown),
                      engine::kCaptionError);
    EXPECT_EQ(Snapshot(product_.path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, SettingsFolder,
    ::testing::Values(SettingsFolderCase{"VoiceInTheWindowsFolder", "WAV", "", nullptr, ""},
                      SettingsFolderCase{"VoiceInSystem32", "WAV", "\\system32", nullptr,
                                         "\\system32"},
                      SettingsFolderCase{"MasterBelowTheWindowsFolder", "MASTER", "\\rnvmst",
                                         "\\rnvmst1", "\\rnvmst1"},
                      SettingsFolderCase{"MasterThatDoesNotExist", "MASTER", "\\rnvnone",
                                         nullptr, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

// A settings file that cannot be written is reported, not passed over as success.
// A settings file that cannot be written is reported, not passed over as success. (One held
// open by another program is found before anything changes: see FilesInUse.)
TEST_F(UpdateRun, ReadOnlySettingsFileEndsTheRunWithTheFailure) {
    const std::string settings = Settings();
    ctx_.digitizerOption = "1";
    AddPlain("A.TXT", "a", "");
    const std::string before = ReadFile(settings);
    SetFileAttributesA(settings.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(Run(), 1);
    SetFileAttributesA(settings.c_str(), FILE_ATTRIBUTE_NORMAL);
    ExpectOnlyMessage(Replace(engine::kUpdateFailed, settings), engine::kCaptionConfirm);
    EXPECT_EQ(ReadFile(product_ / "A.TXT"), "a");
    EXPECT_EQ(ReadFile(settings), before);
}

// ---- Master conversions ------------------------------------------------------------------

class Masters : public UpdateRun {
protected:
    void SetUp() override {
        UpdateRun::SetUp();
        ctx_.masterAdjust = "1";
        const std::string prefix = product_ / "MST";
        WritePrivateProfileStringA("DIR", "MASTER", prefix.c_str(), Settings().c_str());
        testing_support::MakeDir(prefix + "1");
        testing_support::MakeDir(prefix + "21");
        master_ = prefix + "1\\zai001-3.mst";
        WriteFile(master_, "0123456789012A record\r\n");
    }
    std::string master_;
};

TEST_F(Masters, ConvertTheMasterFiles) {
    EXPECT_EQ(Run(), 1);
    ExpectOnlyMessage(engine::kUpdated, engine::kCaptionConfirm);
    EXPECT_EQ(ReadFile(master_), "0123456789012Z record\r\n");
}

// A read-only master file is in use by no one: it passes the checks, and the conversion that
// refuses it is reported; the fleet learns of it by the exit code.
TEST_F(Masters, FailuresAreReportedAndTheRunGoesOn) {
    SetFileAttributesA(master_.c_str(), FILE_ATTRIBUTE_READONLY);
    const engine::RunOutcome outcome = engine::RunUpdateOutcome(ctx_, ctx_.destFolder, seam_);
    SetFileAttributesA(master_.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(outcome, engine::RunOutcome::kStepsFailed);
    EXPECT_EQ(engine::ExitCodeOf(outcome), engine::kExitStepFailed);
    ASSERT_EQ(seam_.Texts(),
              (std::vector<std::string>{engine::kSizeConversionFailed,
                                        engine::kTypeConversionFailed, engine::kUpdated}));
    EXPECT_EQ(seam_.messages[0].waitDepth, 2);
    EXPECT_EQ(seam_.messages[1].waitDepth, 2);
    EXPECT_EQ(seam_.messages[2].waitDepth, 1);
    for (const auto& m : seam_.messages) {
        EXPECT_EQ(m.caption, engine::kCaptionConfirm);
    }
    EXPECT_EQ(ReadFile(master_), "0123456789012A record\r\n");
}

// A master file whose name cp932 cannot carry could be neither converted nor kept: the run
// names it before anything changes.
TEST_F(Masters, NameCp932CannotCarryRefusesBeforeAnythingChanges) {
    AddPlain("A.TXT", "new", "");
    const std::string folder = product_ / "MST1\\";
    framework::File(CreateFileW((framework::Wide(folder) + L"zai\u0915" L"01-3.mst").c_str(),
                                GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    const auto before = Snapshot(product_.path());
    EXPECT_EQ(engine::RunUpdateOutcome(ctx_, ctx_.destFolder, seam_), engine::RunOutcome::kRefused);
    ExpectOnlyMessage(Replace(engine::kNameNotCp932, folder + "zai?01-3.mst"),
                      engine::kCaptionError);
    EXPECT_EQ(Snapshot(product_.path()), before);
    EXPECT_EQ(ReadFile(master_), "0123456789012A record\r\n");
}

// ---- Files in use, found before anything of their disk changes ----------------------------

// Stands for a running product: a handle on one of its files that lets others read it, but
// neither write nor delete it (as the C runtime's fopen opens a file).
class Held {
public:
    explicit Held(const std::string& path)
        : file_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                            nullptr)) {}
    bool held() const { return static_cast<bool>(file_); }
    void Release() { file_.Reset(); }

private:
    framework::File file_;
};

class FilesInUse : public UpdateRun {
protected:
    // Each held-files message, with the buttons and caption they all share.
    std::vector<std::string> HeldMessages() {
        std::vector<std::string> texts;
        for (const auto& m : seam_.messages) {
            if (m.buttons == Buttons::kRetryCancel) {
                EXPECT_EQ(m.caption, engine::kCaptionConfirm);
                texts.push_back(m.text);
            }
        }
        return texts;
    }
    std::string HeldMessage(const std::vector<std::string>& paths) {
        std::vector<engine::HeldFile> held;
        for (const std::string& path : paths) {
            held.push_back({path, {}});  // Wine's Restart Manager names no program
        }
        return engine::HeldFilesMessage(held);
    }
};

TEST_F(FilesInUse, RetryAfterTheProgramIsClosedInstallsEverything) {
    AddArchive("ONE", "SYS01", "SYSTEM\\");
    AddPlain("A.TXT", "new", "");
    WriteFile(product_ / "A.TXT", "old");
    testing_support::MakeDir(product_ / "SYSTEM");
    WriteFile(product_ / "SYSTEM\\one.dat", "old");
    Held member(product_ / "SYSTEM\\one.dat");
    Held plain(product_ / "A.TXT");
    ASSERT_TRUE(member.held() && plain.held());
    const auto before = Snapshot(product_.path());
    std::map<std::string, std::string> seen;
    seam_.Script(engine::kAnswerRetry, [&] { seen = Snapshot(product_.path()); });
    seam_.Script(engine::kAnswerRetry, [&] {
        member.Release();
        plain.Release();
    });

    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(seen, before);  // nothing had changed while the message was up
    const std::string message = HeldMessage({product_ / "SYSTEM\\one.dat", product_ / "A.TXT"});
    EXPECT_EQ(HeldMessages(), (std::vector<std::string>{message, message}));
    EXPECT_EQ(seam_.Texts().back(), engine::kUpdated);
    EXPECT_EQ(ReadFile(product_ / "A.TXT"), "new");
    EXPECT_EQ(ReadFile(product_ / "SYSTEM\\one.dat"), MemberText("archive one"));
}

TEST_F(FilesInUse, CancelAtTheFirstDiskTouchesNothing) {
    AddPlain("A.TXT", "new", "");
    AddArchive("ONE", "SYS01", "NEWDIR\\");
    WriteFile(product_ / "A.TXT", "old");
    Held plain(product_ / "A.TXT");
    const auto before = Snapshot(product_.path());
    seam_.Script(engine::kAnswerCancel);

    const engine::RunOutcome outcome = engine::RunUpdateOutcome(ctx_, ctx_.destFolder, seam_);
    EXPECT_EQ(outcome, engine::RunOutcome::kInUse);
    EXPECT_EQ(engine::ExitCodeOf(outcome), engine::kExitInUse);
    EXPECT_EQ(seam_.Texts(), (std::vector<std::string>{HeldMessage({product_ / "A.TXT"})}));
    EXPECT_EQ(Snapshot(product_.path()), before);
    EXPECT_FALSE(FileExists(product_ / "RENOVO.BAK"));  // no backup set: nothing to put back
    EXPECT_EQ(seam_.depth(), 0);

    plain.Release();  // the wizard goes back to the destination page: the next run installs
    seam_.messages.clear();
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(seam_.Texts(), (std::vector<std::string>{engine::kUpdated}));
    EXPECT_EQ(ReadFile(product_ / "A.TXT"), "new");
}

// Disk 2 from the same fixed drive: its file is held; disk 1 stays installed and the run ends
// as the disk prompt's Cancel ends it.
TEST_F(FilesInUse, CancelAtALaterDiskKeepsTheEarlierDisks) {
    AddPlain("A.TXT", "a", "");
    AddPlain("B.TXT", "new", "", 2);
    WriteFile(product_ / "B.TXT", "old");
    Held plain(product_ / "B.TXT");
    seam_.Script(engine::kAnswerCancel);

    const engine::RunOutcome outcome = engine::RunUpdateOutcome(ctx_, ctx_.destFolder, seam_);
    EXPECT_EQ(outcome, engine::RunOutcome::kInUseLater);
    EXPECT_EQ(engine::ExitCodeOf(outcome), engine::kExitInUse);
    EXPECT_EQ(seam_.Texts(),
              (std::vector<std::string>{HeldMessage({product_ / "B.TXT"}), engine::kCancelled}));
    EXPECT_EQ(ReadFile(product_ / "A.TXT"), "a");
    EXPECT_EQ(ReadFile(product_ / "B.TXT"), "old");
}

TEST_F(FilesInUse, HeldSettingsFileIsFoundBeforeAnythingChanges) {
    // A vestima1.ini product can be held open: its checks read no value of it.
    DeleteFileA(Settings().c_str());
    const std::string settings = product_ / "vestima1.ini";
    WriteFile(settings, "[SYSTEM]\r\nMAKER=1\r\n");
    ctx_.settingsFile = "vestima1.ini";
    ctx_.digitizerOption = "1";
    AddPlain("A.TXT", "a", "");
    Held held(settings);
    const auto before = Snapshot(product_.path());
    seam_.Script(engine::kAnswerCancel);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(seam_.Texts(), (std::vector<std::string>{HeldMessage({settings})}));
    EXPECT_EQ(Snapshot(product_.path()), before);
}

TEST_F(FilesInUse, ManyFilesAreCountedBeyondTheTenShown) {
    std::vector<std::unique_ptr<Held>> held;
    std::vector<engine::HeldFile> expected;
    for (int i = 0; i < 12; ++i) {
        const std::string name = "F" + std::to_string(i) + ".TXT";
        AddPlain(name, "new", "");
        WriteFile(product_ / name, "old");
        held.push_back(std::make_unique<Held>(product_ / name));
        expected.push_back({product_ / name, {}});
    }
    seam_.Script(engine::kAnswerCancel);
    EXPECT_EQ(Run(), 0);
    ASSERT_EQ(seam_.messages.size(), 1u);
    const std::string& text = seam_.messages[0].text;
    EXPECT_EQ(text, engine::HeldFilesMessage(expected));
    EXPECT_NE(text.find(product_ / "F9.TXT"), std::string::npos);
    EXPECT_EQ(text.find(product_ / "F10.TXT"), std::string::npos);
    EXPECT_NE(text.find(Replace(engine::kMoreFilesInUse, "2")), std::string::npos);
}

class HeldMasters : public Masters {};

TEST_F(HeldMasters, AreFoundBeforeAnythingChanges) {
    AddPlain("A.TXT", "new", "");
    Held master(master_);
    const auto before = Snapshot(product_.path());
    seam_.Script(engine::kAnswerCancel);
    EXPECT_EQ(Run(), 0);
    ASSERT_EQ(seam_.messages.size(), 1u);
    EXPECT_EQ(seam_.messages[0].text, engine::HeldFilesMessage({{master_, {}}}));
    EXPECT_EQ(seam_.messages[0].buttons, Buttons::kRetryCancel);
    EXPECT_EQ(Snapshot(product_.path()), before);
}

TEST_F(UpdateRun, FailedVoiceDataEndsWithSix) {
    const std::string voice = product_ / "WAV";
    testing_support::MakeDir(voice);
    WritePrivateProfileStringA("DIR", "WAV", voice.c_str(), Settings().c_str());
    testing_support::MakeDir(product_ / "音声");
    CopyFixture("BROKEN", product_ / "音声\\wave.lzh");
    ctx_.digitizerOption = "1";
    const engine::RunOutcome outcome = engine::RunUpdateOutcome(ctx_, ctx_.destFolder, seam_);
    EXPECT_EQ(outcome, engine::RunOutcome::kStepsFailed);
    EXPECT_EQ(engine::ExitCodeOf(outcome), engine::kExitStepFailed);
    ASSERT_EQ(seam_.messages.size(), 2u);
    EXPECT_EQ(seam_.messages[1].text, engine::kUpdated);  // the run still ends as updated
}

// ---- Update disks in a floppy drive --------------------------------------------------------

class FloppyUpdate : public UpdateRun {
protected:
    void SetUp() override {
        UpdateRun::SetUp();
        if (!floppy_.unavailable().empty()) {
            GTEST_SKIP() << floppy_.unavailable();
        }
        floppy_.Insert(1);
        engine::SetProgramFolder("A:");
    }
    void PutArchive(int disk, const std::string& fixture, const std::string& name) {
        CopyFixture(fixture, floppy_.DiskFolder(disk) + name + ".lzh");
    }
    std::function<void()> Swap(int disk) {
        return [this, disk] { floppy_.Insert(disk); };
    }
    void ExpectMessages(const std::vector<std::string>& texts) {
        ASSERT_EQ(seam_.Texts(), texts);
        for (const auto& m : seam_.messages) {
            EXPECT_EQ(m.caption, engine::kCaptionConfirm);
            const bool prompt = m.text.find("枚目") != std::string::npos;
            EXPECT_EQ(m.buttons, prompt ? Buttons::kOkCancel : Buttons::kOk) << m.text;
        }
    }
    update_test::FloppyDrive floppy_;
};

TEST_F(FloppyUpdate, AsksOnceForEachFurtherDisk) {
    PutArchive(1, "ONE", "SYS01");
    PutArchive(2, "TWO", "SYS02");
    PutArchive(2, "THREE", "SYS03");
    PutArchive(3, "ONE", "SYS04");
    Add(1, 1, "SYS01", "");
    Add(2, 1, "SYS02", "");
    Add(2, 1, "SYS03", "");
    Add(3, 1, "SYS04", "D3\\");
    seam_.Script(engine::kAnswerOk, Swap(2));
    seam_.Script(engine::kAnswerOk, Swap(3));

    EXPECT_EQ(Run(), 1);
    ExpectMessages({Prompt(2), Prompt(3), engine::kUpdated});
    EXPECT_TRUE(FileExists(product_ / "one.dat"));
    EXPECT_TRUE(FileExists(product_ / "two.dat"));
    EXPECT_TRUE(FileExists(product_ / "three.dat"));
    EXPECT_EQ(ReadFile(product_ / "D3\\one.dat"), MemberText("archive one"));
}

TEST_F(FloppyUpdate, DiskOneAfterDiskTwoIsNotAskedFor) {
    PutArchive(2, "TWO", "SYS02");
    PutArchive(2, "ONE", "SYS01");
    Add(2, 1, "SYS02", "");
    Add(1, 1, "SYS01", "");
    seam_.Script(engine::kAnswerOk, Swap(2));
    EXPECT_EQ(Run(), 1);
    ExpectMessages({Prompt(2), engine::kUpdated});
    EXPECT_TRUE(FileExists(product_ / "one.dat"));
}

TEST_F(FloppyUpdate, WrongDiskAsksAgain) {
    PutArchive(2, "TWO", "SYS02");
    Add(2, 1, "SYS02", "");
    seam_.Script(engine::kAnswerOk);  // disk 1 still in the drive
    seam_.Script(engine::kAnswerOk, Swap(2));
    EXPECT_EQ(Run(), 1);
    ExpectMessages({Prompt(2), Prompt(2), engine::kUpdated});
    EXPECT_TRUE(FileExists(product_ / "two.dat"));
}

TEST_F(FloppyUpdate, CancelEndsTheRunKeepingEarlierEntries) {
    PutArchive(1, "ONE", "SYS01");
    PutArchive(2, "TWO", "SYS02");
    Add(1, 1, "SYS01", "");
    Add(2, 1, "SYS02", "");
    seam_.Script(engine::kAnswerCancel);
    EXPECT_EQ(Run(), 1);
    ExpectMessages({Prompt(2), engine::kCancelled});
    EXPECT_TRUE(FileExists(product_ / "one.dat"));
    EXPECT_FALSE(FileExists(product_ / "two.dat"));
    EXPECT_EQ(seam_.depth(), 0);
}

// The prompt looks for the file the entry installs: a "START" archive with the system number.
TEST_F(FloppyUpdate, StartArchiveOnDiskTwo) {
    PutArchive(2, "START7", "START7");
    Add(2, 1, "START", "");
    seam_.Script(engine::kAnswerOk, Swap(2));
    EXPECT_EQ(Run(), 1);
    ExpectMessages({Prompt(2), engine::kUpdated});
    EXPECT_EQ(ReadFile(product_ / "start.dat"), MemberText("system 7"));
}

// Every file of the disk's entries must be there: a disk without one is taken for the wrong one.
TEST_F(FloppyUpdate, DiskMissingAFileOfItsEntriesAsksAgain) {
    PutArchive(2, "TWO", "SYS02");
    Add(2, 1, "SYS02", "");
    Add(2, 1, "SYS03", "SUB\\");
    seam_.Script(engine::kAnswerOk, Swap(2));  // SYS03 is not on it yet
    seam_.Script(engine::kAnswerOk, [this] { PutArchive(2, "THREE", "SYS03"); });
    EXPECT_EQ(Run(), 1);
    ExpectMessages({Prompt(2), Prompt(2), engine::kUpdated});
    EXPECT_EQ(ReadFile(product_ / "SUB\\three.dat"), MemberText("archive three"));
}

// A plain file is looked for under its own name, not with ".lzh" added.
TEST_F(FloppyUpdate, PlainFileOnDiskTwo) {
    WriteFile(floppy_.DiskFolder(2) + "README.TXT", "two");
    Add(2, 2, "README.TXT", "");
    seam_.Script(engine::kAnswerOk, Swap(2));
    EXPECT_EQ(Run(), 1);
    ExpectMessages({Prompt(2), engine::kUpdated});
    EXPECT_EQ(ReadFile(product_ / "README.TXT"), "two");
}

}  // namespace
