#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "framework/handles.h"
#include "framework/wide.h"
#include "replace/replace_file.h"
#include "settings/masters.h"
#include "settings/texts.h"
#include "tests/settings/master_records.h"
#include "tests/support/test_support.h"

namespace {

using settings::LineRule;
using testing_support::FileExists;
using testing_support::MakeDir;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

using master_records::Record;
using master_records::WithoutByte66;

// Works inside a temporary current folder with the relative master prefix "M", so that the
// folders "M1\" and "M21\" stay far below what Windows takes.
class MasterFolders : public ::testing::Test {
protected:
    void SetUp() override {
        saved_.resize(MAX_PATH + 1);
        saved_.resize(GetCurrentDirectoryA(MAX_PATH + 1, saved_.data()));
        ASSERT_TRUE(SetCurrentDirectoryA(dir_.path().c_str()));
        MakeDir(dir_ / "M1");
        MakeDir(dir_ / "M21");
        WriteFile(settings_, "[DIR]\r\nMASTER=M\r\n");
    }
    void TearDown() override { SetCurrentDirectoryA(saved_.c_str()); }

    std::string First(const std::string& name) const { return dir_ / ("M1\\" + name); }
    std::string Second(const std::string& name) const { return dir_ / ("M21\\" + name); }

    TempDir dir_;
    std::string saved_;
    std::string settings_ = dir_ / "tovaka1.ini";
};

TEST_F(MasterFolders, LineRulesAndTextModeOverWholeFiles) {
    const std::string r186 = Record("400400000107", 186);
    const std::string r185 = Record("400400000111", 185);
    const std::string r187 = Record("400400000107", 187);
    const std::string r108 = Record("400400000108", 186);
    const std::string typeB = "0123456789abcBxyz";
    struct Case {
        std::string input, bySize, byBoth;
    } cases[] = {
        {r186 + "\r\n" + r185 + "\r\n", WithoutByte66(r186) + "\r\n" + r185 + "\r\n",
         WithoutByte66(r186) + "\r\n" + r185 + "\r\n"},
        {r187 + "\n" + r108, WithoutByte66(r187) + "\r\n" + r108 + "\r\n",
         WithoutByte66(r187) + "\r\n" + r108 + "\r\n"},
        {typeB + "\n\n" + "0123456789abcb\n", typeB + "\r\n\r\n0123456789abcb\r\n",
         "0123456789abcZxyz\r\n\r\n0123456789abcb\r\n"},
        {"0123456789abcA\r\n\x1A"
         "0123456789abcA\r\n",
         "0123456789abcA\r\n", "0123456789abcZ\r\n"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        WriteFile(First("zai001-3.mst"), c.input);
        EXPECT_EQ(settings::ConvertMaterialSize(settings_), 1);
        EXPECT_EQ(ReadFile(First("zai001-3.mst")), c.bySize);
        EXPECT_EQ(settings::ConvertMaterialType(settings_), 1);
        EXPECT_EQ(ReadFile(First("zai001-3.mst")), c.byBoth);
        EXPECT_FALSE(FileExists(First("temp.mst")));
    }
}

TEST_F(MasterFolders, SecondSizePassShortensOnlyRecordsNot185) {
    const std::string r187 = Record("400400000107", 187);
    WriteFile(Second("zai001-3.mst"), r187 + "\r\n");
    for (int pass = 0; pass < 3; ++pass) {
        EXPECT_EQ(settings::ConvertMaterialSize(settings_), 1);
    }
    EXPECT_EQ(ReadFile(Second("zai001-3.mst")), WithoutByte66(WithoutByte66(r187)) + "\r\n");
}

TEST_F(MasterFolders, OnlyNamesWithThreeCharactersConverted) {
    const std::string line = "0123456789abcA\r\n";
    const std::string converted = "0123456789abcZ\r\n";
    struct Case {
        std::string name;
        bool converted;
    } cases[] = {
        {"ZAI001-3.MST", true},
        {"zai\x8D\xDE"
         "01-3.mst",
         true},
        {"zai0001-3.mst", false},
        {"zai01-3.mst", false},
        {"zai001-3.mst.bak", false},
        {"zai001-3.mstx", false},
    };
    for (const Case& c : cases) {
        WriteFile(First(c.name), line);
    }
    MakeDir(First("zai002-3.mst"));
    EXPECT_EQ(settings::ConvertMaterialType(settings_), 1);
    for (const Case& c : cases) {
        EXPECT_EQ(ReadFile(First(c.name)), c.converted ? converted : line) << c.name;
    }
    EXPECT_FALSE(FileExists(First("temp.mst")));
}

// Through the cp932 edge (these also run at 1252 and 65001): a Japanese name is listed as
// its cp932 bytes; one cp932 cannot carry is kept apart, shown, for the caller to refuse.
TEST_F(MasterFolders, NamesAreListedAsCp932AndUnfitOnesApart) {
    WriteFile(First("zai材料表-3.mst"), "x");
    WriteFile(First("ZAI001-3.MST"), "x");
    WriteFile(First("zai材料-3.mst"), "x");  // two characters: no match
    const std::wstring unfit = framework::Wide(First("zai")) + L"\u0915\u0916\u0917-3.mst";
    framework::File(CreateFileW(unfit.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    std::vector<std::string> names;
    std::string shown = "stale";
    EXPECT_EQ(settings::ListMasterFiles(First(settings::kMasterPattern), names, &shown), 2);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"ZAI001-3.MST", "zai材料表-3.mst"}));
    EXPECT_EQ(shown, "zai?" "?" "?-3.mst");  // three characters cp932 lacks
    EXPECT_EQ(settings::ListMasterFiles(Second(settings::kMasterPattern), names, &shown), 0);
    EXPECT_EQ(shown, "");
}

// Its folder is refused as one that cannot be opened: nothing of either folder is converted.
TEST_F(MasterFolders, NameCp932CannotCarryLeavesBothFoldersUnconverted) {
    const std::string line = "0123456789abcA\r\n";
    WriteFile(First("zai001-3.mst"), line);
    WriteFile(Second("zai001-3.mst"), line);
    const std::wstring unfit = framework::Wide(First("zai")) + L"\u0915" L"01-3.mst";
    framework::File(CreateFileW(unfit.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    EXPECT_FALSE(settings::ConvertMaterialType(settings_));
    EXPECT_EQ(ReadFile(First("zai001-3.mst")), line);
    EXPECT_EQ(ReadFile(Second("zai001-3.mst")), line);
}

TEST_F(MasterFolders, OnlyTheFirstThousandNamesAreListedAndConverted) {
    for (int i = 0; i < 1001; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "zai%03X-3.mst", i);
        WriteFile(First(name), "0123456789abcA\r\n");
    }
    std::vector<std::string> names;
    EXPECT_EQ(settings::ListMasterFiles(First("zai??"
                                              "?-3.mst"),
                                        names),
              1000);
    EXPECT_EQ(names.size(), 1000u);
    EXPECT_EQ(settings::ConvertMaterialType(settings_), 1);
    int converted = 0;
    for (int i = 0; i < 1001; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "zai%03X-3.mst", i);
        converted += ReadFile(First(name)) == "0123456789abcZ\r\n";
    }
    EXPECT_EQ(converted, 1000);
}

// A handle that keeps a file open with the sharing another program would use.
struct HeldOpen {
    explicit HeldOpen(const std::string& path)
        : handle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~HeldOpen() { CloseHandle(handle); }
    HANDLE handle;
};

TEST_F(MasterFolders, UnopenableFirstFolderLeavesBothFoldersUntouched) {
    const std::string line = "0123456789abcA\r\n";
    for (bool readOnly : {true, false}) {
        WriteFile(First("zai001-3.mst"), line);
        WriteFile(Second("zai001-3.mst"), line);
        if (readOnly) {
            ASSERT_TRUE(SetFileAttributesA(First("zai001-3.mst").c_str(), FILE_ATTRIBUTE_READONLY));
        }
        {
            HeldOpen held(readOnly ? settings_ : First("zai001-3.mst"));
            EXPECT_EQ(settings::ConvertMaterialType(settings_), 0) << readOnly;
        }
        EXPECT_EQ(ReadFile(First("zai001-3.mst")), line);
        EXPECT_EQ(ReadFile(Second("zai001-3.mst")), line);
        EXPECT_FALSE(FileExists(First("temp.mst")));
        SetFileAttributesA(First("zai001-3.mst").c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST_F(MasterFolders, UnopenableSecondFolderKeepsFirstConverted) {
    WriteFile(First("zai001-3.mst"), "0123456789abcA\r\n");
    WriteFile(Second("zai001-3.mst"), "0123456789abcA\r\n");
    HeldOpen held(Second("zai001-3.mst"));
    EXPECT_EQ(settings::ConvertMaterialType(settings_), 0);
    EXPECT_EQ(ReadFile(First("zai001-3.mst")), "0123456789abcZ\r\n");
}

TEST_F(MasterFolders, WorkFileThatCannotBeCreatedLeavesMasterAsItWas) {
    WriteFile(First("zai001-3.mst"), "0123456789abcA\n");
    MakeDir(First("temp.mst"));
    EXPECT_EQ(settings::ConvertMaterialType(settings_), 0);
    EXPECT_EQ(ReadFile(First("zai001-3.mst")), "0123456789abcA\n");
}

TEST_F(MasterFolders, MissingFoldersAndSettingsCountAsNothingToDo) {
    WriteFile(First("zai001-3.mst"), "0123456789abcA\r\n");
    RemoveDirectoryA(Second("").c_str());
    EXPECT_EQ(settings::ConvertMaterialType(settings_), 1);
    EXPECT_EQ(ReadFile(First("zai001-3.mst")), "0123456789abcZ\r\n");

    // Without a settings file the prefix is empty: "1\" and "21\" of the current folder.
    MakeDir(dir_ / "1");
    WriteFile(dir_ / "1\\zai001-3.mst", "0123456789abcB\r\n");
    EXPECT_EQ(settings::ConvertMaterialType(dir_ / "none.ini"), 1);
    EXPECT_EQ(ReadFile(dir_ / "1\\zai001-3.mst"), "0123456789abcZ\r\n");
}

// The original's 64-byte pattern buffer is gone: a pattern that Windows takes (fewer than
// MAX_PATH characters, made whole) is searched; a longer one reports the folder as not
// converted rather than passing it over.
TEST_F(MasterFolders, PatternWindowsCannotTakeIsReportedNotConverted) {
    for (size_t whole : {259u, 260u}) {
        // The folder is relative: it counts made whole, below the current folder.
        const std::string folder = std::string(whole - dir_.path().size() - 13, 'f') + "\\";
        ASSERT_EQ(dir_.path().size() + folder.size() + 12, whole);
        MakeDir(dir_ / folder);
        WriteFile(dir_ / (folder + "zai001-3.mst"), "0123456789abcA\r\n");
        std::vector<std::string> names;
        const int fits = whole < MAX_PATH ? 1 : 0;
        EXPECT_EQ(settings::ListMasterFiles(folder + "zai??"
                                                     "?-3.mst",
                                            names),
                  fits);
        EXPECT_EQ(settings::ConvertMasterFolder(folder, LineRule::kType), fits);
        EXPECT_EQ(ReadFile(dir_ / (folder + "zai001-3.mst")),
                  fits ? "0123456789abcZ\r\n" : "0123456789abcA\r\n");
    }
}

// Stands for another program at the moment the work file is to take the master's place:
// it either holds the master open then, or the replace is refused outright.
class AtThePutInPlace : public replace::Observer {
public:
    explicit AtThePutInPlace(bool hold) : hold_(hold) {}
    bool BeforePutInPlace(const std::string& target) override {
        if (hold_) {
            held_ = std::make_unique<HeldOpen>(target);
        }
        return hold_;
    }

private:
    bool hold_;
    std::unique_ptr<HeldOpen> held_;
};

TEST_F(MasterFolders, FailedReplaceLeavesTheWholeOldMaster) {
    std::string old;
    for (int i = 0; i < 20000; ++i) {
        old += "0123456789abcA" + std::to_string(i) + "\r\n";
    }
    for (bool hold : {true, false}) {
        WriteFile(First("zai001-3.mst"), old);
        WriteFile(Second("zai001-3.mst"), old);
        {
            AtThePutInPlace other(hold);
            EXPECT_EQ(settings::ConvertMaterialType(settings_, nullptr, &other), 0) << hold;
        }
        EXPECT_EQ(ReadFile(First("zai001-3.mst")), old) << hold;
        EXPECT_EQ(ReadFile(Second("zai001-3.mst")), old) << hold;
        EXPECT_FALSE(FileExists(First("temp.mst"))) << hold;
    }
}

}  // namespace
