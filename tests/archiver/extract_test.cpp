#include <windows.h>

#include <gtest/gtest.h>

#include "archiver/archiver.h"
#include "archiver/texts.h"
#include "replace/replace_file.h"
#include "archiver/win32_file.h"
#include "tests/archiver/fixture.h"
#include "tests/support/test_support.h"

namespace {

using archiver_test::DataFile;
using archiver_test::ListFolder;
using archiver_test::RunCommand;
using archiver_test::StoredArchive;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

using Names = std::vector<std::string>;

std::string Quote(const std::string& s) {
    return "\"" + s + "\"";
}

std::string ExtractCommand(const std::string& archive, const std::string& dest) {
    return "e -mcwC:\\WINDOWS " + Quote(archive) + " " + Quote(dest);
}

FILETIME LastWrite(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

int64_t UnixTime(const FILETIME& t) {
    ULARGE_INTEGER u;
    u.LowPart = t.dwLowDateTime;
    u.HighPart = t.dwHighDateTime;
    return static_cast<int64_t>(u.QuadPart / 10000000ULL) - 11644473600LL;
}

constexpr int64_t kFixtureTime = 981173106;  // 2001-02-03 04:05:06 UTC

class RealArchive : public ::testing::TestWithParam<const char*> {};

TEST_P(RealArchive, ExtractsBareNamesWithTheirTimes) {
    TempDir dir;
    std::string dest = dir / "out";  // no trailing separator, and not there yet
    auto r = RunCommand(ExtractCommand(DataFile(GetParam()), dest));
    ASSERT_EQ(r.result, 0) << r.text;
    EXPECT_EQ(ListFolder(dest + "\\"), (Names{"binary.dat", "numbers.txt"}));
    EXPECT_EQ(ReadFile(dest + "\\numbers.txt"), archiver_test::NumbersText());
    EXPECT_EQ(ReadFile(dest + "\\binary.dat"), archiver_test::BinaryData());
    // DOS times are local; the machine's zone may be anything within a day.
    EXPECT_NEAR(UnixTime(LastWrite(dest + "\\numbers.txt")), kFixtureTime, 14 * 3600);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, RealArchive,
                         ::testing::Values("level0o5.lzh", "level1o6.lzh", "level2o7.lzh",
                                           "level2z.lzh"));

TEST(Extract, UnixTimeAppliedExactlyAndExtensionAdded) {
    TempDir dir;
    std::string archive = DataFile("level2o7");  // no ".lzh"
    auto r = RunCommand(ExtractCommand(archive, dir.path()));
    ASSERT_EQ(r.result, 0) << r.text;
    EXPECT_EQ(UnixTime(LastWrite(dir / "binary.dat")), kFixtureTime);
}

void SetLastWrite(const std::string& path, int64_t unixTime) {
    ULARGE_INTEGER u;
    u.QuadPart = static_cast<ULONGLONG>(unixTime + 11644473600LL) * 10000000ULL;
    FILETIME time = {u.LowPart, u.HighPart};
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &time));
    CloseHandle(file);
}

