// Walks the real Renovo.exe through its wizard from the demo's update disks (drive A: is a
// floppy drive here) onto the demo product at C:\TOVAKA, answering every page and message as
// a user would, and then checks the product folder file by file.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "disk/disk.h"
#include "lzh/encode.h"
#include "lzh/encode_file.h"
#include "receipt/identity.h"
#include "receipt/receipt.h"
#include "tests/e2e/demo_update.h"
#include "tests/e2e/driver.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::ReadFile;

const std::string kDemo = e2e::WinePath(RENOVO_DEMO) + "\\";
const std::string kProduct = "C:\\TOVAKA\\";
const std::string kFloppy = "A:\\";
const std::string kUninstallRoot = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::string kUninstallName = "TOVAKA Demo";
// The product is a 32-bit program: its entry is in the 32-bit view, whatever this build is.
constexpr REGSAM kProductView = KEY_WOW64_32KEY;

const std::string kStartNotes =
    "TOVAKA デモ版の更新です。\r\n・システムファイルを更新します。\r\n"
    "・材料マスタを調整します。\r\n・ﾃﾞｼﾞﾀｲｻﾞの音声を入れます。";

using Files = std::map<std::string, std::string>;

int IndexOf(const std::vector<std::string>& items, const std::string& item) {
    const auto at = std::find(items.begin(), items.end(), item);
    return at == items.end() ? -1 : static_cast<int>(at - items.begin());
}

void Collect(const std::string& root, const std::string& sub, Files& files) {
    WIN32_FIND_DATAA data{};
    framework::FindHandle find(::FindFirstFileA((root + sub + "*").c_str(), &data));
    if (!find) {
        return;
    }
    do {
        const std::string name = data.cFileName;
        // The backup sets are the update's way back, not part of the product.
        if (name == "." || name == ".." || (sub.empty() && name == "RENOVO.BAK")) {
            continue;
        }
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            Collect(root, sub + name + "\\", files);
        } else {
            files[sub + name] = ReadFile(root + sub + name);
        }
    } while (::FindNextFileA(find.Get(), &data));
}

Files Snapshot(const std::string& root) {
    Files files;
    Collect(root, "", files);
    return files;
}

using e2e::ConvertedMaster;
using e2e::Member;

// A key of the product's settings file.
std::string Profile(const std::string& product, const std::string& key) {
    return e2e::SettingOf(ReadFile(product + "tovaka1.ini"), key);
}

class Wizard : public ::testing::Test {
protected:
    void SetUp() override {
        testing_support::RemoveTree(product_);
        e2e::CopyTree(kDemo + "product\\", product_);
        if (product_ != kProduct) {  // the settings file names the product's own folders
            std::string settings = ReadFile(product_ + "tovaka1.ini");
            for (size_t at = 0; (at = settings.find(kProduct, at)) != std::string::npos;) {
                settings.replace(at, kProduct.size(), product_);
                at += product_.size();
            }
            testing_support::WriteFile(product_ + "tovaka1.ini", settings);
        }
        InsertDisk("disk1");
        // Read-only, as files on a write-protected disk are: the copy must come out writable.
        ::SetFileAttributesA((drive_ + "MASTER21.DAT").c_str(), FILE_ATTRIBUTE_READONLY);
        ASSERT_TRUE(
            ::CopyFileA(e2e::WinePath(RENOVO_EXE).c_str(), (drive_ + "RENOVO.EXE").c_str(), FALSE));
        WriteUninstallEntry("C:\\WINDOWS\\UNINST.EXE -f" + kProduct + "SETUP.LOG");
        before_ = Snapshot(product_);
    }
    void TearDown() override {
        DeleteUninstallEntry();
        testing_support::RemoveTree(product_);
        e2e::EmptyFolder(drive_);
    }

    // Puts update disk `disk` of the demo into the drive the program runs from.
    void InsertDisk(const std::string& disk) const {
        e2e::EmptyFolder(drive_);
        e2e::CopyTree(kDemo + disk + "\\", drive_);
    }
    static void WriteUninstallEntry(const std::string& command) {
        HKEY key = nullptr;
        ASSERT_EQ(
            ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, (kUninstallRoot + "\\" + kUninstallName).c_str(),
                              0, nullptr, 0, KEY_WRITE | kProductView, nullptr, &key, nullptr),
            ERROR_SUCCESS);
        ::RegSetValueExA(key, "UninstallString", 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(command.c_str()),
                         static_cast<DWORD>(command.size() + 1));
        ::RegCloseKey(key);
    }
    static void DeleteUninstallEntry() {
        HKEY root = nullptr;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallRoot.c_str(), 0,
                            KEY_ALL_ACCESS | kProductView, &root) == ERROR_SUCCESS) {
            ::RegDeleteKeyA(root, kUninstallName.c_str());
            ::RegCloseKey(root);
        }
    }

    void Start() { ASSERT_TRUE(program_.Start(programDrive_ + "RENOVO.EXE", programDrive_)); }

    // The next window in front of the user; `shot` names its screenshot artifact.
    e2e::Shown Next(const char* shot = nullptr) {
        e2e::Shown shown = program_.Next(last_);
        last_ = shown.hwnd;
        if (shown.hwnd && shot) {
            e2e::Screenshot(shown.hwnd, e2e::WinePath(RENOVO_ARTIFACTS) + "\\" + shot + ".bmp");
        }
        return shown;
    }
    e2e::Shown ExpectPage(const std::string& caption, const char* shot = nullptr) {
        e2e::Shown page = Next(shot);
        EXPECT_TRUE(page.isPage) << caption;
        EXPECT_EQ(page.caption, caption);
        return page;
    }
    e2e::Shown ExpectMessage(const std::string& text, const std::string& caption,
                             const char* shot = nullptr) {
        e2e::Shown box = Next(shot);
        EXPECT_FALSE(box.isPage) << text;
        EXPECT_EQ(box.MessageText(), text);
        EXPECT_EQ(box.caption, caption);
        return box;
    }
    void Press(const e2e::Shown& shown, int id) { program_.Press(shown, id); }
    void ExpectEndsCleanly() { EXPECT_EQ(program_.WaitExit(), 0); }

    // Start page, then the destination page with the registry's proposal.
    e2e::Shown WalkToDestination() {
        e2e::Shown start = ExpectPage("マスタ調整機能付");
        EXPECT_EQ(start.Text(1006), kStartNotes);
        Press(start, IDOK);
        return ExpectPage("アップデート");
    }
    // From the destination page (with `folder` typed in) through the confirmation page.
    void ConfirmFolder(const e2e::Shown& destination, const std::string& folder) {
        e2e::SetText(destination, 1005, folder);
        Press(destination, IDOK);
        e2e::Shown confirm = ExpectPage("アップデート", "confirm-page");
        EXPECT_EQ(confirm.Text(1006), folder);
        Press(confirm, IDOK);
    }
    void FinishAfterDiskTwo() {
        e2e::Shown prompt =
            ExpectMessage("2 枚目のｱｯﾌﾟﾃﾞｲﾄFDをｾｯﾄしてください。", "確認", "disk-prompt");
        Press(prompt, IDOK);  // still disk 1 in the drive: asked again
        prompt = ExpectMessage("2 枚目のｱｯﾌﾟﾃﾞｲﾄFDをｾｯﾄしてください。", "確認");
        InsertDisk("disk2");
        Press(prompt, IDOK);
        Press(ExpectMessage("システムは正常に更新されました。", "確認", "updated-message"), IDOK);
        ExpectEndsCleanly();
    }

    // What a completed demo update leaves, file by file; the settings file is checked by key.
    void ExpectFullyUpdated() {
        Files expected = before_;
        expected["SYSTEM\\TOVAKA.EXE"] = Member("TOVAKA program 3.1 (system 1)");
        expected["SYSTEM\\TVMENU.DLL"] = Member("TOVAKA menu library 3.1");
        expected["21\\MASTER21.DAT"] = "MASTER21 demo data\r\n";
        expected["DATA\\PRICE.DAT"] = Member("材料単価表 2026年版");
        expected["DATA\\COLOR.DAT"] = Member("色見本 2026年版");
        for (const char* n : {"01", "02", "03"}) {
            expected[std::string("WAV\\VOICE") + n + ".WAV"] =
                std::string("RIFF demo voice ") + n + "\r\n";
        }
        for (const char* master : {"1\\zai001-3.mst", "1\\zai002-3.mst", "21\\zai101-3.mst"}) {
            expected[master] = ConvertedMaster(before_[master]);
        }
        Files after = Snapshot(product_);
        expected.erase("tovaka1.ini");
        after.erase("tovaka1.ini");
        EXPECT_EQ(after, expected);
        EXPECT_EQ(Profile(product_, "ﾃﾞｼﾞﾀｲｻﾞ"), "1");
        EXPECT_EQ(Profile(product_, "ﾃﾞｼﾞﾀｲｻﾞMST"), "1");
        EXPECT_EQ(Profile(product_, "TITLE"), "ﾃﾞﾓ工房 TOVAKA with ﾎﾟﾙﾀﾝ");
        EXPECT_EQ(Profile(product_, "VERSION"), "3");
        EXPECT_EQ(
            ::GetFileAttributesA((product_ + "21\\MASTER21.DAT").c_str()) & FILE_ATTRIBUTE_READONLY,
            0u);
    }
    void ExpectUntouched() { EXPECT_EQ(Snapshot(product_), before_); }

    // Renovo.exe /RESTORE from update disk 1, for the folder the registry proposes; then the
    // product is as it was before the update, its settings file byte for byte.
    void RestoreAndExpectUntouched() {
        InsertDisk("disk1");
        ASSERT_TRUE(::CopyFileA(e2e::WinePath(RENOVO_EXE).c_str(), (kFloppy + "RENOVO.EXE").c_str(),
                                FALSE));
        e2e::Program restore;
        ASSERT_TRUE(restore.Start(kFloppy + "RENOVO.EXE", kFloppy, "/RESTORE"));
        e2e::Shown ask = restore.Next();
        EXPECT_EQ(ask.MessageText(), "C:\\TOVAKAを更新前の状態に戻します。よろしいですか？");
        EXPECT_EQ(ask.caption, "確認");
        restore.Press(ask, IDOK);
        e2e::Shown done = restore.Next(ask.hwnd);
        EXPECT_EQ(done.MessageText(), "更新前の状態に戻しました。");
        EXPECT_EQ(done.caption, "確認");
        restore.Press(done, IDOK);
        EXPECT_EQ(restore.WaitExit(), 0);
        ExpectUntouched();
    }

    e2e::Program program_;
    HWND last_ = nullptr;
    Files before_;
    std::string product_ = kProduct;
    // The folder behind the drive the update disks go into, and that drive as the program sees it.
    std::string drive_ = kFloppy;
    std::string programDrive_ = kFloppy;
};

