// Junctions and symbolic links in and around a backup set: pruning, retiring and restoring
// never follow one. Run by with_links.sh, which makes the links on the Linux side (Wine makes
// none, but reports a Linux link to a folder as a reparse point); skipped otherwise.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "backup/backup_set.h"
#include "backup/restore.h"
#include "backup/texts.h"
#include "replace/replace_file.h"
#include "tests/engine/update_run_support.h"
#include "tests/support/test_support.h"
#include "trust/held_way.h"

namespace {

using backup::BackupSet;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;
using update_test::PutInPlace;
using update_test::Snapshot;

// The Unix path Wine maps a Windows path to (a kernel32 export of Wine's own).
std::string UnixPath(const std::string& path) {
    using Convert = char*(CDECL*)(const wchar_t*);
    const auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (convert == nullptr) {
        return {};
    }
    std::wstring wide(path.size() + 1, L'\0');
    wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(),
                                                        static_cast<int>(wide.size()))) -
                1);
    char* unix = convert(wide.c_str());
    const std::string out = unix != nullptr ? unix : "";
    HeapFree(GetProcessHeap(), 0, unix);
    return out;
}

class Links : public ::testing::Test {
protected:
    void SetUp() override {
        const char* work = std::getenv("RENOVO_LINKS");
        if (work == nullptr || *work == '\0') {
            GTEST_SKIP() << "run by tests/backup/with_links.sh, which makes the links";
        }
        requests_ = work;
        WriteFile(product_ / "A.DAT", "old a");
        testing_support::MakeDir(product_ / "SUB");
        WriteFile(product_ / "SUB\\B.DAT", "old b");
        WriteFile(outside_ / "victim.txt", "not the product's");
        WriteFile(outside_ / "B.DAT", "not the product's either");
        before_ = Snapshot(product_.path());
    }
    // The links go before the folders are removed (removing them would follow a link).
    void TearDown() override {
        for (const std::string& link : links_) {
            Ask("rm\n" + UnixPath(link) + "\n");
        }
        if (!links_.empty()) {
            EXPECT_EQ(Snapshot(outside_.path()), victims_)
                << "something was changed through a link";
        }
    }
    // A symbolic link at `link` to the folder outside, made by the script.
    void Link(const std::string& link) {
        if (links_.empty()) {
            victims_ = Snapshot(outside_.path());
        }
        ASSERT_NO_FATAL_FAILURE(
            Ask("ln\n" + UnixPath(link) + "\n" + UnixPath(outside_.path()) + "\n"));
        ASSERT_TRUE(backup::IsLink(GetFileAttributesA(link.c_str()))) << link;
        links_.push_back(link);
    }
    void Ask(const std::string& request) {
        const std::string name = requests_ + "\\" + std::to_string(++asked_) + ".req";
        WriteFile(name + ".new", request);
        ASSERT_TRUE(MoveFileA((name + ".new").c_str(), name.c_str()));
        for (int i = 0; i < 500 && GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES;
             ++i) {
            Sleep(20);
        }
        ASSERT_EQ(GetFileAttributesA(name.c_str()), INVALID_FILE_ATTRIBUTES) << "not served";
    }
    std::string Bak() const { return product_ / backup::kBackupFolder; }
    std::vector<std::string> Sets() const {
        std::vector<std::string> sets;
        WIN32_FIND_DATAA entry;
        HANDLE find = FindFirstFileA((Bak() + "\\*").c_str(), &entry);
        for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &entry)) {
            const std::string name = entry.cFileName;
            if (name != "." && name != ".." && !backup::IsLink(entry.dwFileAttributes)) {
                sets.push_back(name);
            }
        }
        FindClose(find);
        return sets;
    }

    std::string requests_;
    int asked_ = 0;
    TempDir product_;
    TempDir outside_;
    std::map<std::string, std::string> before_, victims_;
    std::vector<std::string> links_;
};

// A retired set's name, a set's number and any other name in RENOVO.BAK, each a link to a
// folder outside: pruning deletes nothing there, and a link numbered 9999 is no newest set.
TEST_F(Links, PruningFollowsNone) {
    testing_support::MakeDir(Bak());
    ASSERT_NO_FATAL_FAILURE(Link(Bak() + "\\0002.OLD"));
    ASSERT_NO_FATAL_FAILURE(Link(Bak() + "\\9999"));
    ASSERT_NO_FATAL_FAILURE(Link(Bak() + "\\LEFTOVER"));
    for (int run = 1; run <= 4; ++run) {
        BackupSet set(product_.path());
        ASSERT_TRUE(PutInPlace(set, product_ / "A.DAT", "a" + std::to_string(run))) << run;
    }
    EXPECT_EQ(Sets(), (std::vector<std::string>{"0002", "0003", "0004"}));
    EXPECT_EQ(backup::NewestSet(product_.path()), Bak() + "\\0004");
    for (const char* link : {"\\0002.OLD", "\\9999", "\\LEFTOVER"}) {
        EXPECT_TRUE(backup::IsLink(GetFileAttributesA((Bak() + link).c_str()))) << link;
    }
}

