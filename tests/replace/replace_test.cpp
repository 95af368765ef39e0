// Replacing a file on the real platform: a replace that fails keeps the old file exactly as
// it was, and no replace leaves a temporary file beside its target.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "framework/files.h"
#include "framework/handles.h"
#include "replace/replace_file.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::FileExists;
using testing_support::MakeDir;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

using Names = std::vector<std::string>;

// cp932 names, as the replace takes them on any system code page.
Names ListFolder(const std::string& folder) {
    Names names;
    framework::FileFind find;
    for (bool more = find.FindFile(folder + "*"); more; more = find.Next()) {
        if (!find.IsDots()) {
            names.push_back(find.FileName());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

DWORD Attributes(const std::string& path) {
    return framework::AttributesOf(path);
}

// Answers every replace with `answer` and keeps the targets it was asked about.
class RecordingObserver : public replace::Observer {
public:
    explicit RecordingObserver(bool answer) : answer_(answer) {}
    bool BeforePutInPlace(const std::string& target) override {
        asked.push_back(target);
        return answer_;
    }
    Names asked;

private:
    bool answer_;
};

// More than three buffers' worth, so every way a write meets the 64 KB buffer is taken.
std::string NewContent() {
    std::string content(200000, '\0');
    for (size_t i = 0; i < content.size(); ++i) {
        content[i] = static_cast<char>(i * 7 + i / 251);
    }
    return content;
}

enum class Writer { kNewFile, kCopy };

// Writes the content in pieces of the buffer's edge sizes and commits `declared` bytes.
bool WriteThroughNewFile(const std::string& target, const std::string& content, uint64_t declared,
                         replace::Observer* observer) {
    const size_t pieces[] = {1, 65535, 65536, 65537, 7};
    replace::NewFile file(target);
    for (size_t at = 0, i = 0; at < content.size(); ++i) {
        const size_t n = std::min(pieces[i % 5], content.size() - at);
        if (!file.Write(content.data() + at, n)) {
            return false;
        }
        at += n;
    }
    return file.Commit(declared, observer);
}

enum class Old { kFile, kFolder, kNothing };

struct Scene {
    const char* name;
    Writer writer;
    const char* target;  // in the test's folder
    Old old;
    bool readOnly = false;
    bool locked = false;   // held open by another program that allows no delete
    bool refused = false;  // the observer says no
    int64_t declaredExtra = 0;
    bool sourceMissing = false;
};

void PrintTo(const Scene& s, std::ostream* os) {
    *os << s.name;
}

// In folders of Japanese names: the suites also run at the system code pages 1252 and 65001.
class Replace : public ::testing::TestWithParam<Scene> {
protected:
    void SetUp() override {
        ASSERT_EQ(::GetACP(), testing_support::NamedCodePage());
        MakeDir(base_ / "データ");
        MakeDir(dir_);
        const Scene& s = GetParam();
        target_ = dir_ + s.target;
        if (s.old == Old::kFile) {
            WriteFile(target_, "old");
        } else if (s.old == Old::kFolder) {
            MakeDir(target_);
        }
        if (s.readOnly) {
            ASSERT_TRUE(framework::SetAttributesOf(target_, FILE_ATTRIBUTE_READONLY));
        }
        if (!s.sourceMissing) {
            WriteFile(source_, content_);
        }
        attributes_ = Attributes(target_);
        before_ = ListFolder(dir_);
    }
    void TearDown() override { framework::SetAttributesOf(target_, FILE_ATTRIBUTE_NORMAL); }

    bool Run() {
        const Scene& s = GetParam();
        RecordingObserver observer(!s.refused);
        framework::File held;
        if (s.locked) {
            held.Reset(framework::OpenPath(target_, GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0));
            EXPECT_TRUE(held);
        }
        const bool replaced =
            s.writer == Writer::kCopy
                ? replace::ReplaceWithCopy(source_, target_, &observer)
                : WriteThroughNewFile(target_, content_, content_.size() + s.declaredExtra,
                                      &observer);
        asked_ = observer.asked;
        return replaced;
    }

    TempDir sourceDir_;
    std::string source_ = sourceDir_ / "元データ.DAT";
    TempDir base_;
    std::string dir_ = base_ / "データ\\表\\";  // trail bytes 0x5C: "表" is 0x95 0x5C
    std::string target_;
    std::string content_ = NewContent();
    DWORD attributes_ = 0;
    Names before_;
    Names asked_;
};

class Refused : public Replace {};

TEST_P(Refused, KeepsTheOldFileAsItWasAndNoTemporary) {
    const Scene& s = GetParam();
    EXPECT_FALSE(Run());
    EXPECT_EQ(Attributes(target_), attributes_);
    if (s.old == Old::kFile) {
        EXPECT_EQ(ReadFile(target_), "old");
    }
    EXPECT_EQ(ListFolder(dir_), before_);
    if (s.old != Old::kFolder) {
        EXPECT_EQ(ListFolder(target_ + "\\"), Names{});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Failures, Refused,
    ::testing::Values(
        Scene{"LockedTarget", Writer::kNewFile, "FILE.DAT", Old::kFile, false, true},
        Scene{"LockedReadOnlyTarget", Writer::kNewFile, "材料表.DAT", Old::kFile, true, true},
        Scene{"FolderInItsPlace", Writer::kNewFile, "FILE.DAT", Old::kFolder},
        Scene{"MissingFolder", Writer::kNewFile, "音声\\FILE.DAT", Old::kNothing},
        Scene{"FewerBytesThanDeclared", Writer::kNewFile, "FILE.DAT", Old::kFile, false, false,
              false, 1},
        Scene{"MoreBytesThanDeclared", Writer::kNewFile, "FILE.DAT", Old::kFile, false, false,
              false, -1},
        Scene{"ObserverRefuses", Writer::kNewFile, "FILE.DAT", Old::kFile, false, false, true},
        Scene{"ObserverRefusesReadOnly", Writer::kNewFile, "FILE.DAT", Old::kFile, true, false,
              true},
        Scene{"ObserverRefusesNewTarget", Writer::kNewFile, "単価.lzh", Old::kNothing, false, false,
              true},
        Scene{"CopyOverLockedTarget", Writer::kCopy, "FILE.DAT", Old::kFile, false, true},
        Scene{"CopyOverFolder", Writer::kCopy, "FILE.DAT", Old::kFolder},
        Scene{"CopyRefused", Writer::kCopy, "FILE.DAT", Old::kFile, true, false, true},
        Scene{"CopyOfMissingSource", Writer::kCopy, "FILE.DAT", Old::kFile, false, false, false, 0,
              true}),
    [](const auto& info) { return std::string(info.param.name); });

class Replaced : public Replace {};

TEST_P(Replaced, HoldsTheNewContentAndNoTemporary) {
    EXPECT_TRUE(Run());
    EXPECT_EQ(ReadFile(target_), content_);
    EXPECT_EQ(Attributes(target_) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(asked_, Names{target_});
    Names expected = before_;
    if (GetParam().old == Old::kNothing) {
        expected.push_back(GetParam().target);
    }
    EXPECT_EQ(ListFolder(dir_), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Successes, Replaced,
    ::testing::Values(Scene{"PlainTarget", Writer::kNewFile, "FILE.DAT", Old::kFile},
                      Scene{"NewTarget", Writer::kNewFile, "材料表.DAT", Old::kNothing},
                      Scene{"ReadOnlyTarget", Writer::kNewFile, "ソ.DAT", Old::kFile, true},
                      Scene{"CopyOverPlainTarget", Writer::kCopy, "FILE.DAT", Old::kFile},
                      Scene{"CopyToNewTarget", Writer::kCopy, "単価.lzh", Old::kNothing},
                      Scene{"CopyOverReadOnlyTarget", Writer::kCopy, "ソ.DAT", Old::kFile, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReplaceWithCopy, KeepsTheSourcesLastWriteTime) {
    TempDir dir;
    WriteFile(dir / "from", "new");
    WriteFile(dir / "to", "old");
    const FILETIME past{0x12345678u, 0x01C00000u};
    {
        framework::File from(CreateFileA((dir / "from").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(SetFileTime(from.Get(), nullptr, nullptr, &past));
    }
    ASSERT_TRUE(replace::ReplaceWithCopy(dir / "from", dir / "to", nullptr));
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExA((dir / "to").c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(CompareFileTime(&data.ftLastWriteTime, &past), 0);
}

// The master conversion's work file: emptied when present, gone afterwards however it ends,
// and never removed when it is not a file the replace could create.
TEST(NamedWorkFile, IsCreatedAnewAndNeverLeftBehind) {
    TempDir dir;
    const std::string target = dir / "zai001-3.mst";
    const std::string work = dir / "temp.mst";
    for (bool refused : {true, false}) {
        WriteFile(target, "old");
        WriteFile(work, "stale work file of an earlier run");
        RecordingObserver observer(!refused);
        replace::NewFile file(target, work);
        ASSERT_TRUE(file.Write("new", 3));
        EXPECT_EQ(file.Commit(3, &observer), !refused);
        EXPECT_EQ(ReadFile(target), refused ? "old" : "new");
        EXPECT_FALSE(FileExists(work));
    }
    MakeDir(work);
    replace::NewFile blocked(target, work);
    EXPECT_FALSE(blocked.created());
    EXPECT_FALSE(blocked.Commit(0, nullptr));
    EXPECT_EQ(ListFolder(dir.path()), (Names{"temp.mst", "zai001-3.mst"}));
}

// Only the observer handed to a replace hears of it: replaces side by side stay apart.
TEST(Observer, OnlyTheOneHandedToTheReplaceIsAsked) {
    TempDir dir;
    RecordingObserver yes(true), no(false);
    EXPECT_FALSE(WriteThroughNewFile(dir / "a", "a", 1, &no));
    EXPECT_TRUE(WriteThroughNewFile(dir / "b", "b", 1, &yes));
    EXPECT_TRUE(WriteThroughNewFile(dir / "c", "c", 1, nullptr));
    EXPECT_EQ(no.asked, Names{dir / "a"});
    EXPECT_EQ(yes.asked, Names{dir / "b"});
    EXPECT_TRUE(replace::AnnounceReplaces(nullptr, {dir / "d"}));
    EXPECT_FALSE(replace::AnnounceReplaces(&no, {dir / "d"}));
    EXPECT_EQ(ListFolder(dir.path()), (Names{"b", "c"}));
}

DWORD WINAPI LetGoSoon(void* held) {
    Sleep(300);
    static_cast<framework::File*>(held)->Reset();
    return 0;
}

// A virus scanner, or a program just closing, holds the old file for a moment: the one step
// waits for it (about two seconds at most) rather than failing.
TEST(MoveOver, WaitsForAMomentaryHolder) {
    TempDir dir;
    WriteFile(dir / "target.dat", "old");
    WriteFile(dir / "new.dat", "new");
    framework::File held(CreateFileA((dir / "target.dat").c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                     nullptr));
    ASSERT_TRUE(held);
    framework::KernelObject holder(CreateThread(nullptr, 0, LetGoSoon, &held, 0, nullptr));
    const DWORD start = GetTickCount();
    EXPECT_TRUE(replace::MoveOver(dir / "new.dat", dir / "target.dat"));
    const DWORD took = GetTickCount() - start;
    WaitForSingleObject(holder.Get(), INFINITE);
    EXPECT_EQ(ReadFile(dir / "target.dat"), "new");
    EXPECT_GE(took, 250u);
}

// One held for good fails after the wait, with the sharing violation as its error.
TEST(MoveOver, GivesUpOnAHolderAfterAboutTwoSeconds) {
    TempDir dir;
    WriteFile(dir / "target.dat", "old");
    WriteFile(dir / "new.dat", "new");
    framework::File held(CreateFileA((dir / "target.dat").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                     nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    const DWORD start = GetTickCount();
    EXPECT_FALSE(replace::MoveOver(dir / "new.dat", dir / "target.dat"));
    const DWORD error = GetLastError();
    const DWORD took = GetTickCount() - start;
    EXPECT_TRUE(error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED) << error;
    EXPECT_GE(took, 1900u);
    EXPECT_LT(took, 4000u);
    held.Reset();
    EXPECT_EQ(ReadFile(dir / "target.dat"), "old");
}

}  // namespace

namespace {

// Where Windows can say where the new file truly lies, it is put in place only where it was
// meant to be: a folder swapped for a link since its check would send it elsewhere.
TEST(ReplaceWhereMeant, TheNewFileGoesInOnlyWhereItWasMeantToBe) {
    testing_support::TempDir dir, elsewhere;
    testing_support::WriteFile(dir / "A.DAT", "old");
    {
        replace::NewFile file(dir / "A.DAT");
        ASSERT_TRUE(file.Write("new", 3));
        EXPECT_FALSE(file.Commit(3, nullptr, elsewhere / "A.DAT"));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANT_RESOLVE_FILENAME));
    }
    EXPECT_EQ(testing_support::ReadFile(dir / "A.DAT"), "old");
    replace::NewFile file(dir / "A.DAT");
    ASSERT_TRUE(file.Write("new", 3));
    EXPECT_TRUE(file.Commit(3, nullptr, dir / "a.dat"));
    EXPECT_EQ(testing_support::ReadFile(dir / "A.DAT"), "new");
}

}  // namespace