TEST_F(Wizard, WholeUpdateAcrossTwoDisks) {
    ASSERT_NO_FATAL_FAILURE(Start());
    e2e::Shown start = ExpectPage("マスタ調整機能付", "start-page");
    EXPECT_EQ(start.Text(1006), kStartNotes);
    Press(start, IDOK);
    e2e::Shown destination = ExpectPage("アップデート", "destination-page");
    EXPECT_EQ(destination.Text(1005), "C:\\TOVAKA");
    EXPECT_EQ(destination.Text(1006).substr(0, 6), "TOVAKA");
    ConfirmFolder(destination, destination.Text(1005));
    FinishAfterDiskTwo();
    ExpectFullyUpdated();
    RestoreAndExpectUntouched();
}

TEST_F(Wizard, CancelOnStartPageTouchesNothing) {
    ASSERT_NO_FATAL_FAILURE(Start());
    Press(ExpectPage("マスタ調整機能付"), IDCANCEL);
    ExpectEndsCleanly();
    ExpectUntouched();
}

TEST_F(Wizard, StartPageCaptionWithoutMasterAdjustment) {
    // Line 18 of the manifest, the master adjustment flag, turned off.
    std::string manifest = ReadFile(kFloppy + "info.txt");
    size_t at = 0;
    for (int line = 1; line < 18; ++line) {
        at = manifest.find("\r\n", at) + 2;
    }
    manifest.replace(at, manifest.find("\r\n", at) - at, "0");
    testing_support::WriteFile(kFloppy + "info.txt", manifest);
    ASSERT_NO_FATAL_FAILURE(Start());
    e2e::Shown start = ExpectPage("アップデート");
    EXPECT_EQ(start.Text(1006), kStartNotes);
    Press(start, IDCANCEL);
    ExpectEndsCleanly();
}

TEST_F(Wizard, BackOnEachPageBuildsFreshPages) {
    ASSERT_NO_FATAL_FAILURE(Start());
    e2e::Shown destination = WalkToDestination();
    EXPECT_EQ(destination.Text(1005), "C:\\TOVAKA");
    e2e::SetText(destination, 1005, "C:\\TYPED");  // "戻る" discards it
    Press(destination, 1008);
    destination = WalkToDestination();  // the same notes and caption again
    EXPECT_EQ(destination.Text(1005), "C:\\TOVAKA");
    e2e::SetText(destination, 1005, "C:\\OTHER");
    Press(destination, IDOK);
    e2e::Shown confirm = ExpectPage("アップデート");
    EXPECT_EQ(confirm.Text(1006), "C:\\OTHER");
    Press(confirm, IDCANCEL);  // "戻る"
    // The registry's proposal replaces the folder chosen before.
    destination = ExpectPage("アップデート");
    EXPECT_EQ(destination.Text(1005), "C:\\TOVAKA");
    Press(destination, IDCANCEL);  // Escape ends the program
    ExpectEndsCleanly();
    ExpectUntouched();
}

TEST_F(Wizard, WrongFolderTypedThenRightOne) {
    DeleteUninstallEntry();  // no proposal from the registry
    testing_support::TempDir wrong;
    ASSERT_NO_FATAL_FAILURE(Start());
    e2e::Shown destination = WalkToDestination();
    EXPECT_EQ(destination.Text(1005), "C:\\TOVAKA");  // the manifest's default
    ConfirmFolder(destination, wrong.path());
    Press(
        ExpectMessage("ｲﾝｽﾄｰﾙ先ﾌｫﾙﾀﾞが正しくないと思われます。", "エラー", "wrong-folder-message"),
        IDOK);
    destination = ExpectPage("アップデート");
    EXPECT_EQ(destination.Text(1005), wrong.path());  // the folder chosen before stays
    ConfirmFolder(destination, kProduct);
    FinishAfterDiskTwo();
    ExpectFullyUpdated();
    EXPECT_TRUE(Snapshot(wrong.path()).empty());
}