// A link named as the newest set, to a folder with a journal of its own: the restore puts back
// the real set and reads nothing through the link.
TEST_F(Links, ALinkNamedAsTheNewestSetIsNoSet) {
    {
        BackupSet set(product_.path());
        ASSERT_TRUE(PutInPlace(set, product_ / "A.DAT", "new a"));
    }
    WriteFile(outside_ / backup::kJournalName, "NEW\t" + outside_ / "victim.txt" + "\r\n");
    ASSERT_NO_FATAL_FAILURE(Link(Bak() + "\\0009"));
    const backup::RestoreOutcome outcome = backup::RestoreNewestSet(product_.path());
    EXPECT_EQ(outcome.set, Bak() + "\\0001");
    EXPECT_EQ(outcome.refusal, backup::Refusal::kNone) << outcome.why;
    EXPECT_TRUE(outcome.failed.empty());
    EXPECT_EQ(Snapshot(product_.path()), before_);
    EXPECT_FALSE(backup::RestoreNewestSet(product_.path()).found);
}

// A link put into a set: retiring the set removes the link, never what it leads to.
TEST_F(Links, RetiringASetRemovesALinkInsideAsALink) {
    {
        BackupSet set(product_.path());
        ASSERT_TRUE(PutInPlace(set, product_ / "A.DAT", "new a"));
    }
    ASSERT_NO_FATAL_FAILURE(Link(Bak() + "\\0001\\00099"));
    links_.push_back(Bak() + "\\0001.OLD\\00099");  // where a retirement cut short leaves it
    const backup::RestoreOutcome outcome = backup::RestoreNewestSet(product_.path());
    EXPECT_EQ(outcome.refusal, backup::Refusal::kNone) << outcome.why;
    EXPECT_TRUE(outcome.failed.empty());
    EXPECT_EQ(Snapshot(product_.path()), before_);
}

// The update replaced SUB\B.DAT and made SUB\C.DAT; since then SUB has become a link to a folder
// elsewhere. The restore refuses before it changes anything, naming the link.
TEST_F(Links, ALinkOnTheWayRefusesTheWholeSet) {
    {
        BackupSet set(product_.path());
        ASSERT_TRUE(PutInPlace(set, product_ / "A.DAT", "new a"));
        ASSERT_TRUE(PutInPlace(set, product_ / "SUB\\B.DAT", "new b"));
        ASSERT_TRUE(PutInPlace(set, product_ / "SUB\\C.DAT", "new c"));
    }
    ASSERT_TRUE(MoveFileA((product_ / "SUB").c_str(), (product_ / "SUB.AWAY").c_str()));
    ASSERT_NO_FATAL_FAILURE(Link(product_ / "SUB"));
    const backup::RestoreOutcome outcome = backup::RestoreNewestSet(product_.path());
    EXPECT_EQ(outcome.refusal, backup::Refusal::kLink);
    EXPECT_EQ(outcome.refused, product_ / "SUB");
    EXPECT_EQ(ReadFile(product_ / "A.DAT"), "new a");  // nothing changed
    EXPECT_FALSE(backup::NewestSet(product_.path()).empty());
}

}  // namespace

namespace {

// A folder checked, then swapped for a link before the change (as a watcher that waits for the
// run's first open would do): where Windows can say where a file truly lies, the new file is
// not renamed into the folder the link leads to. Wine resolves a Linux link in the final path
// as Windows resolves a junction.
TEST_F(Links, ANewFileIsNotPutInPlaceThroughAFolderSwappedForALink) {
    ASSERT_TRUE(MoveFileA((product_ / "SUB").c_str(), (product_ / "SUB.AWAY").c_str()));
    ASSERT_NO_FATAL_FAILURE(Link(product_ / "SUB"));
    replace::NewFile file(product_ / "SUB\\B.DAT");
    ASSERT_TRUE(file.Write("new b", 5));
    EXPECT_FALSE(file.Commit(5, nullptr, product_ / "SUB\\B.DAT"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANT_RESOLVE_FILENAME));
}

// The same for what a restore does once its checks are behind it: a file is removed or put
// back only where it still lies where it was checked.
TEST_F(Links, TheRestoreTouchesNothingThroughAFolderSwappedAfterTheUpdate) {
    {
        BackupSet set(product_.path());
        ASSERT_TRUE(PutInPlace(set, product_ / "SUB\\B.DAT", "new b"));
    }
    trust::HeldWay way;
    ASSERT_TRUE(way.HoldBelow(product_.path().substr(0, product_.path().size() - 1),
                              product_ / "SUB"));
    way.ReleaseAll();
    ASSERT_TRUE(MoveFileA((product_ / "SUB").c_str(), (product_ / "SUB.AWAY").c_str()));
    ASSERT_NO_FATAL_FAILURE(Link(product_ / "SUB"));
    EXPECT_EQ(trust::WhereIs(product_ / "SUB\\B.DAT", product_ / "SUB\\B.DAT"),
              trust::Where::kElsewhere);
    const backup::RestoreOutcome outcome = backup::RestoreNewestSet(product_.path());
    EXPECT_EQ(outcome.refusal, backup::Refusal::kLink);
    EXPECT_EQ(outcome.refused, product_ / "SUB");
}

}  // namespace
