// The whole demo update plus entries with Japanese names (an archive 単価 into データ\, a file
// 材料表.DAT into 材料\), with its voice data, masters and settings, run by the real Renovo.exe
// unattended and through its wizard. ctest runs this program at the system code pages 932,
// 1252 and 65001 (RENOVO_CODE_PAGE names the one of each run). Every run writes the product
// tree it leaves as an artifact; the runs at 1252 and 65001 must leave the tree of the run at
// 932 byte for byte.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "framework/files.h"
#include "framework/handles.h"
#include "framework/wide.h"
#include "lzh/encode.h"
#include "lzh/encode_file.h"
#include "receipt/identity.h"
#include "receipt/receipt.h"
#include "tests/e2e/demo_update.h"
#include "tests/e2e/driver.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::ReadFile;
using testing_support::WriteFile;

const std::string kDemo = e2e::WinePath(RENOVO_DEMO) + "\\";
const std::string kArtifacts = e2e::WinePath(RENOVO_ARTIFACTS) + "\\";
const std::string kProduct = "C:\\TOVAKA\\";
const std::string kShare = "C:\\UPDSHARE\\";  // the whole set in one folder on a fixed disk
const std::string kStage = "C:\\UPDDISKS\\";  // the floppies, each in a folder of its own
const std::string kFloppy = "A:\\";
const std::string kLog = "C:\\UPDSHARE.log";
const std::wstring kUninstallRoot = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::wstring kUninstallName = L"TOVAKA Demo";

// The entries added after the demo's, on its second disk: an archive and a plain file, each
// into a folder the update creates. 表 and ソ end in the byte of '\'.
const std::string kJapaneseEntries = "2,1,単価,データ\\\r\n2,2,材料表.DAT,材料\\\r\n";
struct NamedText {
    const char* name;
    const char* line;
};
const NamedText kPriceMembers[] = {{"単価表.DAT", "単価表 2026年版"},
                                   {"ソフト単価.DAT", "ソフト単価 2026年版"}};
const NamedText kMaterials = {"材料表.DAT", "材料表 2026年版"};

// The code page this run was given; the system's when none was.
UINT CodePage() {
    const char* given = std::getenv("RENOVO_CODE_PAGE");
    return given != nullptr ? static_cast<UINT>(std::atoi(given)) : ::GetACP();
}
std::string Artifact(const std::string& name) {
    return kArtifacts + "cp" + std::to_string(CodePage()) + "-" + name;
}

std::string Utf8(const std::wstring& wide) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                        nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                          nullptr, nullptr);
    return out;
}
std::string Utf8(const std::string& cp932) {
    return Utf8(framework::Wide(cp932));
}
std::string Utf8(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) {
        out += (out.empty() ? "" : ", ") + Utf8(item);
    }
    return out;
}

// A file's bytes by its name as Windows gives it, which cp932 may not carry.
std::string ReadWide(const std::wstring& path) {
    framework::File file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    while (file && ::ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr) && got > 0) {
        bytes.append(chunk, got);
    }
    return bytes;
}

// Every file below a folder by its relative path (UTF-8, as Windows names it), and its bytes;
// every folder too, its path ending in '\', so that a folder made under a misread name shows.
// The backup sets are the update's way back, not part of the product.
using Tree = std::map<std::string, std::string>;

void Collect(const std::wstring& root, const std::wstring& sub, Tree& tree) {
    WIN32_FIND_DATAW data{};
    framework::FindHandle find(::FindFirstFileW((root + sub + L"*").c_str(), &data));
    for (bool more = static_cast<bool>(find); more; more = ::FindNextFileW(find.Get(), &data)) {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L".." || (sub.empty() && name == L"RENOVO.BAK")) {
            continue;
        }
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            tree[Utf8(sub + name + L"\\")];
            Collect(root, sub + name + L"\\", tree);
        } else {
            tree[Utf8(sub + name)] = ReadWide(root + sub + name);
        }
    }
}