TEST_F(Wizard, CancelledDiskPromptKeepsEarlierEntries) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ConfirmFolder(WalkToDestination(), "C:\\TOVAKA");
    Press(ExpectMessage("2 枚目のｱｯﾌﾟﾃﾞｲﾄFDをｾｯﾄしてください。", "確認"), IDCANCEL);
    Press(ExpectMessage("ｱｯﾌﾟﾃﾞｲﾄを取消しました。", "確認", "cancelled-message"), IDOK);
    ExpectEndsCleanly();
    Files expected = before_;
    expected["SYSTEM\\TOVAKA.EXE"] = Member("TOVAKA program 3.1 (system 1)");
    expected["SYSTEM\\TVMENU.DLL"] = Member("TOVAKA menu library 3.1");
    expected["21\\MASTER21.DAT"] = "MASTER21 demo data\r\n";
    EXPECT_EQ(Snapshot(product_), expected);  // no digitizer keys, no voice, no conversion
    RestoreAndExpectUntouched();
}

TEST_F(Wizard, DamagedArchiveLeavesInstalledFileWhole) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ConfirmFolder(WalkToDestination(), "C:\\TOVAKA");
    e2e::Shown prompt = ExpectMessage("2 枚目のｱｯﾌﾟﾃﾞｲﾄFDをｾｯﾄしてください。", "確認");
    InsertDisk("disk2");
    // Spoil the first member's compressed data, just after its header.
    std::string archive = ReadFile(kFloppy + "DATA2.lzh");
    const size_t data =
        static_cast<unsigned char>(archive[0]) | static_cast<unsigned char>(archive[1]) << 8;
    ASSERT_LT(data + 12, archive.size());
    for (size_t i = data + 4; i < data + 12; ++i) {
        archive[i] = static_cast<char>(archive[i] ^ 0x5A);
    }
    testing_support::WriteFile(kFloppy + "DATA2.lzh", archive);
    Press(prompt, IDOK);
    e2e::Shown failure = Next("archive-failure-message");
    EXPECT_FALSE(failure.isPage);
    EXPECT_EQ(failure.caption, "確認");
    EXPECT_NE(failure.MessageText().find("DATA2.lzh"), std::string::npos) << failure.MessageText();
    Press(failure, IDOK);
    ExpectEndsCleanly();
    Files after = Snapshot(kProduct);
    EXPECT_EQ(after["DATA\\PRICE.DAT"], before_["DATA\\PRICE.DAT"]);
    EXPECT_EQ(after.count("DATA\\COLOR.DAT"), 0u);
    EXPECT_EQ(after.size(), before_.size() + 2);  // only the two disk-1 files came in
}

TEST_F(Wizard, BrowsingDrivesAndFolders) {
    testing_support::RemoveTree("P:\\TOVAKA");
    testing_support::MakeDir("P:\\TOVAKA");
    testing_support::MakeDir("P:\\TOVAKA\\SYSTEM");
    ASSERT_NO_FATAL_FAILURE(Start());
    e2e::Shown destination = WalkToDestination();
    EXPECT_TRUE(destination.ListItems(1003).empty());
    const auto drives = destination.ListItems(1002);
    const int p = IndexOf(drives, "[-p-]");
    ASSERT_GE(p, 0) << ::testing::PrintToString(drives);
    e2e::SelectListItem(destination, 1002, p);
    EXPECT_EQ(destination.Text(1005), "p:\\");
    auto folders = destination.ListItems(1003);
    ASSERT_FALSE(folders.empty());
    EXPECT_EQ(folders.front(), "[..]");
    const int tovaka = IndexOf(folders, "[TOVAKA]");
    ASSERT_GE(tovaka, 0);
    e2e::SelectListItem(destination, 1003, tovaka);  // a single click enters
    // As _getcwd spells it: Wine keeps the drive letter's case as it was entered.
    EXPECT_EQ(_stricmp(destination.Text(1005).c_str(), "P:\\TOVAKA"), 0) << destination.Text(1005);
    EXPECT_EQ(destination.ListItems(1003), (std::vector<std::string>{"[..]", "[SYSTEM]"}));
    e2e::SelectListItem(destination, 1003, 0, true);  // double click on [..]
    EXPECT_EQ(_stricmp(destination.Text(1005).c_str(), "P:\\"), 0) << destination.Text(1005);
    Press(destination, 1008);
    Press(ExpectPage("マスタ調整機能付"), IDCANCEL);
    ExpectEndsCleanly();
    testing_support::RemoveTree("P:\\TOVAKA");
}

// The user looks into a folder of the update disk before picking the product's folder. The
// program folder is "A:", so the archives and files of the update are named relative to where
// drive A: is: the disk's root once the page has gone, however far it was browsed.
TEST_F(Wizard, BrowsingTheUpdateDiskKeepsItsFilesWhereTheyAre) {
    testing_support::MakeDir(kFloppy + "README");
    ASSERT_NO_FATAL_FAILURE(Start());
    e2e::Shown destination = WalkToDestination();
    const auto enter = [&](int list, const std::string& entry) {
        const int index = IndexOf(destination.ListItems(list), entry);
        ASSERT_GE(index, 0) << entry;
        e2e::SelectListItem(destination, list, index);
    };
    ASSERT_NO_FATAL_FAILURE(enter(1002, "[-a-]"));
    ASSERT_NO_FATAL_FAILURE(enter(1003, "[README]"));
    EXPECT_EQ(_stricmp(destination.Text(1005).c_str(), "A:\\README"), 0) << destination.Text(1005);
    ASSERT_NO_FATAL_FAILURE(enter(1002, "[-c-]"));
    ASSERT_NO_FATAL_FAILURE(enter(1003, "[TOVAKA]"));
    const std::string picked = destination.Text(1005);
    EXPECT_EQ(_stricmp(picked.c_str(), "C:\\TOVAKA"), 0) << picked;
    Press(destination, IDOK);
    e2e::Shown confirm = ExpectPage("アップデート");
    EXPECT_EQ(confirm.Text(1006), picked);
    Press(confirm, IDOK);
    FinishAfterDiskTwo();
    ExpectFullyUpdated();
}

// The switches support staff use: the whole update from a fixed drive with nothing shown,
// each exit code, the log, and a command line that cannot be read.
class Unattended : public Wizard {
protected:
    const std::string kShare = "C:\\UPDSHARE\\";  // a network share or a copy on a fixed disk
    const std::string kLog = kShare + "renovo.log";

    void SetUp() override {
        Wizard::SetUp();
        testing_support::RemoveTree(kShare);
        e2e::CopyTree(kDemo + "disk1\\", kShare);
        e2e::CopyTree(kDemo + "disk2\\", kShare);
        ASSERT_TRUE(
            ::CopyFileA(e2e::WinePath(RENOVO_EXE).c_str(), (kShare + "RENOVO.EXE").c_str(), FALSE));
    }
    void TearDown() override {
        testing_support::RemoveTree(kShare);
        Wizard::TearDown();
    }
    // Starts from `folder` and expects the program to end with `code` without showing anything.
    void RunQuietly(const std::string& folder, const std::string& arguments, long code) {
        ASSERT_TRUE(program_.Start(folder + "RENOVO.EXE", folder, arguments));
        e2e::Shown shown = program_.Next(nullptr, 3000);
        EXPECT_EQ(shown.hwnd, nullptr) << shown.caption << ": " << shown.MessageText();
        EXPECT_EQ(program_.WaitExit(), code);
    }
    // The log's lines without their times ("YYYY-MM-DD HH:MM:SS.mmm ").
    std::vector<std::string> LogLines() const {
        std::vector<std::string> lines;
        const std::string text = ReadFile(kLog);
        for (size_t at = 0; at < text.size();) {
            const size_t end = text.find("\r\n", at);
            const std::string line = text.substr(at, end - at);
            EXPECT_GT(line.size(), 24u);
            EXPECT_EQ(line.substr(4, 1) + line.substr(10, 1) + line.substr(13, 1), "- :") << line;
            lines.push_back(line.size() > 24 ? line.substr(24) : line);
            at = end == std::string::npos ? text.size() : end + 2;
        }
        return lines;
    }
    static std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }
    void ExpectLogHas(const std::vector<std::string>& wanted) const {
        const std::vector<std::string> lines = LogLines();
        for (const std::string& line : wanted) {
            EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
        }
    }
};

