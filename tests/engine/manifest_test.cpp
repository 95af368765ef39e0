#include <gtest/gtest.h>

#include <vector>

#include "engine/manifest.h"
#include "engine/program_folder.h"
#include "tests/support/test_support.h"
#include "text/cp932.h"

namespace {

using engine::UpdateContext;

// 41 fixed lines whose text names their line number, so a shifted field shows at once.
std::vector<std::string> FixedLines() {
    std::vector<std::string> lines;
    for (int i = 1; i <= 41; ++i) {
        lines.push_back("L" + std::to_string(i));
    }
    return lines;
}

std::string Join(const std::vector<std::string>& lines, const std::string& eol = "\r\n") {
    std::string out;
    for (const std::string& l : lines) {
        out += l + eol;
    }
    return out;
}

class Manifest : public ::testing::Test {
protected:
    UpdateContext Read(const std::string& bytes, int expectResult = 1) {
        testing_support::WriteFile(dir_ / "info.txt", bytes);
        engine::SetProgramFolder(dir_.path());
        UpdateContext ctx;
        EXPECT_EQ(engine::ReadManifest(ctx), expectResult);
        return ctx;
    }
    UpdateContext ReadList(const std::vector<std::string>& list) {
        std::vector<std::string> lines = FixedLines();
        lines.insert(lines.end(), list.begin(), list.end());
        return Read(Join(lines));
    }
    testing_support::TempDir dir_;
};

TEST_F(Manifest, FixedLinesGoToTheirFields) {
    UpdateContext ctx = Read(Join(FixedLines()));
    EXPECT_EQ(ctx.uninstallKeys[0], "L1");
    EXPECT_EQ(ctx.uninstallKeys[14], "L15");
    EXPECT_EQ(ctx.destFolder, "L16");
    EXPECT_EQ(ctx.requiredVersion, "L17");
    EXPECT_EQ(ctx.masterAdjust, "L18");
    EXPECT_EQ(ctx.settingsFile, "L19");
    EXPECT_EQ(ctx.digitizerOption, "L20");
    EXPECT_EQ(ctx.viewBitmap, "L21");
    EXPECT_EQ(ctx.startBitmap, "L22");
    EXPECT_EQ(ctx.destBitmap, "L23");
    EXPECT_EQ(ctx.confirmBitmap, "L24");
    EXPECT_EQ(ctx.startNotes, "L25");
    EXPECT_EQ(ctx.destNotes, "L26");
    EXPECT_EQ(ctx.systemNames[0], "L27");
    EXPECT_EQ(ctx.systemNames[14], "L41");
    EXPECT_EQ(ctx.entryCount, 0);
    EXPECT_EQ(ctx.entryName[0], "c:\\temp\\mib300.lzh");
    EXPECT_EQ(ctx.entryDisk[0], 1);
}

TEST_F(Manifest, MissingFileKeepsInitialValues) {
    engine::SetProgramFolder(dir_ / "nowhere\\");
    UpdateContext ctx;
    ctx.destFolder = "stale";
    EXPECT_EQ(engine::ReadManifest(ctx), 0);
    EXPECT_EQ(ctx.destFolder, "");
    EXPECT_EQ(ctx.entryCount, 0);
    EXPECT_EQ(ctx.entryName[0], "c:\\temp\\mib300.lzh");
}

TEST_F(Manifest, ShortFileLeavesTheRestEmpty) {
    UpdateContext ctx = Read("key\nC:\\PROD\n");
    EXPECT_EQ(ctx.uninstallKeys[0], "key");
    EXPECT_EQ(ctx.uninstallKeys[1], "C:\\PROD");
    EXPECT_EQ(ctx.destFolder, "");
    EXPECT_EQ(ctx.systemNames[14], "");
    EXPECT_EQ(ctx.entryCount, 0);
}

TEST_F(Manifest, LfOnlyAndCp932Text) {
    std::vector<std::string> lines = FixedLines();
    lines[15] = "C:\\ソフト\\";
    lines[26] = "ﾎﾟﾙﾀﾝ";
    UpdateContext ctx = Read(Join(lines, "\n"));
    EXPECT_EQ(ctx.destFolder, "C:\\ソフト\\");
    EXPECT_EQ(ctx.systemNames[0], "ﾎﾟﾙﾀﾝ");
}

struct Entry {
    int disk, kind;
    std::string name, sub;
};

void ExpectEntries(const UpdateContext& ctx, const std::vector<Entry>& want) {
    ASSERT_EQ(ctx.entryCount, static_cast<int>(want.size()));
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(ctx.entryDisk[i], want[i].disk) << i;
        EXPECT_EQ(ctx.entryKind[i] == engine::EntryKind::kArchive, want[i].kind == 1) << i;
        EXPECT_EQ(ctx.entryName[i], want[i].name) << i;
        EXPECT_EQ(ctx.entrySubFolder[i], want[i].sub) << i;
    }
}