TEST(Extract, ReplacesReadOnlyTargetAndOlderOnesWithoutC) {
    TempDir dir;
    WriteFile(dir / "numbers.txt", "old");
    SetLastWrite(dir / "numbers.txt", kFixtureTime - 365 * 86400);  // a year before the member
    SetFileAttributesA((dir / "numbers.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    auto r =
        RunCommand("e -mwC:\\WINDOWS " + Quote(DataFile("level1o6.lzh")) + " " + Quote(dir.path()));
    ASSERT_EQ(r.result, 0) << r.text;
    EXPECT_EQ(ReadFile(dir / "numbers.txt"), archiver_test::NumbersText());
    EXPECT_EQ(ListFolder(dir.path()), (Names{"binary.dat", "numbers.txt"}));
}

TEST(Extract, NewerTargetKeptWithoutCReplacedWithC) {
    TempDir dir;
    WriteFile(dir / "binary.dat", "newer");  // written now, after the member's 2001 date
    auto r = RunCommand("e -m " + Quote(DataFile("level2o7.lzh")) + " " + Quote(dir.path()));
    ASSERT_EQ(r.result, 0) << r.text;
    EXPECT_EQ(ReadFile(dir / "binary.dat"), "newer");
    r = RunCommand("e -mc " + Quote(DataFile("level2o7.lzh")) + " " + Quote(dir.path()));
    ASSERT_EQ(r.result, 0) << r.text;
    EXPECT_EQ(ReadFile(dir / "binary.dat"), archiver_test::BinaryData());
}

// A damaged archive must leave installed files as they were and no temporary files behind.
struct Damage {
    const char* name;
    std::string (*apply)(std::string);
    const char* reasonStart;
};

class DamagedArchive : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedArchive, NothingWrittenOldFilesIntact) {
    TempDir dir;
    std::string bytes = ReadFile(DataFile("level0o5.lzh"));
    WriteFile(dir / "bad.lzh", GetParam().apply(bytes));
    std::string dest = dir / "out\\";
    testing_support::MakeDir(dest);
    WriteFile(dest + "numbers.txt", "installed");
    WriteFile(dest + "binary.dat", "installed too");
    auto r = RunCommand(ExtractCommand(dir / "bad", dest));
    EXPECT_NE(r.result, 0);
    EXPECT_EQ(r.text.rfind(GetParam().reasonStart, 0), 0u) << r.text;
    EXPECT_NE(r.text.find(dir / "bad.lzh"), std::string::npos) << r.text;
    EXPECT_EQ(ReadFile(dest + "numbers.txt"), "installed");
    EXPECT_EQ(ReadFile(dest + "binary.dat"), "installed too");
    EXPECT_EQ(ListFolder(dest), (Names{"binary.dat", "numbers.txt"}));
}

// Offsets into level0o5.lzh: numbers.txt's header is 39 bytes, its data 6579 bytes.
INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedArchive,
    ::testing::Values(
        Damage{"FlippedDataByte",
               [](std::string b) {
                   b[3000] ^= 0x55;
                   return b;
               },
               ""},
        Damage{"FlippedStoredByte",
               [](std::string b) {
                   b[b.size() - 100] ^= 0x01;
                   return b;
               },
               "CRC"},
        Damage{"CutInFirstHeader", [](std::string b) { return b.substr(0, 20); }, "書庫"},
        Damage{"Empty", [](std::string) { return std::string(); }, "書庫が空です。"},
        Damage{"NoMember", [](std::string) { return std::string(1, '\0'); },
               "書庫にファイルがありません。"},
        Damage{"CutBetweenMembers", [](std::string b) { return b.substr(0, 39 + 6579); },
               "書庫が途中で切れています。"},
        Damage{"NoEndMark", [](std::string b) { return b.substr(0, b.size() - 1); },
               "書庫が途中で切れています。"},
        Damage{"CutInFirstData", [](std::string b) { return b.substr(0, 3000); }, ""},
        Damage{"CutInLastData", [](std::string b) { return b.substr(0, b.size() - 10); }, ""},
        Damage{"BadSecondHeaderChecksum",
               [](std::string b) {
                   b[39 + 6579 + 1] ^= 0x7F;
                   return b;
               },
               "書庫のヘッダ"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Extract, BytesAfterTheEndMarkAreIgnored) {
    TempDir dir;
    WriteFile(dir / "padded.lzh", ReadFile(DataFile("level0o5.lzh")) + std::string(300, '\x1A'));
    auto r = RunCommand(ExtractCommand(dir / "padded.lzh", dir / "out"));
    ASSERT_EQ(r.result, 0) << r.text;
    EXPECT_EQ(ReadFile(dir / "out\\numbers.txt"), archiver_test::NumbersText());
}

TEST(Extract, StoredFoldersDotsAndDrivesNeverLeadOutside) {
    TempDir dir;
    std::string dest = dir / "out\\";
    WriteFile(dir / "evil.lzh", StoredArchive()
                                    .Add("..\\..\\evil1.txt", "one")
                                    .Add("C:\\evil2.txt", "two")
                                    .Add("a\\..\\..\\evil3.txt", "three")
                                    .Bytes());
    auto r = RunCommand(ExtractCommand(dir / "evil.lzh", dest));
    ASSERT_EQ(r.result, 0) << r.text;
    EXPECT_EQ(ListFolder(dest), (Names{"evil1.txt", "evil2.txt", "evil3.txt"}));
    EXPECT_EQ(ListFolder(dir.path()), (Names{"evil.lzh", "out"}));
}

TEST(Extract, UnsafeBareNameRefusesTheWholeArchive) {
    for (const std::string bad : {"dir\\CON", "NUL.txt", "a:b", "tab\tname", "x\\..", "dot."}) {
        TempDir dir;
        WriteFile(dir / "bad.lzh", StoredArchive().Add("fine.txt", "ok").Add(bad, "x").Bytes());
        auto r = RunCommand(ExtractCommand(dir / "bad.lzh", dir / "out"));
        EXPECT_NE(r.result, 0) << bad;
        EXPECT_NE(r.text.find("安全なファイル名ではありません"), std::string::npos) << r.text;
        EXPECT_EQ(ListFolder(dir / "out\\"), Names{}) << bad;
    }
}

TEST(Extract, LaterMemberOfTheSameBareNameWins) {
    TempDir dir;
    WriteFile(dir / "dup.lzh",
              StoredArchive().Add("a\\same", "first").Add("b\\same", "second").Bytes());
    ASSERT_EQ(RunCommand(ExtractCommand(dir / "dup.lzh", dir / "out")).result, 0);
    EXPECT_EQ(ReadFile(dir / "out\\same"), "second");
}

TEST(Extract, Cp932NamesWithTrailByte5CStayWhole) {
    TempDir dir;
    const std::string name = "\x83\x5c\x83\x74\x83\x67.ini";  // ソフト.ini
    WriteFile(dir / "jp.lzh", StoredArchive().Add("\x95\x5c\x8e\xa6\\" + name, "[x]").Bytes());
    auto r = RunCommand(ExtractCommand(dir / "jp.lzh", dir.path()));
    ASSERT_EQ(r.result, 0) << r.text;
    EXPECT_EQ(ReadFile(dir / name), "[x]");
}

TEST(Extract, UnknownMethodRefusedNothingWritten) {
    TempDir dir;
    WriteFile(dir / "pm.lzh",
              StoredArchive().Add("a.txt", "ok").Add("b.txt", "??", "-pm2-").Bytes());
    auto r = RunCommand(ExtractCommand(dir / "pm.lzh", dir / "out"));
    EXPECT_NE(r.result, 0);
    EXPECT_EQ(r.text.rfind("対応していない圧縮形式です。", 0), 0u) << r.text;
    EXPECT_NE(r.text.find("b.txt"), std::string::npos) << r.text;
    EXPECT_EQ(ListFolder(dir / "out\\"), Names{});
}

TEST(Run, FailuresAreTextsWithTheirCodes) {
    TempDir dir;
    struct Case {
        std::string command;
        int result;
        std::string text;
    };
    for (const Case& c :
         {Case{ExtractCommand(dir / "missing", dir.path()), 2,
               "書庫が見つかりません。\n書庫: " + dir / "missing.lzh"},
          Case{"x " + dir / "a", 1, "コマンドが正しくありません: x"},
          Case{"", 1, "コマンドがありません。"}}) {
        auto r = RunCommand(c.command);
        EXPECT_EQ(r.result, c.result) << c.command;
        EXPECT_EQ(r.text, c.text);
    }
}

// Refuses the n-th replace it is asked about (none when 0); takes every announcement.
class RefuseAt : public replace::Observer {
public:
    explicit RefuseAt(size_t n) : n_(n) {}
    bool BeforePutInPlace(const std::string& target) override {
        asked.push_back(target);
        return asked.size() != n_;
    }
    bool BeforePutInPlaceAll(const std::vector<std::string>& targets) override {
        announced = targets;
        return true;
    }
    Names announced;
    Names asked;

private:
    size_t n_;
};

class LastProgress : public archiver::Progress {
public:
    void Advance(const std::string&, uint64_t now, uint64_t of) override {
        EXPECT_GE(now, done);
        done = now;
        total = of;
    }
    uint64_t done = 0;
    uint64_t total = 0;
};

// The callbacks go in with the call; a replace refused part-way ends the message with the state
// the destination is left in.
TEST(Extract, CallbacksAreToldAndTheLastLineTellsTheState) {
    struct Case {
        size_t refuseAt;
        const char* note;  // nullptr: extracted
        Names left;
    };
    for (const Case& c : {Case{1, archiver::kNothingWritten, {}},
                          Case{2, archiver::kEarlierKept, {"numbers.txt"}},
                          Case{0, nullptr, {"binary.dat", "numbers.txt"}}}) {
        TempDir dir;
        RefuseAt observer(c.refuseAt);
        LastProgress progress;
        const archiver::Outcome o =
            archiver::Extract(DataFile("level0o5.lzh"), dir / "out", {&progress, &observer});
        EXPECT_EQ(ListFolder(dir / "out\\"), c.left) << c.refuseAt;
        if (c.note != nullptr) {
            EXPECT_EQ(o.result, archiver::Result::kWriteFailed);
            EXPECT_TRUE(o.text.ends_with(std::string("\n") + c.note)) << o.text;
            continue;
        }
        EXPECT_EQ(o.result, archiver::Result::kDone) << o.text;
        const Names both{dir / "out\\numbers.txt", dir / "out\\binary.dat"};
        EXPECT_EQ(observer.announced, both);
        EXPECT_EQ(observer.asked, both);
        const uint64_t total = archiver_test::NumbersText().size() + 3000;
        EXPECT_EQ(progress.total, total);
        EXPECT_EQ(progress.done, total);
    }
}

// The targets come from the headers alone: member data is passed over by seeking, which must
// still notice an archive that ends inside it.
// A Japanese archive is opened, and its members named, by their cp932 names on any code page.
TEST(ListTargets, JapaneseArchiveAndMembersKeepTheirNames) {
    TempDir dir;
    WriteFile(dir / "単価.lzh",
              StoredArchive().Add("材料表.DAT", "x").Add("表\\ソフト.ini", "y").Bytes());
    std::vector<std::string> targets;
    ASSERT_TRUE(archiver::ListTargets(dir / "単価.lzh", dir / "データ\\", targets));
    EXPECT_EQ(targets, (Names{dir / "データ\\材料表.DAT", dir / "データ\\ソフト.ini"}));
}

TEST(ListTargets, SeeksPastTheDataButNotPastTheEnd) {
    const std::string whole = ReadFile(DataFile("level0o5.lzh"));
    std::string flipped = whole;
    flipped[3000] ^= 0x55;
    const struct {
        const char* name;
        std::string bytes;
        bool listed;
    } cases[] = {
        {"Whole", whole, true},
        {"FlippedDataByte", flipped, true},
        {"CutInFirstData", whole.substr(0, 3000), false},
        {"CutBetweenMembers", whole.substr(0, 39 + 6579), false},
        {"CutInLastData", whole.substr(0, whole.size() - 10), false},
    };
    TempDir dir;
    for (const auto& c : cases) {
        WriteFile(dir / "a.lzh", c.bytes);
        std::vector<std::string> targets;
        EXPECT_EQ(archiver::ListTargets(dir / "a.lzh", "C:\\P\\SYS\\", targets), c.listed)
            << c.name;
        if (c.listed) {
            EXPECT_EQ(targets, (Names{"C:\\P\\SYS\\numbers.txt", "C:\\P\\SYS\\binary.dat"}))
                << c.name;
        }
    }
    std::vector<std::string> none;
    EXPECT_FALSE(archiver::ListTargets(dir / "missing.lzh", "C:\\P\\", none));
}

// Skip seeks past what is not buffered, but never reports bytes beyond the end of the file.
TEST(FileSource, SkipCountsOnlyTheBytesThere) {
    TempDir dir;
    WriteFile(dir / "f", std::string(70000, 'a') + "bcd");  // more than the 64 KB buffered
    archiver::FileSource source(dir / "f");
    char first[10];
    ASSERT_EQ(source.Read(first, sizeof first), sizeof first);
    EXPECT_EQ(source.Skip(5), 5u);    // within the buffer
    EXPECT_EQ(source.Skip(69985), 69985u);  // past it, by a seek
    char rest[4] = {};
    ASSERT_EQ(source.Read(rest, 1), 1u);
    EXPECT_EQ(rest[0], 'b');
    EXPECT_EQ(source.Skip(50), 2u);
    EXPECT_EQ(source.Read(rest, 1), 0u);
    EXPECT_FALSE(source.Failed());
}

TEST(Run, ListNamesEveryMember) {
    auto r = RunCommand("l " + Quote(DataFile("level2o7.lzh")));
    ASSERT_EQ(r.result, 0) << r.text;
    EXPECT_NE(r.text.find("-lh7- 653C sub\\numbers.txt"), std::string::npos) << r.text;
    EXPECT_NE(r.text.find("-lh0- 2DEE binary.dat"), std::string::npos) << r.text;
}

}  // namespace

namespace {

// The list the backups and the checks read is made with extraction's own name test: an unsafe
// member stops it with extraction's own text, before any path is made from the name.
TEST(ListTargets, RefusesWhatExtractionRefusesWithItsText) {
    TempDir dir;
    for (const std::string bad : {"NUL", "CON.TXT", "tovaka1.ini:evil", "AUX", "COM1.DAT", "a.txt.",
                                  "tab\tname", "dir\\LPT1"}) {
        archiver_test::StoredArchive archive;
        archive.Add("good.txt", "good").Add(bad, "bad");
        WriteFile(dir / "a.lzh", archive.Bytes());
        std::vector<std::string> targets;
        std::string refusal;
        EXPECT_FALSE(archiver::ListTargets(dir / "a.lzh", "C:\\P\\SYS\\", targets, &refusal))
            << bad;
        const archiver_test::RunResult extracted = archiver_test::RunCommand(
            "e \"" + dir / "a.lzh" + "\" \"" + dir / "out\\" + "\"");
        EXPECT_NE(extracted.result, 0) << bad;
        EXPECT_EQ(refusal, extracted.text) << bad;
        EXPECT_NE(refusal.find(std::string(archiver::kMemberLabel) + bad), std::string::npos)
            << refusal;
        EXPECT_EQ(targets, (std::vector<std::string>{"C:\\P\\SYS\\good.txt"})) << bad;
    }
    // An archive that merely cannot be read through gives no refusal: its extraction says why.
    WriteFile(dir / "cut.lzh", ReadFile(DataFile("level0o5.lzh")).substr(0, 3000));
    std::vector<std::string> targets;
    std::string refusal;
    EXPECT_FALSE(archiver::ListTargets(dir / "cut.lzh", "C:\\P\\", targets, &refusal));
    EXPECT_TRUE(refusal.empty()) << refusal;
}

}  // namespace