TEST_F(Unattended, VerySilentUpdatesFromAFixedDriveAndLogsIt) {
    const std::string args = "/VERYSILENT /DIR=C:\\TOVAKA \"/LOG=" + kLog + "\"";
    ASSERT_NO_FATAL_FAILURE(RunQuietly(kShare, args, 0));
    ExpectFullyUpdated();
    ExpectLogHas({
        "start: program folder " + kShare + ", mode very silent, switches: " + args,
        "manifest " + kShare + "info.txt: 3 entries",
        "destination folder C:\\TOVAKA",
        "check settings file tovaka1.ini in C:\\TOVAKA\\: passed",
        "check menu files: passed",
        "check version 3: passed",
        "check system: 1",
        "entry 1/3: disk 1, archive, source " + kShare + "START1.lzh, folder C:\\TOVAKA\\SYSTEM\\",
        "entry 3/3: disk 2, archive, source " + kShare + "DATA2.lzh, folder C:\\TOVAKA\\DATA\\",
        "written C:\\TOVAKA\\21\\MASTER21.DAT (20 bytes)",
        "written C:\\TOVAKA\\DATA\\COLOR.DAT (" + std::to_string(Member("色見本 2026年版").size()) +
            " bytes)",
        "material size conversion (C:\\TOVAKA\\tovaka1.ini): passed",
        "  master files converted in C:\\TOVAKA\\1\\: 2",
        "  master files converted in C:\\TOVAKA\\21\\: 1",
        Utf8(u8"message [確認] システムは正常に更新されました。 -> OK"),
        "result: updated",
        "exit code 0",
    });
}

// A folder in the backup folder that is no set (here the last number, empty) blocks nothing.
TEST_F(Unattended, AnEmptyFolderNamedAsTheLastSetStopsNoUpdate) {
    testing_support::MakeDir("C:\\TOVAKA\\RENOVO.BAK");
    testing_support::MakeDir("C:\\TOVAKA\\RENOVO.BAK\\9999");
    ASSERT_NO_FATAL_FAILURE(
        RunQuietly(kShare, "/VERYSILENT /DIR=C:\\TOVAKA \"/LOG=" + kLog + "\"", 0));
    ExpectFullyUpdated();
    ExpectLogHas({"result: updated", "exit code 0"});
}

TEST_F(Unattended, WizardWithALogRecordsItsRunToo) {
    ASSERT_TRUE(program_.Start(kShare + "RENOVO.EXE", kShare, "/LOG=" + kLog));
    ConfirmFolder(WalkToDestination(), "C:\\TOVAKA");
    Press(ExpectMessage("システムは正常に更新されました。", "確認"), IDOK);
    ExpectEndsCleanly();
    ExpectFullyUpdated();
    ExpectLogHas({"start: program folder " + kShare + ", mode wizard, switches: /LOG=" + kLog,
                  "manifest " + kShare + "info.txt: 3 entries", "destination folder C:\\TOVAKA",
                  "result: updated", "exit code 0"});
}

TEST_F(Unattended, WrongFolderIsRefusedWithOne) {
    testing_support::MakeDir("C:\\EMPTYDIR");
    ASSERT_NO_FATAL_FAILURE(RunQuietly(kShare, "/verysilent /dir=C:\\EMPTYDIR /log=" + kLog, 1));
    ::RemoveDirectoryA("C:\\EMPTYDIR");
    ExpectUntouched();
    ExpectLogHas({"check settings file vestima1.ini in C:\\EMPTYDIR: failed",
                  Utf8(u8"message [エラー] ｲﾝｽﾄｰﾙ先ﾌｫﾙﾀﾞが正しくないと思われます。 -> OK"),
                  "result: refused before installing", "exit code 1"});
}

TEST_F(Unattended, DamagedArchiveStopsWithTwo) {
    std::string archive = ReadFile(kShare + "DATA2.lzh");
    testing_support::WriteFile(kShare + "DATA2.lzh", archive.substr(0, archive.size() / 2));
    ASSERT_NO_FATAL_FAILURE(RunQuietly(kShare, "/SILENT /LOG=" + kLog, 2));
    EXPECT_EQ(Snapshot(kProduct)["DATA\\PRICE.DAT"], before_["DATA\\PRICE.DAT"]);
    ExpectLogHas({"result: stopped part-way", "exit code 2"});
}

TEST_F(Unattended, VerySilentCannotSwapDisksAndEndsWithThree) {
    ASSERT_NO_FATAL_FAILURE(RunQuietly(kFloppy, "/VERYSILENT /LOG=" + kLog, 3));
    ExpectLogHas({Utf8(u8"message [確認] 2 枚目のｱｯﾌﾟﾃﾞｲﾄFDをｾｯﾄしてください。 -> Cancel"),
                  Utf8(u8"message [確認] ｱｯﾌﾟﾃﾞｲﾄを取消しました。 -> OK"), "result: cancelled",
                  "exit code 3"});
    EXPECT_EQ(Snapshot(kProduct)["21\\MASTER21.DAT"], "MASTER21 demo data\r\n");
}

// The receipt a fleet tool detects, at the key that the disk tool's rule for this set names.
class Receipt : public Unattended {
protected:
    void TearDown() override {
        receipt::RemoveReceipt("TOVAKA Demo", receipt::UpdateIdOf(ReadFile(kShare + "info.txt")));
        Unattended::TearDown();
    }
    std::string RuleKey() const {
        const std::optional<std::string> rule = disk::DetectionRuleFor("C:\\UPDSHARE");
        const std::string mark = "Key:   HKEY_LOCAL_MACHINE\\";
        const size_t at = rule ? rule->find(mark) : std::string::npos;
        EXPECT_NE(at, std::string::npos);
        return at == std::string::npos
                   ? std::string()
                   : rule->substr(at + mark.size(), rule->find('\n', at) - at - mark.size());
    }
    // The receipt's Result and BackupSet; nothing when there is no receipt.
    std::optional<std::pair<DWORD, DWORD>> Written() const {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, RuleKey().c_str(), 0, KEY_READ | kProductView,
                            &key) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        DWORD result = 99, set = 0, size = sizeof result;
        ::RegQueryValueExA(key, "Result", nullptr, nullptr, reinterpret_cast<BYTE*>(&result), &size);
        size = sizeof set;
        ::RegQueryValueExA(key, "BackupSet", nullptr, nullptr, reinterpret_cast<BYTE*>(&set), &size);
        ::RegCloseKey(key);
        return std::make_pair(result, set);
    }
};

struct ReceiptCase {
    const char* name;
    const char* arguments;  // before /LOG=
    const char* damage;     // "archive": disk 2's archive cut short; "master": a master read-only
    long code;
    bool written;
};