TEST_F(Manifest, FileListScan) {
    struct Case {
        const char* what;
        std::vector<std::string> list;
        std::vector<Entry> entries;
    } cases[] = {
        {"plain", {"2,1,sys01,SYSTEM\\"}, {{2, 1, "SYS01", "SYSTEM\\"}}},
        {"non-number disk", {"x,1,A,B"}, {{0, 1, "A", "B"}}},
        {"blanks kept", {" 2,1,A,B", "2,1, a,B "}, {{2, 1, "A", "B"}, {2, 1, " A", "B "}}},
        {"fifth field ignored", {"2,1,A,B,C"}, {{2, 1, "A", "B"}}},
        {"empty line repeats", {"2,1,A,SUB\\", ""}, {{2, 1, "A", "SUB\\"}, {2, 1, "A", "SUB\\"}}},
        {"missing field carried",
         {"2,1,A,SUB\\", "3,1,C"},
         {{2, 1, "A", "SUB\\"}, {3, 1, "C", "SUB\\"}}},
        {"empty field stops scan",
         {"2,1,A,S\\", "4,,B,T\\"},
         {{2, 1, "A", "S\\"}, {4, 1, "A", "S\\"}}},
        {"first line short", {"5,0"}, {{5, 0, "", ""}}},
        {"first line empty", {""}, {{0, 0, "", ""}}},
        {"leading comma", {"2,1,A,B", ",9,9,9"}, {{2, 1, "A", "B"}, {2, 1, "A", "B"}}},
        {"cp932 name upper-cased whole",
         {"1,2,\x82\x61x.ini,SYS\\"},
         {{1, 2, "\x82\x61X.INI", "SYS\\"}}},
        {"NUL ends the line", {std::string("1,1,A\0B,C", 9)}, {{1, 1, "A", ""}}},
        {"lone CR is text", {"1,1,A,B\rC"}, {{1, 1, "A", "B\rC"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectEntries(ReadList(c.list), c.entries);
    }
}

TEST_F(Manifest, LongFieldsAreCutTo31Bytes) {
    std::string longName(40, 'n');
    std::string sub = std::string(30, 's') + "ソ";  // 32 bytes: the last character must go whole
    UpdateContext ctx = ReadList({"1,1," + longName + "," + sub, "2,1,B"});
    ASSERT_EQ(ctx.entryCount, 2);
    EXPECT_EQ(ctx.entryName[0], std::string(31, 'N'));
    EXPECT_EQ(ctx.entrySubFolder[0], std::string(30, 's'));
    EXPECT_EQ(ctx.entrySubFolder[1], std::string(30, 's'));
    EXPECT_EQ(ctx.entryName[1], "B");
}

TEST_F(Manifest, FileListStopsAt100Entries) {
    std::vector<std::string> list;
    for (int i = 0; i < 10000; ++i) {
        list.push_back(std::to_string(i) + ",1,N" + std::to_string(i) + ",S\\");
    }
    UpdateContext ctx = ReadList(list);
    EXPECT_EQ(ctx.entryCount, 100);
    EXPECT_EQ(ctx.entryName[99], "N99");
    EXPECT_EQ(ctx.entryDisk[99], 99);
}

TEST_F(Manifest, ExactlyFortyOneLinesHaveNoFileList) {
    EXPECT_EQ(Read(Join(FixedLines())).entryCount, 0);
    std::string noFinalEol = Join(FixedLines());
    noFinalEol.resize(noFinalEol.size() - 2);
    EXPECT_EQ(Read(noFinalEol).entryCount, 0);
    EXPECT_EQ(Read(Join(FixedLines()) + "1,1,A,B").entryCount, 1);
}

TEST_F(Manifest, FlagsReadByAtoi) {
    struct Case {
        std::string text;
        bool on;
    } cases[] = {{"1", true},  {"01", true}, {"1 ", true}, {"", false},
                 {"0", false}, {"2", false}, {"on", false}};
    for (const Case& c : cases) {
        std::vector<std::string> lines = FixedLines();
        lines[17] = c.text;
        EXPECT_EQ(text::FlagIsOn(Read(Join(lines)).masterAdjust), c.on) << c.text;
    }
}

TEST_F(Manifest, NotesDecoded) {
    std::vector<std::string> lines = FixedLines();
    lines[24] = "A\t\tB";
    lines[25] = "A\txB";
    UpdateContext ctx = Read(Join(lines));
    EXPECT_EQ(ctx.startNotes, "A\r\nB");
    EXPECT_EQ(ctx.destNotes, "A\r\nB");
}

TEST(TabsToLineBreaks, Cases) {
    struct Case {
        std::string in, out;
    } cases[] = {
        {"A\t\tB", "A\r\nB"},
        {"A\txB", "A\r\nB"},
        {"no tabs", "no tabs"},
        {"", ""},
        {"A\t", "A\r"},  // nothing after the TAB to overwrite
        {"\t\t\t", "\r\n\r"},
        {"A\tソB",
         "A\r\n\x5C"
         "B"},  // the filler is one byte, even of a double-byte character
    };
    for (const Case& c : cases) {
        std::string s = c.in;
        engine::TabsToLineBreaks(s);
        EXPECT_EQ(s, c.out);
        EXPECT_EQ(s.size(), c.in.size());
    }
}

TEST(TabsToLineBreaks, HundredTabLimit) {
    std::string s;
    for (int i = 0; i < 101; ++i) {
        s += "\tx";
    }
    engine::TabsToLineBreaks(s);
    EXPECT_EQ(s.find('\t'), 200u);  // the 101st TAB stays
    EXPECT_EQ(s.substr(198, 2), "\r\n");

    std::string atLimit;
    for (int i = 0; i < 100; ++i) {
        atLimit += "\t.";
    }
    engine::TabsToLineBreaks(atLimit);
    EXPECT_EQ(atLimit.find('\t'), std::string::npos);
}

// Garbage must be read without a crash and without any field passing its limit.
TEST_F(Manifest, MalformedFilesAreReadSafely) {
    std::string garbage;
    unsigned seed = 12345;
    for (int i = 0; i < 300000; ++i) {
        seed = seed * 1103515245u + 12345u;
        garbage += static_cast<char>(seed >> 16);
    }
    std::string noEnds = std::string(41 * 10, 'x') + std::string(200000, ',');
    std::string longLines;
    for (int i = 0; i < 45; ++i) {
        longLines += std::string(100 * 1024, 'A' + (i % 26)) + "\r\n";
    }
    for (const std::string& bytes : {garbage, noEnds, longLines, std::string("\r"),
                                     std::string(5000, '\r'), std::string(5000, '\t')}) {
        UpdateContext ctx = Read(bytes);
        ASSERT_LE(ctx.entryCount, 100);
        for (int i = 0; i < ctx.entryCount; ++i) {
            EXPECT_LE(ctx.entryName[i].size(), 31u);
            EXPECT_LE(ctx.entrySubFolder[i].size(), 31u);
        }
    }
    EXPECT_EQ(Read(longLines).uninstallKeys[0].size(), 100u * 1024);
    EXPECT_EQ(Read(std::string("\r")).uninstallKeys[0], "\r");
}

}  // namespace

namespace {

// What a file-list subfolder may be: a folder inside the installation folder, and nothing that
// Windows would resolve outside it, whichever separator divides its parts.
TEST(SubFolder, StaysInsideTheInstallationFolder) {
    for (const char* inside : {"", ".\\", "SYSTEM\\", "NEW\\DEEP\\", "SYS/DATA/", "a..b\\", "..a\\",
                               "\x95\x5C\\", "音声\\", " x\\"}) {
        EXPECT_TRUE(engine::SubFolderStaysInside(inside)) << inside;
    }
    for (const char* outside :
         {"..\\outside\\", "../outside/", "SUB\\..\\..\\x\\", "SUB/../../x/", "SUB\\../x\\", "..",
          "...\\", ". .\\", ".. \\", "C:\\outside\\", "C:outside\\", "c:", "\\outside\\",
          "/outside/", "\\\\server\\share\\", "//server/share/", "SUB\\x:stream\\"}) {
        EXPECT_FALSE(engine::SubFolderStaysInside(outside)) << outside;
    }
}

TEST(SubFolder, TheFirstEntryThatLeavesIsNamed) {
    engine::UpdateContext ctx;
    ctx.entryCount = 3;
    ctx.entrySubFolder[0] = "SYSTEM\\";
    ctx.entrySubFolder[1] = "..\\outside\\";
    ctx.entrySubFolder[2] = "C:\\";
    EXPECT_EQ(engine::FirstEscapingEntry(ctx), 1);
    ctx.entryCount = 1;
    EXPECT_EQ(engine::FirstEscapingEntry(ctx), -1);
}

}  // namespace
