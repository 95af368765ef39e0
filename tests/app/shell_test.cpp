#include <gtest/gtest.h>

#include <windows.h>

#include "app/main_frame.h"
#include "app/program_folder_setup.h"
#include "app/res/resource.h"
#include "engine/program_folder.h"
#include "tests/support/test_support.h"
#include "text/cp932.h"

namespace {

using testing_support::TempDir;
using testing_support::WriteFile;

struct FolderCase {
    const char* exe;
    const char* folder;
};

class ProgramFolder : public ::testing::TestWithParam<FolderCase> {};

TEST_P(ProgramFolder, IsDriveAndDirectory) {
    EXPECT_EQ(app::ProgramFolderFromPath(GetParam().exe), GetParam().folder);
}

INSTANTIATE_TEST_SUITE_P(
    Shell, ProgramFolder,
    ::testing::Values(FolderCase{"A:\\RENOVO.EXE", "A:"}, FolderCase{"C:\\RENOVO.EXE", "C:"},
                      FolderCase{"C:\\UPD\\RENOVO.EXE", "C:\\UPD\\"},
                      FolderCase{"C:\\a\\RENOVO.EXE", "C:\\a\\"},  // four characters stay
                      FolderCase{"C:RENOVO.EXE", "C:"}, FolderCase{"RENOVO.EXE", ""},
                      FolderCase{"\\\\srv\\share\\RENOVO.EXE", "\\\\srv\\share\\"},
                      FolderCase{"C:\\表\\RENOVO.EXE", "C:\\表\\"},  // 0x5C trail byte
                      FolderCase{"C:\\UPD\\DISK.1\\RENOVO.EXE", "C:\\UPD\\DISK.1\\"}));

TEST(ProgramFolderLimits, DirectoryLongerThan63BytesIsKeptWhole) {
    const std::string dir = "\\" + std::string(200, 'd') + "\\" + std::string(100, 'e') + "\\";
    EXPECT_EQ(app::ProgramFolderFromPath("D:" + dir + "RENOVO.EXE"), "D:" + dir);
}

TEST(ProgramFolderLimits, ModuleFileNameIsThisProgram) {
    std::string path = app::ModuleFileName();
    ASSERT_GT(path.size(), 4u);
    EXPECT_EQ(text::ToUpperAscii(path.substr(path.size() - 4)), ".EXE");
    EXPECT_EQ(::GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

class Title : public ::testing::Test {
protected:
    std::string TitleOf(const std::string& bytes) {
        WriteFile(dir_ / "info.txt", bytes);
        return CMainFrame::ReadTitle();
    }
    void SetUp() override { engine::SetProgramFolder(dir_.path()); }
    TempDir dir_;
};

TEST_F(Title, FirstLineAsItStands) {
    EXPECT_EQ(TitleOf("  Renovo 更新  \r\nsecond\r\n"), "  Renovo 更新  ");
    EXPECT_EQ(TitleOf("lf only\nsecond\n"), "lf only");
    EXPECT_EQ(TitleOf("no line end"), "no line end");
    EXPECT_EQ(TitleOf("\r\nsecond\r\n"), "");
    EXPECT_EQ(TitleOf(""), "");
}

TEST_F(Title, MissingManifestGivesEmptyTitle) {
    EXPECT_EQ(CMainFrame::ReadTitle(), "");
}

// The frame starts as "Renovo"; its view's start-page command is queued before the
// frame's own title command, which then sets the manifest's first line.
TEST_F(Title, FrameCaptionFollowsQueuedCommands) {
    WriteFile(dir_ / "info.txt", " first line \r\n");
    CMainFrame frame;
    ASSERT_TRUE(frame.LoadFrame(::GetModuleHandleA(nullptr), nullptr));
    EXPECT_EQ(frame.GetText(), "Renovo");
    EXPECT_EQ(::GetMenu(frame.Handle()), nullptr);
    EXPECT_EQ(frame.View().Context().uninstallKeys[0], " first line ");

    MSG first{}, second{};
    ASSERT_TRUE(::PeekMessageA(&first, nullptr, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    ASSERT_TRUE(::PeekMessageA(&second, nullptr, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(first.hwnd, frame.View().Handle());
    EXPECT_EQ(first.wParam, WPARAM{ID_START_PAGE});
    EXPECT_EQ(second.hwnd, frame.Handle());
    EXPECT_EQ(second.wParam, WPARAM{ID_LOAD_TITLE});
    // The start-page command stays undispatched: it would open the start page modally.
    ::DispatchMessageA(&second);
    EXPECT_EQ(frame.GetText(), " first line ");
}

TEST_F(Title, CommandsTheFrameDoesNotKnowGoToTheApplication) {
    CMainFrame frame;
    int seen = 0;
    ASSERT_TRUE(frame.LoadFrame(::GetModuleHandleA(nullptr), [&](int id) {
        seen = id;
        return id == ID_FILE_NEW;
    }));
    ::SendMessageA(frame.Handle(), WM_COMMAND, ID_FILE_NEW, 0);
    EXPECT_EQ(seen, ID_FILE_NEW);
}

}  // namespace
