// A member that does not fit the destination's disk: the installed file stays byte for byte,
// and nothing of the member is left on the disk.
#include <gtest/gtest.h>

#include <string>

#include "tests/archiver/fixture.h"
#include "tests/support/test_support.h"

namespace {

using archiver_test::ListFolder;
using archiver_test::RunCommand;
using archiver_test::StoredArchive;
using testing_support::ReadFile;
using testing_support::SmallDiskFolder;
using testing_support::TempDir;
using testing_support::WriteFile;

std::string Pattern(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * seed) >> 3);
    }
    return bytes;
}

TEST(FullDisk, MemberLargerThanTheDiskKeepsTheInstalledFile) {
    SmallDiskFolder disk;
    if (!disk.unavailable().empty()) {
        GTEST_SKIP() << disk.unavailable();
    }
    TempDir dir;
    // Twice the disk: written in place, it would fill the disk half-way through.
    WriteFile(dir / "big.lzh",
              StoredArchive().Add("BIG.DAT", Pattern(2 << 20, 7)).Add("NEXT.TXT", "n").Bytes());
    const std::string installed = Pattern(300 << 10, 13);
    WriteFile(disk / "BIG.DAT", installed);
    WriteFile(disk / "OTHER.TXT", "other");

    auto r = RunCommand("e -mcwC:\\WINDOWS \"" + dir / "big" + "\" \"" + disk.path() + "\"");
    EXPECT_NE(r.result, 0);
    EXPECT_EQ(r.text.rfind("ファイルを書き込めません。", 0), 0u) << r.text;
    EXPECT_NE(r.text.find("BIG.DAT"), std::string::npos) << r.text;
    EXPECT_TRUE(ReadFile(disk / "BIG.DAT") == installed);
    EXPECT_EQ(ListFolder(disk.path()), (std::vector<std::string>{"BIG.DAT", "OTHER.TXT"}));
}

}  // namespace
