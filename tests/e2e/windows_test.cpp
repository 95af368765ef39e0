// What Windows asks of the real Renovo.exe's windows that Wine never asks: that the main frame
// answers a sent message throughout a long run (Windows calls a window that takes none for 5 s
// hung), and that at 144 DPI every window is laid out at that DPI. The screenshots taken here
// at 144 DPI are the ones in docs/.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>

#include "lzh/encode.h"
#include "lzh/encode_file.h"
#include "tests/e2e/driver.h"
#include "tests/support/answer_prober.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::ReadFile;

const std::string kDemo = e2e::WinePath(RENOVO_DEMO) + "\\";
const std::string kProduct = "C:\\TOVAKA\\";
const std::string kArtifacts = e2e::WinePath(RENOVO_ARTIFACTS) + "\\";

using testing_support::AnswerProber;
using testing_support::Now;

// Master records in the demo's layout, every other one a candidate of both rules.
std::string MasterRecords(size_t bytes) {
    std::string out;
    out.reserve(bytes + 256);
    for (unsigned n = 0; out.size() < bytes; ++n) {
        char line[256];
        std::snprintf(line, sizeof line, "%s %c%0170u\r\n",
                      n % 2 == 0 ? "400400000107" : "500500000200", n % 3 == 0 ? 'A' : 'C', n);
        out += line;
    }
    return out;
}

// A member's data made as it is read: numbered text lines, some `bytes` long.
class TextSource : public lzh::MemberSource {
public:
    explicit TextSource(uint64_t bytes) : bytes_(bytes) {}
    size_t Read(void* buf, size_t n) override {
        char* out = static_cast<char*>(buf);
        size_t given = 0;
        while (given < n && offset_ < bytes_) {
            if (at_ == line_.size()) {
                char line[96];
                std::snprintf(line, sizeof line, "%09u,400400,000107,A,price list of 2026\r\n",
                              number_++);
                line_ = line;
                at_ = 0;
            }
            const size_t take =
                std::min<uint64_t>({n - given, line_.size() - at_, bytes_ - offset_});
            std::copy_n(line_.data() + at_, take, out + given);
            given += take;
            at_ += take;
            offset_ += take;
        }
        return given;
    }
    bool Failed() const override { return false; }
    bool Rewind() override {
        offset_ = at_ = 0;
        number_ = 0;
        line_.clear();
        return true;
    }

private:
    uint64_t bytes_;
    uint64_t offset_ = 0;
    unsigned number_ = 0;
    std::string line_;
    size_t at_ = 0;
};

bool WriteArchive(const std::string& path, const std::string& member, uint64_t bytes) {
    lzh::FileArchiveSink sink(path);
    lzh::Writer writer(sink, lzh::WriteOptions{});
    TextSource source(bytes);
    lzh::MemberEntry entry;
    entry.path = member;
    entry.unixTime = 1767225600;  // 2026-01-01
    entry.dosTime = lzh::DosTime(2026, 1, 1, 0, 0, 0);
    return sink.Ok() && writer.AddFile(entry, source) == lzh::Status::kOk &&
           writer.Finish() == lzh::Status::kOk && sink.Close();
}

// The demo's manifest with a file list of its own.
std::string Manifest(const std::string& fileList) {
    const std::string demo = ReadFile(kDemo + "disk1\\info.txt");
    size_t at = 0;
    for (int line = 0; line < 41; ++line) {
        at = demo.find("\r\n", at) + 2;
    }
    return demo.substr(0, at) + fileList;
}

class Product : public ::testing::Test {
protected:
    void SetUp() override {
        testing_support::RemoveTree(kProduct);
        e2e::CopyTree(kDemo + "product\\", kProduct);
    }
    void TearDown() override { testing_support::RemoveTree(kProduct); }
    void Press(const e2e::Shown& shown, int id) { program_.Press(shown, id); }
    e2e::Shown Next(DWORD timeoutMs = 15000) {
        e2e::Shown shown = program_.Next(last_, timeoutMs);
        last_ = shown.hwnd;
        return shown;
    }

    e2e::Program program_;
    HWND last_ = nullptr;
};

// A run whose master files and archive member are each large enough that, run on the frame's
// thread, they left it without an answer for seconds.
class LongRun : public Product {
protected:
    void SetUp() override {
        Product::SetUp();
        testing_support::RemoveTree(kFolder);
        e2e::CopyTree(kDemo + "disk1\\", kFolder);
        ASSERT_TRUE(::CopyFileA(e2e::WinePath(RENOVO_EXE).c_str(), (kFolder + "RENOVO.EXE").c_str(),
                                FALSE));
        testing_support::WriteFile(kFolder + "info.txt", Manifest("1,1,BIG,DATA\\\r\n"));
        ASSERT_TRUE(WriteArchive(kFolder + "BIG.lzh", "BIG.DAT", kMemberBytes));
        testing_support::WriteFile(kProduct + "1\\zai003-3.mst", MasterRecords(kMasterBytes));
    }
    void TearDown() override {
        testing_support::RemoveTree(kFolder);
        Product::TearDown();
    }

    static constexpr uint64_t kMemberBytes = 64ull << 20;
    static constexpr size_t kMasterBytes = 120u << 20;
    const std::string kFolder = "C:\\LONGRUN\\";
};

