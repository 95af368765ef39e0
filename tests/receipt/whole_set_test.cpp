// A folder holds a whole set only when every entry's own file is there, found as the disk
// prompt finds it.
#include <gtest/gtest.h>

#include "receipt/whole_set.h"

namespace {

using receipt::SetEntry;

const std::vector<SetEntry> kSet = {{1, "START"}, {2, "M.DAT"}, {1, "DATA2"}, {1, "SUB\\X"}};

TEST(WholeSet, EveryEntrysFileMustBeThere) {
    struct Case {
        const char* name;
        std::vector<std::string> listing;
        bool whole;
    } cases[] = {
        {"one folder", {"RENOVO.EXE", "info.txt", "START1.lzh", "M.DAT", "DATA2.lzh", "SUB\\X.lzh"}, true},
        {"case ignored", {"start1.LZH", "m.dat", "Data2.Lzh", "sub\\x.lzh"}, true},
        {"disk 1 only", {"RENOVO.EXE", "info.txt", "START1.lzh", "M.DAT"}, false},
        {"another variant", {"START0.lzh", "M.DAT", "DATA2.lzh", "SUB\\X.lzh"}, false},
        {"archive without .lzh", {"START1.lzh", "M.DAT", "DATA2", "SUB\\X.lzh"}, false},
        {"plain file as .lzh", {"START1.lzh", "M.DAT.lzh", "DATA2.lzh", "SUB\\X.lzh"}, false},
        {"not in its folder", {"START1.lzh", "M.DAT", "DATA2.lzh", "X.lzh"}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(receipt::HoldsWholeSet(kSet, 1, c.listing), c.whole) << c.name;
    }
    EXPECT_TRUE(receipt::HoldsWholeSet({}, 1, {}));
}

TEST(WholeSet, FileOnDisk) {
    struct Case {
        SetEntry entry;
        int system;
        std::string file;
    } cases[] = {
        {{1, "START"}, 7, "START7.lzh"},
        {{1, "SYSTEM\\START"}, 2, "SYSTEM\\START2.lzh"},
        {{2, "START"}, 7, "START"},  // a plain file is not a variant
        {{1, "STARTX"}, 7, "STARTX.lzh"},
        {{2, "M.DAT"}, 7, "M.DAT"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(receipt::FileOnDisk(c.entry, c.system), c.file) << c.entry.name;
    }
}

TEST(WholeSet, FoldersToList) {
    // "\x83\x5c" is ソ, whose trail byte is '\': no folder.
    std::vector<SetEntry> entries = {{1, "A"}, {1, "sub\\X"}, {2, "SUB\\Y.DAT"},
                                     {2, "\x83\x5c.DAT"}, {1, "P\\Q\\R"}};
    EXPECT_EQ(receipt::FoldersToList(entries), (std::vector<std::string>{"", "SUB\\", "P\\Q\\"}));
}

}  // namespace
