// The checks before a disk's first change, one by one, at the edges Windows sets.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "engine/change_checks.h"
#include "engine/texts.h"
#include "framework/handles.h"
#include "settings/folder_checks.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::TempDir;
using testing_support::WriteFile;

// A path of exactly `length` characters below `dir` (components of at most 200).
std::string PathOfLength(const TempDir& dir, size_t length) {
    std::string path = dir.path();
    while (path.size() + 201 < length) {
        path += std::string(199, 'd') + "\\";
    }
    return path + std::string(length - path.size(), 'f');
}

struct LengthCase {
    size_t length;
    bool fits;
};

class PathLength : public ::testing::TestWithParam<LengthCase> {
protected:
    TempDir dir_;
};

TEST_P(PathLength, FitsBelowMaxPath) {
    EXPECT_EQ(settings::PathFits(PathOfLength(dir_, GetParam().length)), GetParam().fits);
}

INSTANTIATE_TEST_SUITE_P(Edges, PathLength,
                         ::testing::Values(LengthCase{258, true}, LengthCase{259, true},
                                           LengthCase{260, false}, LengthCase{400, false}));

// A double-byte character counts once, as Windows counts it.
TEST(PathFits, CountsCharactersNotBytes) {
    TempDir dir;
    std::string path = dir.path();
    for (int i = 0; i < 150; ++i) {
        path += "\x89\xb9";  // 音
    }
    EXPECT_GT(path.size(), 260u);
    EXPECT_TRUE(settings::PathFits(path));
}

// GetTempFileNameA takes a folder of at most MAX_PATH - 14 characters, separator included.
class TempFolder : public ::testing::TestWithParam<LengthCase> {
protected:
    TempDir dir_;
};

TEST_P(TempFolder, FitsUpToMaxPathLessFourteen) {
    const std::string folder = PathOfLength(dir_, GetParam().length - 1) + "\\";
    EXPECT_EQ(engine::FolderFits(folder), GetParam().fits);
    EXPECT_EQ(engine::FolderFits(folder.substr(0, folder.size() - 1)), GetParam().fits);
}

INSTANTIATE_TEST_SUITE_P(Edges, TempFolder,
                         ::testing::Values(LengthCase{245, true}, LengthCase{246, true},
                                           LengthCase{247, false}));

TEST(FolderTakesFiles, LeavesNothingBehind) {
    TempDir dir;
    EXPECT_TRUE(engine::FolderTakesFiles(dir.path()));
    WIN32_FIND_DATAA data;
    framework::FindHandle find(FindFirstFileA((dir / "*").c_str(), &data));
    int entries = 0;
    if (find) {
        do {
            ++entries;
        } while (FindNextFileA(find.Get(), &data));
    }
    EXPECT_EQ(entries, 2);  // "." and ".."
}

// A folder the run will make is judged by the nearest one above it that exists.
TEST(FolderTakesFiles, FolderToBeMadeIsJudgedByItsParent) {
    TempDir dir;
    EXPECT_TRUE(engine::FolderTakesFiles(dir / "NEW\\DEEPER\\"));
    EXPECT_FALSE(testing_support::FileExists(dir / "NEW"));
    EXPECT_FALSE(engine::FolderTakesFiles("K:\\nowhere\\"));  // no such drive
}

class HeldFiles : public ::testing::Test {
protected:
    framework::File Hold(const std::string& path) {
        return framework::File(
            CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    }
    TempDir dir_;
};

TEST_F(HeldFiles, OnlyFilesAnotherHandleHoldsCount) {
    WriteFile(dir_ / "held.dat", "x");
    WriteFile(dir_ / "free.dat", "x");
    WriteFile(dir_ / "readonly.dat", "x");
    SetFileAttributesA((dir_ / "readonly.dat").c_str(), FILE_ATTRIBUTE_READONLY);
    framework::File held = Hold(dir_ / "held.dat");
    // Shared for reading and writing, but not for deletion: a rename over it would fail.
    WriteFile(dir_ / "shared.dat", "x");
    framework::File shared(CreateFileA((dir_ / "shared.dat").c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       0, nullptr));
    const auto found = engine::FindHeldFiles({dir_ / "held.dat", dir_ / "free.dat",
                                              dir_ / "readonly.dat", dir_ / "missing.dat",
                                              dir_ / "shared.dat", dir_ / "HELD.DAT", dir_.path()});
    SetFileAttributesA((dir_ / "readonly.dat").c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].path, dir_ / "held.dat");
    EXPECT_EQ(found[1].path, dir_ / "shared.dat");
}

DWORD WINAPI LetGoSoon(void* held) {
    Sleep(300);
    static_cast<framework::File*>(held)->Reset();
    return 0;
}

// A virus scanner lets go of a file within a moment: that is no file in use.
TEST_F(HeldFiles, OneLetGoWithinASecondIsNotReported) {
    WriteFile(dir_ / "scanned.dat", "x");
    framework::File held = Hold(dir_ / "scanned.dat");
    ASSERT_TRUE(held);
    framework::KernelObject scanner(CreateThread(nullptr, 0, LetGoSoon, &held, 0, nullptr));
    const auto found = engine::FindHeldFiles({dir_ / "scanned.dat"});
    WaitForSingleObject(scanner.Get(), INFINITE);
    EXPECT_TRUE(found.empty());
}

TEST(HeldFilesMessage, NamesEachFileAndItsPrograms) {
    const std::string text =
        engine::HeldFilesMessage({{"C:\\P\\A.EXE", "TOVAKA"}, {"C:\\P\\B.DAT", ""}});
    EXPECT_EQ(text, std::string(engine::kFilesInUse) +
                        "\n\nC:\\P\\A.EXE (TOVAKA)\nC:\\P\\B.DAT\n\n" + engine::kCloseAndRetry);
}

// Nothing holds the file: Restart Manager (or its absence, as on Windows XP) names no one.
TEST(ProgramsHolding, NoOneForAFreeFile) {
    TempDir dir;
    WriteFile(dir / "free.dat", "x");
    EXPECT_EQ(engine::ProgramsHolding(dir / "free.dat"), "");
}

}  // namespace