Tree TreeOf(const std::string& root) {
    Tree tree;
    Collect(framework::Wide(root), L"", tree);
    return tree;
}

std::string Sha256Hex(const std::string& bytes) {
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    for (const unsigned char b : receipt::Sha256(bytes)) {
        hex += kHex[b >> 4];
        hex += kHex[b & 15];
    }
    return hex;
}

// The listing the runs at each code page are compared by: every file with its SHA-256, then
// the settings files again, so that a difference there stands out.
std::string Listing(const Tree& tree) {
    std::string text = "# product tree, RENOVO.BAK left out: SHA-256, bytes, path\n";
    std::string settings = "# INI files: SHA-256 of their bytes\n";
    for (const auto& [path, bytes] : tree) {
        if (path.back() == '\\') {
            text += "folder  " + path + "\n";
            continue;
        }
        text += Sha256Hex(bytes) + "  " + std::to_string(bytes.size()) + "  " + path + "\n";
        if (path.size() > 4 && _stricmp(path.substr(path.size() - 4).c_str(), ".ini") == 0) {
            settings += Sha256Hex(bytes) + "  " + path + "\n";
        }
    }
    return text + settings;
}

// A member's data from memory.
class TextSource : public lzh::MemberSource {
public:
    explicit TextSource(std::string text) : text_(std::move(text)) {}
    size_t Read(void* buf, size_t n) override {
        const size_t take = std::min(n, text_.size() - at_);
        std::copy_n(text_.data() + at_, take, static_cast<char*>(buf));
        at_ += take;
        return take;
    }
    bool Rewind() override {
        at_ = 0;
        return true;
    }

private:
    std::string text_;
    size_t at_ = 0;
};

// The archive 単価.lzh of `folder`: packed under an ASCII name (the C runtime's paths follow
// the system code page) and then given its own.
bool WritePriceArchive(const std::string& folder) {
    const std::string packed = folder + "price.tmp";
    {
        lzh::FileArchiveSink sink(packed);
        lzh::Writer writer(sink, lzh::WriteOptions{});
        for (const NamedText& member : kPriceMembers) {
            TextSource source(e2e::Member(member.line));
            lzh::MemberEntry entry;
            entry.path = member.name;
            entry.unixTime = 1767225600;  // 2026-01-01
            entry.dosTime = lzh::DosTime(2026, 1, 1, 0, 0, 0);
            if (!sink.Ok() || writer.AddFile(entry, source) != lzh::Status::kOk) {
                return false;
            }
        }
        if (writer.Finish() != lzh::Status::kOk || !sink.Close()) {
            return false;
        }
    }
    return framework::MovePath(packed, folder + "単価.lzh", MOVEFILE_REPLACE_EXISTING);
}

// The manifest of the set: the demo's entries and the Japanese ones.
std::string Manifest() {
    return ReadFile(kDemo + "disk1\\info.txt") + kJapaneseEntries;
}

// A program that crashes is reported on the test's output and ends, rather than waiting in
// Wine's crash dialog for someone to close it, with ctest's output pipe held meanwhile.
void NoCrashDialog() {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\WineDbg", 0, nullptr, 0, KEY_WRITE,
                          nullptr, &key, nullptr) == ERROR_SUCCESS) {
        const DWORD no = 0;
        ::RegSetValueExW(key, L"ShowCrashDialog", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&no),
                         sizeof no);
        ::RegCloseKey(key);
    }
}

