// Folders held from a check to the last change, the final-path check, and the one-run lock.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "trust/held_way.h"
#include "trust/run_lock.h"
#include "trust/texts.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::TempDir;
using testing_support::WriteFile;

bool UnderWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

std::string NoSeparator(std::string path) {
    while (path.size() > 3 && path.back() == '\\') {
        path.pop_back();
    }
    return path;
}

TEST(HeldWay, NoFolderOnTheWayCanBeRenamedOrRemovedWhileHeld) {
    TempDir dir;
    testing_support::MakeDir(dir / "A");
    testing_support::MakeDir(dir / "A\\B");
    const std::string root = NoSeparator(dir.path());
    trust::HeldWay way;
    ASSERT_TRUE(way.Hold(root, dir / "A\\B")) << way.refused() << ": " << way.why();
    // Wine shares folders whatever their handles ask (it enforces share modes on files only):
    // there the holding is shown by the final-path check and the restore's tests.
    for (const char* folder : {"A", "A\\B"}) {
        if (!UnderWine()) {
            EXPECT_FALSE(MoveFileA((dir / folder).c_str(), (dir / "moved").c_str())) << folder;
        }
    }
    WriteFile(dir / "A\\B\\F.DAT", "written through the held way");  // writing goes on
    way.Release(dir / "A\\B");
    EXPECT_FALSE(way.Holds(dir / "A\\B"));
    EXPECT_TRUE(way.Holds(dir / "A"));
    EXPECT_TRUE(MoveFileA((dir / "A\\B").c_str(), (dir / "A\\C").c_str()));
    way.ReleaseAll();
    EXPECT_TRUE(MoveFileA((dir / "A").c_str(), (dir / "moved").c_str()));
}

TEST(HeldWay, AFileOnTheWayIsRefusedAndNamed) {
    TempDir dir;
    WriteFile(dir / "A", "a file where a folder should be");
    trust::HeldWay way;
    EXPECT_FALSE(way.Hold(NoSeparator(dir.path()), dir / "A\\B"));
    EXPECT_EQ(way.refused(), dir / "A");
    EXPECT_FALSE(way.refusedAsLink());
}

TEST(FinalPath, AFileLiesWhereItIsHoweverSpelled) {
    TempDir dir;
    WriteFile(dir / "Name.DAT", "x");
    std::string actual;
    const trust::Where where = trust::WhereIs(dir / "Name.DAT", dir / "name.dat", &actual);
    EXPECT_NE(where, trust::Where::kElsewhere) << actual;
    EXPECT_NE(trust::WhereIs(dir / "Name.DAT", dir / "other.dat"), trust::Where::kThere);
}

TEST(RunLock, ASecondRunOfTheSameProductIsBusyUntilTheFirstEnds) {
    TempDir product;
    testing_support::MakeDir(product / "RENOVO.BAK");
    trust::RunLock first;
    ASSERT_EQ(first.Take(product.path()), trust::Lock::kTaken);
    EXPECT_TRUE(
        testing_support::FileExists(product / "RENOVO.BAK\\" + std::string(trust::kLockName)));
    for (const std::string& spelling :
         {product.path(), NoSeparator(product.path()), product / "."}) {
        trust::RunLock second;
        EXPECT_EQ(second.Take(spelling), trust::Lock::kBusy) << spelling;
        EXPECT_FALSE(second.held());
    }
    TempDir other;
    trust::RunLock elsewhere;
    EXPECT_EQ(elsewhere.Take(other.path()), trust::Lock::kTaken);
    first.Release();
    EXPECT_FALSE(
        testing_support::FileExists(product / "RENOVO.BAK\\" + std::string(trust::kLockName)));
    trust::RunLock third;
    EXPECT_EQ(third.Take(product.path()), trust::Lock::kTaken);
}

TEST(RunLock, ItsNameIsOneForEverySpellingOfTheFolder) {
    TempDir product;
    EXPECT_EQ(trust::LockNameFor(product.path()), trust::LockNameFor(NoSeparator(product.path())));
    std::string upper = product.path();
    for (char& c : upper) {
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    }
    EXPECT_EQ(trust::LockNameFor(product.path()), trust::LockNameFor(upper));
    EXPECT_EQ(trust::LockNameFor(product.path()).find('\\', 7), std::string::npos);
}

}  // namespace