class ReceiptAfter : public Receipt, public ::testing::WithParamInterface<ReceiptCase> {};

TEST_P(ReceiptAfter, TheRunThatEndedWell) {
    const ReceiptCase& c = GetParam();
    const std::string master = kProduct + "1\\zai001-3.mst";
    if (std::string(c.damage) == "archive") {
        const std::string archive = ReadFile(kShare + "DATA2.lzh");
        testing_support::WriteFile(kShare + "DATA2.lzh", archive.substr(0, archive.size() / 2));
    } else if (std::string(c.damage) == "master") {
        ::SetFileAttributesA(master.c_str(), FILE_ATTRIBUTE_READONLY);
    }
    testing_support::MakeDir("C:\\EMPTYDIR");
    ASSERT_NO_FATAL_FAILURE(
        RunQuietly(kShare, std::string(c.arguments) + " /LOG=" + kLog, c.code));
    ::SetFileAttributesA(master.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryA("C:\\EMPTYDIR");
    const auto written = Written();
    ASSERT_EQ(written.has_value(), c.written) << RuleKey();
    if (c.written) {
        EXPECT_EQ(written->first, static_cast<DWORD>(c.code));
        EXPECT_GT(written->second, 0u);  // the backup set /RESTORE puts back
        ExpectLogHas({"receipt written: HKLM\\" + RuleKey() + " (32-bit view)"});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Fleet, ReceiptAfter,
    ::testing::Values(ReceiptCase{"Success", "/VERYSILENT", "", 0, true},
                      ReceiptCase{"StepsFailed", "/VERYSILENT", "master", 6, true},
                      ReceiptCase{"Failure", "/VERYSILENT", "archive", 2, false},
                      ReceiptCase{"Refusal", "/VERYSILENT /DIR=C:\\EMPTYDIR", "", 1, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Receipt, GoesWithTheRestoreThatUndidTheUpdate) {
    ASSERT_NO_FATAL_FAILURE(RunQuietly(kShare, "/VERYSILENT /LOG=" + kLog, 0));
    ASSERT_TRUE(Written());
    ASSERT_NO_FATAL_FAILURE(
        RunQuietly(kShare, "/RESTORE \"C:\\TOVAKA\" /VERYSILENT /LOG=" + kLog, 0));
    EXPECT_FALSE(Written());
    ExpectUntouched();
}

// A whole set copied into one folder of removable media (a USB stick): nothing to swap.
TEST_F(Receipt, OneFolderOnRemovableMediaAsksForNoDisk) {
    ASSERT_EQ(::GetDriveTypeA(kFloppy.c_str()), static_cast<UINT>(DRIVE_REMOVABLE));
    e2e::CopyTree(kDemo + "disk2\\", kFloppy);
    ASSERT_NO_FATAL_FAILURE(RunQuietly(kFloppy, "/VERYSILENT /LOG=" + kLog, 0));
    ExpectFullyUpdated();
    EXPECT_TRUE(Written());
}

TEST_F(Receipt, FloppySetOnTheSameDriveStillAsksAndLeavesNone) {
    ASSERT_EQ(::GetDriveTypeA(kFloppy.c_str()), static_cast<UINT>(DRIVE_REMOVABLE));
    ASSERT_NO_FATAL_FAILURE(RunQuietly(kFloppy, "/VERYSILENT /LOG=" + kLog, 3));
    ExpectLogHas({Utf8(u8"message [確認] 2 枚目のｱｯﾌﾟﾃﾞｲﾄFDをｾｯﾄしてください。 -> Cancel")});
    EXPECT_FALSE(Written());
}

struct StationTraits {
    using Handle = HWINSTA;
    static Handle Null() { return nullptr; }
    static void Close(Handle h) { ::CloseWindowStation(h); }
};
struct DesktopTraits {
    using Handle = HDESK;
    static Handle Null() { return nullptr; }
    static void Close(Handle h) { ::CloseDesktop(h); }
};

// The real program in a window station of its own, as a service's: no one sees it, so /SILENT
// puts up no disk prompt to wait on; it cancels as /VERYSILENT does and the log says why.
TEST_F(Unattended, SilentWithoutAVisibleDesktopAsksNothing) {
    framework::Owned<StationTraits> station(
        ::CreateWindowStationA("RenovoService", 0, WINSTA_ALL_ACCESS, nullptr));
    ASSERT_TRUE(station);
    USEROBJECTFLAGS flags{};
    ASSERT_TRUE(::GetUserObjectInformationA(station.Get(), UOI_FLAGS, &flags, sizeof flags, nullptr));
    if (flags.dwFlags & WSF_VISIBLE) {
        GTEST_SKIP() << "this system makes every window station visible";
    }
    HWINSTA own = ::GetProcessWindowStation();
    ASSERT_TRUE(::SetProcessWindowStation(station.Get()));
    framework::Owned<DesktopTraits> desktop(
        ::CreateDesktopA("Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr));
    ::SetProcessWindowStation(own);
    ASSERT_TRUE(desktop);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string where = "RenovoService\\Default";
    startup.lpDesktop = where.data();
    std::string line = "\"" + kFloppy + "RENOVO.EXE\" /SILENT /LOG=" + kLog;
    PROCESS_INFORMATION started{};
    ASSERT_TRUE(::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 kFloppy.c_str(), &startup, &started));
    framework::KernelObject process(started.hProcess);
    framework::KernelObject thread(started.hThread);
    ASSERT_EQ(::WaitForSingleObject(process.Get(), 60000), WAIT_OBJECT_0);
    DWORD code = 0;
    ::GetExitCodeProcess(process.Get(), &code);
    EXPECT_EQ(code, 3u);
    ExpectLogHas({"no visible desktop: the silent mode runs very silent, asking nothing",
                  Utf8(u8"message [確認] 2 枚目のｱｯﾌﾟﾃﾞｲﾄFDをｾｯﾄしてください。 -> Cancel")});
}

TEST_F(Unattended, SilentShowsTheDiskPromptInFrontOfTheProgress) {
    ASSERT_TRUE(program_.Start(kFloppy + "RENOVO.EXE", kFloppy, "/SILENT"));
    e2e::Shown prompt = ExpectMessage("2 枚目のｱｯﾌﾟﾃﾞｲﾄFDをｾｯﾄしてください。", "確認");
    EXPECT_EQ(::GetForegroundWindow(), prompt.hwnd);  // Enter answers it
    HWND progress = ::FindWindowA("RenovoProgress", "アップデート");
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(::IsWindowVisible(progress));
    EXPECT_EQ(::GetWindowLongA(progress, GWL_STYLE) & WS_SYSMENU, 0);
    char entry[64] = {}, disk[64] = {};
    ::GetDlgItemTextA(progress, 1, entry, sizeof(entry));
    ::GetDlgItemTextA(progress, 2, disk, sizeof(disk));
    EXPECT_EQ(std::string(entry), "3 / 3  DATA2");
    EXPECT_EQ(std::string(disk), "2 枚目のｱｯﾌﾟﾃﾞｲﾄFD");
    RECT both{};
    ::GetWindowRect(prompt.hwnd, &both);
    RECT behind{};
    ::GetWindowRect(progress, &behind);
    UnionRect(&both, &both, &behind);
    e2e::ScreenshotRect(both, e2e::WinePath(RENOVO_ARTIFACTS) + "\\progress-at-disk-prompt.bmp");
    Press(prompt, IDCANCEL);
    EXPECT_EQ(program_.WaitExit(), 3);  // the cancelled report is not shown under /SILENT
}

struct BadLine {
    const char* arguments;
    const char* message;  // nullptr: nothing is shown
};

class BadCommandLine : public ::testing::TestWithParam<BadLine> {
protected:
    testing_support::TempDir dir_;
};

TEST_P(BadCommandLine, EndsWithFourAndSaysWhyUnlessSilent) {
    const BadLine& c = GetParam();
    ASSERT_TRUE(
        ::CopyFileA(e2e::WinePath(RENOVO_EXE).c_str(), (dir_ / "RENOVO.EXE").c_str(), FALSE));
    e2e::Program program;
    ASSERT_TRUE(program.Start(dir_ / "RENOVO.EXE", dir_.path(), c.arguments));
    e2e::Shown shown = program.Next(nullptr, c.message != nullptr ? 15000 : 3000);
    if (c.message != nullptr) {
        ASSERT_NE(shown.hwnd, nullptr);
        EXPECT_EQ(shown.caption, "エラー");
        EXPECT_EQ(shown.MessageText(), c.message);
        program.Press(shown, IDOK);
    } else {
        EXPECT_EQ(shown.hwnd, nullptr) << shown.MessageText();
    }
    EXPECT_EQ(program.WaitExit(), 4);
}

INSTANTIATE_TEST_SUITE_P(Lines, BadCommandLine,
                         ::testing::Values(BadLine{"/QUIET", "/QUIET は使用できないｽｲｯﾁです。"},
                                           BadLine{"/DIR=", "/DIR= に値が指定されていません。"},
                                           BadLine{"/SILENT /QUIET", nullptr},
                                           BadLine{"/LOG /VERYSILENT", nullptr}));

// ---- Found before anything changes: files in use, a folder that may not be written, a deep
// product, an update on CDs --------------------------------------------------------------

const std::string kHeldExe = "SYSTEM\\TOVAKA.EXE";  // replaced by the first disk's archive
const std::string kHeldMaster = "1\\zai001-3.mst";  // rewritten by the conversions

// What the message says of files held by other programs (Wine's Restart Manager names no
// program, so each file stands alone on its line).
std::string HeldMessage(const std::string& path) {
    return "次のﾌｧｲﾙは他のﾌﾟﾛｸﾞﾗﾑが使用中のため、更新できません。\n\n" + path +
           "\n\nﾌﾟﾛｸﾞﾗﾑを終了してから[再試行]を押してください。";
}

// Stands for the running product: its file open for reading, shared for reading alone (as
// the C runtime opens it), so that it can be neither written nor deleted while held.
class HeldFile {
public:
    explicit HeldFile(const std::string& path)
        : file_(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr)) {}
    bool held() const { return static_cast<bool>(file_); }
    void Release() { file_.Reset(); }

private:
    framework::File file_;
};

// Nothing changed: every file as before and no backup set begun.
class Checks : public Unattended {
protected:
    void ExpectNothingChanged() {
        ExpectUntouched();
        EXPECT_EQ(::GetFileAttributesA((product_ + "RENOVO.BAK").c_str()), INVALID_FILE_ATTRIBUTES);
    }
    // A held-files message with Retry and Cancel, in front of the user.
    e2e::Shown ExpectHeldMessage(const std::string& path, const char* shot = nullptr) {
        e2e::Shown box = ExpectMessage(HeldMessage(path), "確認", shot);
        EXPECT_NE(::GetDlgItem(box.hwnd, IDRETRY), nullptr);
        EXPECT_NE(::GetDlgItem(box.hwnd, IDCANCEL), nullptr);
        EXPECT_EQ(::GetDlgItem(box.hwnd, IDOK), nullptr);
        return box;
    }
};

TEST_F(Checks, HeldProductFileInTheWizardRetriedOnceClosed) {
    HeldFile exe(product_ + kHeldExe);
    ASSERT_TRUE(exe.held());
    ASSERT_NO_FATAL_FAILURE(Start());
    ConfirmFolder(WalkToDestination(), "C:\\TOVAKA");
    e2e::Shown held = ExpectHeldMessage(product_ + kHeldExe, "files-in-use-message");
    ExpectNothingChanged();
    // Cancel goes back to the destination page, everything as it was.
    Press(held, IDCANCEL);
    e2e::Shown destination = ExpectPage("アップデート");
    EXPECT_EQ(destination.Text(1005), "C:\\TOVAKA");
    ExpectNothingChanged();
    ConfirmFolder(destination, "C:\\TOVAKA");
    held = ExpectHeldMessage(product_ + kHeldExe);
    Press(held, IDRETRY);  // still running: asked again
    held = ExpectHeldMessage(product_ + kHeldExe);
    ExpectNothingChanged();
    exe.Release();  // the user closes the product
    Press(held, IDRETRY);
    FinishAfterDiskTwo();
    ExpectFullyUpdated();
}

TEST_F(Checks, HeldProductFileUnattendedEndsWithFiveThenASecondRunUpdates) {
    HeldFile exe(product_ + kHeldExe);
    ASSERT_TRUE(exe.held());
    const std::string args = "/VERYSILENT /DIR=C:\\TOVAKA /LOG=" + kLog;
    ASSERT_NO_FATAL_FAILURE(RunQuietly(kShare, args, 5));
    ExpectNothingChanged();
    ExpectLogHas(
        {"check files in use: 1 held", "in use: " + product_ + kHeldExe + " (program not known)",
         Utf8(u8"message [確認] 次のﾌｧｲﾙは他のﾌﾟﾛｸﾞﾗﾑが使用中のため、更新できません。 /  / ") +
             product_ + kHeldExe +
             Utf8(u8" /  / ﾌﾟﾛｸﾞﾗﾑを終了してから[再試行]を押してください。 -> Cancel"),
         "result: files in use, nothing changed", "exit code 5"});
    exe.Release();
    e2e::Program second;
    ASSERT_TRUE(second.Start(kShare + "RENOVO.EXE", kShare, args));
    EXPECT_EQ(second.WaitExit(), 0);
    ExpectFullyUpdated();
    ExpectLogHas({"check files in use: none", "result: updated", "exit code 0"});
}

// /SILENT shows the same message; a master file the conversions would rewrite is found with
// the product's files, before anything changes.
TEST_F(Checks, HeldMasterFileIsFoundBeforeAnythingChanges) {
    HeldFile master(product_ + kHeldMaster);
    ASSERT_TRUE(master.held());
    ASSERT_TRUE(program_.Start(kShare + "RENOVO.EXE", kShare, "/SILENT /LOG=" + kLog));
    e2e::Shown held = ExpectHeldMessage(product_ + kHeldMaster, "held-master-message");
    ExpectNothingChanged();
    Press(held, IDCANCEL);
    EXPECT_EQ(program_.WaitExit(), 5);
    ExpectNothingChanged();
    ExpectLogHas({"in use: " + product_ + kHeldMaster + " (program not known)", "exit code 5"});
}

// A folder that refuses new files even to root (chattr +i), as Program Files refuses them to a
// standard user. It receives the second disk's archive: every folder of the run is tested
// before the first change.
class UnwritableFolder : public Checks {
protected:
    void SetUp() override {
        Checks::SetUp();
        folder_ = product_ + "DATA\\";
        ASSERT_TRUE(SetImmutable(true));
    }
    void TearDown() override {
        EXPECT_TRUE(SetImmutable(false));  // always undone, or nothing could remove it
        Checks::TearDown();
    }
    // Waits until the folder takes new files, or refuses them, as asked.
    bool SetImmutable(bool on) {
        const std::string unixFolder = e2e::UnixName(folder_);
        if (unixFolder.empty() || !e2e::RunUnixCommand(std::string("chattr ") + (on ? "+i" : "-i") +
                                                       " '" + unixFolder + "'")) {
            return false;
        }
        const std::string probe = folder_ + "probe.tmp";
        framework::File file(::CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                           FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        return static_cast<bool>(file) != on;
    }
    std::string folder_;
};

TEST_F(UnwritableFolder, IsRefusedBeforeAnythingChanges) {
    const std::string message =
        "ﾌｫﾙﾀﾞ C:\\TOVAKA\\DATA にﾌｧｲﾙを書き込めません。\n管理者の権限が必要な場合があります。";
    ASSERT_NO_FATAL_FAILURE(Start());
    ConfirmFolder(WalkToDestination(), "C:\\TOVAKA");
    Press(ExpectMessage(message, "エラー", "unwritable-folder-message"), IDOK);
    e2e::Shown destination = ExpectPage("アップデート");  // result 0: the wizard goes back
    ExpectNothingChanged();
    Press(destination, IDCANCEL);
    ExpectEndsCleanly();

    ASSERT_NO_FATAL_FAILURE(RunQuietly(kShare, "/VERYSILENT /DIR=C:\\TOVAKA /LOG=" + kLog, 1));
    ExpectNothingChanged();
    ExpectLogHas({Utf8(u8"message [エラー] ﾌｫﾙﾀﾞ C:\\TOVAKA\\DATA にﾌｧｲﾙを書き込めません。 / "
                       u8"管理者の権限が必要な場合があります。 -> OK"),
                  "result: refused before installing", "exit code 1"});
}

// As deep as the product installed under Program Files with a long company and product name:
// its folder 200 bytes long, far beyond the original's buffers (the voice command held 99
// bytes, the master pattern 63, the run command 255). Everything installs, voice data too.
class DeepProduct : public Checks {
protected:
    static constexpr char kCompany[] = "C:\\Program Files (x86)\\Example Software Company\\";
    DeepProduct() {
        product_ = std::string(kCompany) + "TOVAKA Estimating System\\";
        const std::string last = "Version 3 for the Estimating Department of the Head Office ";
        product_ += last + std::string(200 - 1 - product_.size() - last.size(), 'x') + "\\";
    }
    void SetUp() override {
        testing_support::MakeDir("C:\\Program Files (x86)");
        testing_support::MakeDir(kCompany);
        testing_support::MakeDir(std::string(kCompany) + "TOVAKA Estimating System");
        Checks::SetUp();
    }
    void TearDown() override {
        Checks::TearDown();
        testing_support::RemoveTree(kCompany);
    }
};

TEST_F(DeepProduct, InstallsEverythingVoiceDataIncluded) {
    ASSERT_EQ(product_.size(), 200u);
    const std::string args = "/VERYSILENT \"/DIR=" + product_ + "\" /LOG=" + kLog;
    ASSERT_NO_FATAL_FAILURE(RunQuietly(kShare, args, 0));
    ExpectFullyUpdated();
    ExpectLogHas({"voice data installed into " + product_ + "WAV",
                  "material size conversion (" + product_ + "tovaka1.ini): passed",
                  "  master files converted in " + product_ + "1\\: 2", "result: updated",
                  "exit code 0"});
}

// An update on two CDs, run from a drive Wine's registry types "cdrom": the disk prompt comes
// as it does for floppies, its text as it is.
class CdUpdate : public Checks {
protected:
    CdUpdate() {
        const char* run = std::getenv("RENOVO_RUN_DIR");
        drive_ = run != nullptr ? e2e::WinePath(std::string(run) + "/cdrom") + "\\" : "Q:\\";
        programDrive_ = "Q:\\";
    }
    void SetUp() override {
        ASSERT_EQ(::GetDriveTypeA("Q:\\"), static_cast<UINT>(DRIVE_CDROM));
        ASSERT_NE(drive_, "Q:\\") << "RENOVO_RUN_DIR is not set (run under tools/wine-env.sh)";
        Checks::SetUp();
    }
};

TEST_F(CdUpdate, AsksForTheSecondCd) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ConfirmFolder(WalkToDestination(), "C:\\TOVAKA");
    FinishAfterDiskTwo();
    ExpectFullyUpdated();
}

// ---- Each run its own plan, whole before the first change -----------------------------------

// The demo's update with its file list cut to disk 1's start archive (no conversions, no
// digitizer), and the manifest's variants 1 ("TYPE-C") and 2 ("TYPE-A").
class Plans : public Checks {
protected:
    const std::string kSecond = "C:\\TOVAKA2\\";

    void SetUp() override {
        Checks::SetUp();
        testing_support::RemoveTree(kSecond);
        e2e::CopyTree(kDemo + "product\\", kSecond);
        SetTitle(product_, "TYPE-C");
        SetTitle(kSecond, "TYPE-A");
        for (const std::string& folder : {drive_, kShare}) {
            EditManifest(folder, {{18, "0"}, {20, "0"}, {27, "TYPE-C"}, {28, "TYPE-A"}},
                         "1,1,START,SYSTEM\\\r\n");
        }
        before_ = Snapshot(product_);
        secondBefore_ = Snapshot(kSecond);
    }
    void TearDown() override {
        testing_support::RemoveTree(kSecond);
        Checks::TearDown();
    }
    static void SetTitle(const std::string& product, const std::string& variant) {
        std::string settings = ReadFile(product + "tovaka1.ini");
        const std::string title = "TITLE=ﾃﾞﾓ工房 TOVAKA";
        settings.insert(settings.find(title) + title.size(), " " + variant);
        testing_support::WriteFile(product + "tovaka1.ini", settings);
    }
    // Lines of the 41 numbered from 1 replaced, and the file list after them.
    static void EditManifest(const std::string& folder, const std::map<int, std::string>& lines,
                             const std::string& fileList) {
        const std::string manifest = ReadFile(folder + "info.txt");
        std::string edited;
        size_t at = 0;
        for (int line = 1; line <= 41; ++line) {
            const size_t end = manifest.find("\r\n", at);
            const auto replaced = lines.find(line);
            edited += (replaced != lines.end() ? replaced->second : manifest.substr(at, end - at));
            edited += "\r\n";
            at = end + 2;
        }
        testing_support::WriteFile(folder + "info.txt", edited + fileList);
    }
    // The start archive of variant 2: its program says which variant it is.
    static bool WriteVariantTwo(const std::string& path) {
        lzh::FileArchiveSink sink(path);
        lzh::Writer writer(sink, lzh::WriteOptions{});
        lzh::FileMemberSource source(path + ".member");
        lzh::MemberEntry entry;
        entry.path = "TOVAKA.EXE";
        entry.unixTime = 1767225600;  // 2026-01-01
        entry.dosTime = lzh::DosTime(2026, 1, 1, 0, 0, 0);
        return sink.Ok() && source.Ok() && writer.AddFile(entry, source) == lzh::Status::kOk &&
               writer.Finish() == lzh::Status::kOk && sink.Close();
    }

    Files secondBefore_;
};

const std::string kVariantTwo = "TOVAKA program (variant 2)\r\n";

// Two installations of different variants; the first is in use and the user cancels, then
// picks the second: it receives its own variant's program, the first stays as it was.
TEST_F(Plans, SecondTryInstallsTheVariantOfTheFolderChosenThen) {
    testing_support::WriteFile(drive_ + "START2.lzh.member", kVariantTwo);
    ASSERT_TRUE(WriteVariantTwo(drive_ + "START2.lzh"));
    ::DeleteFileA((drive_ + "START2.lzh.member").c_str());
    HeldFile exe(product_ + kHeldExe);
    ASSERT_TRUE(exe.held());
    ASSERT_NO_FATAL_FAILURE(Start());
    Press(ExpectPage("アップデート"), IDOK);  // no master adjustment in this start page's caption
    ConfirmFolder(ExpectPage("アップデート"), "C:\\TOVAKA");
    Press(ExpectHeldMessage(product_ + kHeldExe), IDCANCEL);
    ConfirmFolder(ExpectPage("アップデート"), "C:\\TOVAKA2");
    Press(ExpectMessage("システムは正常に更新されました。", "確認"), IDOK);
    ExpectEndsCleanly();
    exe.Release();
    ExpectNothingChanged();
    Files expected = secondBefore_;
    expected["SYSTEM\\TOVAKA.EXE"] = kVariantTwo;
    EXPECT_EQ(Snapshot(kSecond), expected);
}

// Disk 1 without the start archive of the variant found: refused before anything changes,
// the file named, exit code 1.
TEST_F(Plans, DiskWithoutTheVariantsStartArchiveIsRefused) {
    ASSERT_NO_FATAL_FAILURE(
        RunQuietly(kShare, "/VERYSILENT /DIR=C:\\TOVAKA2 /LOG=" + kLog, 1));
    EXPECT_EQ(Snapshot(kSecond), secondBefore_);
    EXPECT_EQ(::GetFileAttributesA((kSecond + "RENOVO.BAK").c_str()), INVALID_FILE_ATTRIBUTES);
    ExpectLogHas({"check system: 2", "check files on the update disk: missing: " + kShare +
                                         "START2.lzh",
                  Utf8(u8"message [エラー] ｱｯﾌﾟﾃﾞｲﾄFDにﾌｧｲﾙ ") + kShare +
                      Utf8(u8"START2.lzh がないため、更新できません。 -> OK"),
                  "result: refused before installing", "exit code 1"});
}

// What a user without administrator rights could leave in the product's folder, met by an
// elevated run (under Wine every run is one): the run writes nowhere it points, changes
// nothing, and says why.
class Ladder : public Checks {
protected:
    const std::string kElsewhere = "C:\\ELSEWHERE\\";
    const std::string kFirstLog = kShare + "first.log";

    void TearDown() override {
        const std::string link = e2e::UnixName("C:\\TOVAKA") + "/SYSTEM";
        e2e::RunUnixCommand("[ -L '" + link + "' ] && rm -f '" + link + "'; true");
        testing_support::RemoveTree(kElsewhere);
        Checks::TearDown();
    }
    // The settings file with `from` replaced by `to`; what the run must leave is taken anew.
    void EditSettings(const std::string& from, const std::string& to) {
        std::string settings = ReadFile(product_ + "tovaka1.ini");
        const size_t at = settings.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        testing_support::WriteFile(product_ + "tovaka1.ini", settings.replace(at, from.size(), to));
        before_ = Snapshot(product_);
    }
    static bool Exists(const std::string& path) {
        return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
};

TEST_F(Ladder, AVoiceFolderInTheSystemFolderIsRefusedAndNothingIsWrittenThere) {
    ASSERT_NO_FATAL_FAILURE(EditSettings("WAV=C:\\TOVAKA\\WAV", "WAV=C:\\windows\\system32"));
    ASSERT_TRUE(Exists(product_ + "音声\\wave.lzh"));
    ASSERT_NO_FATAL_FAILURE(RunQuietly(kShare, "/VERYSILENT /DIR=C:\\TOVAKA /LOG=" + kLog, 1));
    ExpectNothingChanged();
    for (const char* n : {"01", "02", "03"}) {
        EXPECT_FALSE(Exists(std::string("C:\\windows\\system32\\VOICE") + n + ".WAV")) << n;
    }
    ExpectLogHas({Utf8(u8"message [エラー] [DIR] WAVに指定されたフォルダーC:\\windows\\system32には"
                       u8"書き込めないため、更新しませんでした。何も変更していません。 -> OK"),
                  "result: refused before installing", "exit code 1"});
}

// The link made as a Linux symbolic link, which Wine reports as a reparse point.
TEST_F(Ladder, AProductFolderReplacedByALinkIsRefusedAndNothingIsWrittenThroughIt) {
    ASSERT_TRUE(::MoveFileA((product_ + "SYSTEM").c_str(), kElsewhere.c_str()));
    ASSERT_TRUE(e2e::RunUnixCommand("ln -s '" + e2e::UnixName(kElsewhere) + "' '" +
                                    e2e::UnixName("C:\\TOVAKA") + "/SYSTEM'"));
    ASSERT_NE(::GetFileAttributesA((product_ + "SYSTEM").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT,
              0u);
    const Files outside = Snapshot(kElsewhere);
    ASSERT_NO_FATAL_FAILURE(RunQuietly(kShare, "/VERYSILENT /DIR=C:\\TOVAKA /LOG=" + kLog, 1));
    EXPECT_EQ(Snapshot(kElsewhere), outside);
    ExpectNothingChanged();
    ExpectLogHas({"check links on the way: a junction or symbolic link: C:\\TOVAKA\\SYSTEM",
                  Utf8(u8"message [エラー] C:\\TOVAKA\\SYSTEMがジャンクションかシンボリックリンクの"
                       u8"ため、更新しませんでした。何も変更していません。 -> OK"),
                  "result: refused before installing", "exit code 1"});
}

TEST_F(Ladder, ASecondRunWhileTheFirstWaitsForDiskTwoEndsWith1618AndChangesNothing) {
    ASSERT_TRUE(program_.Start(kFloppy + "RENOVO.EXE", kFloppy, "/SILENT /LOG=" + kFirstLog));
    e2e::Shown prompt = ExpectMessage("2 枚目のｱｯﾌﾟﾃﾞｲﾄFDをｾｯﾄしてください。", "確認");
    const Files midway = Snapshot(product_);
    EXPECT_NE(midway, before_);  // the first disk is in
    e2e::Program second;
    ASSERT_TRUE(second.Start(kShare + "RENOVO.EXE", kShare,
                             "/VERYSILENT /DIR=C:\\TOVAKA /LOG=" + kLog));
    EXPECT_EQ(second.WaitExit(), 1618);
    EXPECT_EQ(Snapshot(product_), midway);
    ExpectLogHas({Utf8(u8"message [エラー] この製品では別の更新か復元を実行中です。"
                       u8"しばらくしてからもう一度実行してください。 -> OK"),
                  "result: another run holds the product, nothing changed", "exit code 1618"});
    for (const std::string& line : LogLines()) {
        EXPECT_NE(line.rfind("written ", 0), 0u) << line;
    }
    InsertDisk("disk2");
    Press(prompt, IDOK);
    if (const e2e::Shown more = program_.Next(prompt.hwnd, 3000); more.hwnd) {
        Press(more, IDOK);
    }
    EXPECT_EQ(program_.WaitExit(), 0);
    ExpectFullyUpdated();
}

}  // namespace