class CodePages : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::GetACP(), CodePage())
            << "the run must be at the code page it names (its locale generated: tools/setup.sh)";
        NoCrashDialog();
        TearDown();
        e2e::CopyTree(kDemo + "product\\", kProduct);
        before_ = TreeOf(kProduct);
        WriteUninstallEntry("C:\\WINDOWS\\UNINST.EXE -f" + kProduct + "SETUP.LOG");
    }
    void TearDown() override {
        receipt::RemoveReceipt("TOVAKA Demo", receipt::UpdateIdOf(Manifest()));
        HKEY root = nullptr;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallRoot.c_str(), 0,
                            KEY_ALL_ACCESS | KEY_WOW64_32KEY, &root) == ERROR_SUCCESS) {
            ::RegDeleteKeyW(root, kUninstallName.c_str());
            ::RegCloseKey(root);
        }
        for (const std::string& folder : {kProduct, kShare, kStage}) {
            testing_support::RemoveTree(folder);
        }
        e2e::EmptyFolder(kFloppy);
        framework::DeletePath(kLog);
    }
    // The product is a 32-bit program: its entry is in the 32-bit view, whatever this build is.
    static void WriteUninstallEntry(const std::string& command) {
        HKEY key = nullptr;
        ASSERT_EQ(
            ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, (kUninstallRoot + L"\\" + kUninstallName).c_str(),
                              0, nullptr, 0, KEY_WRITE | KEY_WOW64_32KEY, nullptr, &key, nullptr),
            ERROR_SUCCESS);
        const std::wstring value = framework::Wide(command);
        ::RegSetValueExW(key, L"UninstallString", 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(value.c_str()),
                         static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        ::RegCloseKey(key);
    }
    // The demo's disks with the Japanese entries: disk 1 with the program and the manifest
    // into `disk1`, disk 2 with the entries' files into `disk2` (the same folder for a share).
    static void MakeSet(const std::string& disk1, const std::string& disk2) {
        e2e::CopyTree(kDemo + "disk1\\", disk1);
        e2e::CopyTree(kDemo + "disk2\\", disk2);
        WriteFile(disk1 + "info.txt", Manifest());
        ASSERT_TRUE(e2e::CopyPath(e2e::WinePath(RENOVO_EXE), disk1 + "RENOVO.EXE"));
        ASSERT_TRUE(WritePriceArchive(disk2));
        WriteFile(disk2 + kMaterials.name, e2e::Member(kMaterials.line));
    }
    static std::string LogText() {
        return framework::PathExists(kLog) ? ReadFile(kLog) : std::string("(no log)");
    }

    // What the update leaves, file by file; the settings by their keys.
    void ExpectFullyUpdated() {
        Tree expected = before_;
        const auto put = [&](const std::string& path, const std::string& bytes) {
            expected[Utf8(path)] = bytes;
        };
        put("SYSTEM\\TOVAKA.EXE", e2e::Member("TOVAKA program 3.1 (system 1)"));
        put("SYSTEM\\TVMENU.DLL", e2e::Member("TOVAKA menu library 3.1"));
        put("21\\MASTER21.DAT", "MASTER21 demo data\r\n");
        put("DATA\\PRICE.DAT", e2e::Member("材料単価表 2026年版"));
        put("DATA\\COLOR.DAT", e2e::Member("色見本 2026年版"));
        for (const NamedText& member : kPriceMembers) {
            put(std::string("データ\\") + member.name, e2e::Member(member.line));
        }
        put(std::string("材料\\") + kMaterials.name, e2e::Member(kMaterials.line));
        put("データ\\", "");
        put("材料\\", "");
        for (const char* n : {"01", "02", "03"}) {
            put(std::string("WAV\\VOICE") + n + ".WAV",
                std::string("RIFF demo voice ") + n + "\r\n");
        }
        for (const char* master : {"1\\zai001-3.mst", "1\\zai002-3.mst", "21\\zai101-3.mst"}) {
            put(master, e2e::ConvertedMaster(before_[master]));
        }
        Tree after = TreeOf(kProduct);
        const std::string settings = after["tovaka1.ini"];
        expected.erase("tovaka1.ini");
        after.erase("tovaka1.ini");
        EXPECT_EQ(Listing(after), Listing(expected));
        EXPECT_EQ(e2e::SettingOf(settings, "ﾃﾞｼﾞﾀｲｻﾞ"), "1");
        EXPECT_EQ(e2e::SettingOf(settings, "ﾃﾞｼﾞﾀｲｻﾞMST"), "1");
        EXPECT_EQ(e2e::SettingOf(settings, "TITLE"), "ﾃﾞﾓ工房 TOVAKA with ﾎﾟﾙﾀﾝ")
            << Utf8(e2e::SettingOf(settings, "TITLE"));
        EXPECT_EQ(e2e::SettingOf(settings, "VERSION"), "3");
    }

    // Writes the listing of the product tree as `name`; away from 932 it must be the listing
    // the run at 932 wrote.
    void WriteAndCompareListing(const std::string& name) {
        const std::string listing = Listing(TreeOf(kProduct));
        WriteFile(Artifact(name), listing);
        if (CodePage() != 932) {
            const std::string at932 = kArtifacts + "cp932-" + name;
            ASSERT_TRUE(framework::PathExists(at932)) << "no listing of the run at 932: " << at932;
            EXPECT_EQ(listing, ReadFile(at932));
        }
    }

    Tree before_;
};