TEST_F(LongRun, TheFrameAnswersThroughoutAConversionAndALargeMember) {
    ASSERT_TRUE(program_.Start(kFolder + "RENOVO.EXE", kFolder));
    Press(Next(), IDOK);  // start page
    const e2e::Shown destination = Next();
    e2e::SetText(destination, 1005, "C:\\TOVAKA");
    Press(destination, IDOK);
    const e2e::Shown confirm = Next();
    ASSERT_TRUE(confirm.isPage);
    const HWND frame = program_.Frame();
    ASSERT_NE(frame, nullptr);
    const double started = Now();
    AnswerProber prober(frame);
    Press(confirm, IDOK);
    const e2e::Shown done = Next(300000);
    const double longest = prober.Stop();
    const double took = Now() - started;
    EXPECT_EQ(done.MessageText(), "システムは正常に更新されました。");
    std::printf(
        "run of a %llu MB member and a %zu MB master file: %.1f s; %d answers, the "
        "longest wait %.3f s (goal <= 0.5 s)\n",
        static_cast<unsigned long long>(kMemberBytes >> 20), kMasterBytes >> 20, took,
        prober.answered(), longest);
    EXPECT_LE(longest, 0.5);
    EXPECT_GT(prober.answered(), 10);
    Press(done, IDOK);
    EXPECT_EQ(program_.WaitExit(), 0);
    // The run did its work: the member in place, the master converted (both rules).
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(
        ::GetFileAttributesExA((kProduct + "DATA\\BIG.DAT").c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, static_cast<DWORD>(kMemberBytes));
    const std::string master = ReadFile(kProduct + "1\\zai003-3.mst");
    EXPECT_LT(master.size(), kMasterBytes);
    EXPECT_EQ(master.substr(0, 14), "400400000107 Z");
}

// The whole wizard and the progress window at 144 DPI (150 %), as most new laptops run.
class HighDpi : public Product {
protected:
    void SetUp() override {
        Product::SetUp();
        e2e::EmptyFolder(kFloppy);
        e2e::CopyTree(kDemo + "disk1\\", kFloppy);
        ASSERT_TRUE(::CopyFileA(e2e::WinePath(RENOVO_EXE).c_str(), (kFloppy + "RENOVO.EXE").c_str(),
                                FALSE));
    }
    void TearDown() override {
        SetDpi(0);
        e2e::EmptyFolder(kFloppy);
        Product::TearDown();
    }
    // Each program started afterwards runs at `dpi` (0: the default again).
    static void SetDpi(DWORD dpi) {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0,
                                    KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        if (dpi == 0) {
            ::RegDeleteValueA(key, "LogPixels");
        } else {
            ::RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                             sizeof dpi);
        }
        ::RegCloseKey(key);
    }
    static SIZE SizeOf(HWND window) {
        RECT r{};
        ::GetWindowRect(window, &r);
        return SIZE{r.right - r.left, r.bottom - r.top};
    }
    // The start page's size at the DPI the program starts with; the program is ended.
    SIZE StartPageSize() {
        e2e::Program program;
        EXPECT_TRUE(program.Start(kFloppy + "RENOVO.EXE", kFloppy));
        const e2e::Shown start = program.Next();
        const SIZE size = SizeOf(start.hwnd);
        program.Press(start, IDCANCEL);
        EXPECT_EQ(program.WaitExit(), 0);
        return size;
    }

    const std::string kFloppy = "A:\\";
};

TEST_F(HighDpi, EveryWindowIsLaidOutAtTheDpi) {
    const SIZE at96 = StartPageSize();
    SetDpi(144);
    const SIZE at144 = StartPageSize();
    // Dialogs scale by their dialog units: half as large again, within a font's rounding.
    EXPECT_NEAR(at144.cx, at96.cx * 1.5, at96.cx * 0.1);
    EXPECT_NEAR(at144.cy, at96.cy * 1.5, at96.cy * 0.1);

    ASSERT_TRUE(program_.Start(kFloppy + "RENOVO.EXE", kFloppy));
    Press(Next(), IDOK);
    const e2e::Shown destination = Next();
    ASSERT_TRUE(destination.isPage);
    e2e::Screenshot(destination.hwnd, kArtifacts + "dpi144-destination-page.bmp");
    e2e::Screenshot(::GetDesktopWindow(), kArtifacts + "dpi144-screen.bmp");
    Press(destination, IDOK);
    Press(Next(), IDOK);  // confirmation page: the run starts
    const e2e::Shown prompt = Next();
    EXPECT_EQ(prompt.MessageText(), "2 枚目のｱｯﾌﾟﾃﾞｲﾄFDをｾｯﾄしてください。");

    // The progress window's pixel layout, half as large again: 630 x 435, rows 27 high.
    const HWND progress = ::FindWindowA("RenovoProgress", nullptr);
    ASSERT_NE(progress, nullptr);
    const SIZE window = SizeOf(progress);
    EXPECT_EQ(window.cx, 630);
    EXPECT_EQ(window.cy, 435);
    for (int id = 1; id <= 4; ++id) {
        EXPECT_EQ(SizeOf(::GetDlgItem(progress, id)).cy, 27) << id;
        EXPECT_EQ(SizeOf(::GetDlgItem(progress, id)).cx, 576) << id;
    }
    RECT both{}, behind{};
    ::GetWindowRect(prompt.hwnd, &both);
    ::GetWindowRect(progress, &behind);
    ::UnionRect(&both, &both, &behind);
    e2e::ScreenshotRect(both, kArtifacts + "dpi144-progress-at-disk-prompt.bmp");
    Press(prompt, IDCANCEL);
    const e2e::Shown cancelled = Next();
    EXPECT_EQ(cancelled.MessageText(), "ｱｯﾌﾟﾃﾞｲﾄを取消しました。");
    Press(cancelled, IDOK);
    EXPECT_EQ(program_.WaitExit(), 0);
}

}  // namespace