TEST(CodePage, IsTheOneThisRunWasGiven) {
    const char* given = std::getenv("RENOVO_CODE_PAGE");
    if (given == nullptr) {
        GTEST_SKIP() << "RENOVO_CODE_PAGE is not set (ctest sets it for each run)";
    }
    EXPECT_EQ(::GetACP(), static_cast<UINT>(std::atoi(given)));
}

// Support staff's run from a share, with nothing shown; then its way back.
TEST_F(CodePages, UnattendedUpdateLeavesTheSameTree) {
    ASSERT_NO_FATAL_FAILURE(MakeSet(kShare, kShare));
    e2e::Program update;
    ASSERT_TRUE(update.Start(kShare + "RENOVO.EXE", kShare,
                             "/VERYSILENT /DIR=C:\\TOVAKA \"/LOG=" + kLog + "\""));
    EXPECT_EQ(update.WaitExit(60000), 0) << LogText();
    ExpectFullyUpdated();
    WriteAndCompareListing("unattended-tree.txt");

    e2e::Program restore;
    ASSERT_TRUE(restore.Start(kShare + "RENOVO.EXE", kShare,
                              "/RESTORE \"C:\\TOVAKA\" /VERYSILENT \"/LOG=" + kLog + "\""));
    EXPECT_EQ(restore.WaitExit(60000), 0) << LogText();
    EXPECT_EQ(Listing(TreeOf(kProduct)), Listing(before_));
}

// A user's run from two floppies: every page and message read back as the program wrote it,
// and photographed.
class Wizard : public CodePages {
protected:
    void InsertDisk(int disk) {
        e2e::EmptyFolder(kFloppy);
        e2e::CopyTree(kStage + "disk" + std::to_string(disk) + "\\", kFloppy);
    }
    e2e::Shown Next(const std::string& shot) {
        e2e::Shown shown = program_.Next(last_);
        last_ = shown.hwnd;
        if (shown.hwnd) {
            e2e::Screenshot(shown.hwnd, Artifact("wizard-" + shot + ".bmp"));
        }
        return shown;
    }
    // The page or message of that caption (and text); nothing when none came.
    e2e::Shown Expect(bool page, const std::string& caption, const std::string& text,
                      const std::string& shot) {
        e2e::Shown shown = Next(shot);
        if (!shown.hwnd) {
            ADD_FAILURE() << "nothing shown where this was expected: " << Utf8(caption) << " "
                          << Utf8(text);
            return shown;
        }
        EXPECT_EQ(shown.isPage, page) << Utf8(caption);
        EXPECT_EQ(shown.caption, caption) << Utf8(shown.caption) << " for " << Utf8(caption);
        if (!page) {
            EXPECT_EQ(shown.MessageText(), text)
                << Utf8(shown.MessageText()) << "\nfor " << Utf8(text);
        }
        return shown;
    }
    // The pages and messages of the whole update; returns at the first that does not come.
    void Walk() {
        ASSERT_TRUE(program_.Start(kFloppy + "RENOVO.EXE", kFloppy));
        e2e::Shown start = Expect(true, "マスタ調整機能付", "", "1-start-page");
        ASSERT_TRUE(start.hwnd);
        EXPECT_EQ(start.Text(1006),
                  "TOVAKA デモ版の更新です。\r\n・システムファイルを更新します。\r\n"
                  "・材料マスタを調整します。\r\n・ﾃﾞｼﾞﾀｲｻﾞの音声を入れます。")
            << Utf8(start.Text(1006));
        program_.Press(start, IDOK);
        e2e::Shown destination = Expect(true, "アップデート", "", "2-destination-page");
        ASSERT_TRUE(destination.hwnd);
        EXPECT_EQ(destination.Text(1005), "C:\\TOVAKA");  // the registry's proposal
        EXPECT_EQ(destination.Text(1006),
                  "TOVAKA のｲﾝｽﾄｰﾙ先ﾌｫﾙﾀﾞを確認して下さい。\r\n"
                  "違う場合はﾄﾞﾗｲﾌﾞとﾌｫﾙﾀﾞを選んで下さい。");
        ASSERT_NO_FATAL_FAILURE(Browse(destination));
        program_.Press(destination, IDOK);
        e2e::Shown confirm = Expect(true, "アップデート", "", "4-confirm-page");
        ASSERT_TRUE(confirm.hwnd);
        EXPECT_EQ(_stricmp(confirm.Text(1006).c_str(), "C:\\TOVAKA"), 0) << confirm.Text(1006);
        program_.Press(confirm, IDOK);
        e2e::Shown prompt =
            Expect(false, "確認", "2 枚目のｱｯﾌﾟﾃﾞｲﾄFDをｾｯﾄしてください。", "5-disk-prompt");
        ASSERT_TRUE(prompt.hwnd);
        InsertDisk(2);
        program_.Press(prompt, IDOK);
        e2e::Shown done = Expect(false, "確認", "システムは正常に更新されました。", "6-updated");
        ASSERT_TRUE(done.hwnd);
        program_.Press(done, IDOK);
    }
    // Into the product's folder by its drive and folder lists, which show its Japanese folder.
    void Browse(const e2e::Shown& destination) {
        const auto enter = [&](int list, const std::string& entry) {
            const auto items = destination.ListItems(list);
            const auto at = std::find(items.begin(), items.end(), entry);
            ASSERT_NE(at, items.end()) << Utf8(entry) << " in " << Utf8(items);
            e2e::SelectListItem(destination, list, static_cast<int>(at - items.begin()));
        };
        ASSERT_NO_FATAL_FAILURE(enter(1002, "[-c-]"));
        ASSERT_NO_FATAL_FAILURE(enter(1003, "[TOVAKA]"));
        EXPECT_EQ(_stricmp(destination.Text(1005).c_str(), "C:\\TOVAKA"), 0)
            << destination.Text(1005);
        const auto folders = destination.ListItems(1003);
        EXPECT_NE(std::find(folders.begin(), folders.end(), "[音声]"), folders.end())
            << Utf8(folders);
        e2e::Screenshot(destination.hwnd, Artifact("wizard-3-destination-browsed.bmp"));
    }

    e2e::Program program_;
    HWND last_ = nullptr;
};

TEST_F(Wizard, UpdateShowsItsTextsAndLeavesTheSameTree) {
    // Screenshots of an earlier run would pass for pages this run never showed.
    framework::FileFind shots;
    for (bool more = shots.FindFile(Artifact("wizard-*.bmp")); more; more = shots.Next()) {
        framework::DeletePath(kArtifacts + shots.FileName());
    }
    testing_support::MakeDir(kStage);
    ASSERT_NO_FATAL_FAILURE(MakeSet(kStage + "disk1\\", kStage + "disk2\\"));
    InsertDisk(1);
    Walk();
    EXPECT_EQ(program_.WaitExit(60000), 0);
    ExpectFullyUpdated();
    WriteAndCompareListing("wizard-tree.txt");
}

}  // namespace
