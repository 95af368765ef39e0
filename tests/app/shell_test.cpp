#include <gtest/gtest.h>

#include <windows.h>

#include "app/main_frame.h"
#include "app/program_folder_setup.h"
#include "app/renovo_app.h"
#include "engine/program_folder.h"
#include "ids/resource.h"
#include "tests/support/test_support.h"

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
    const std::wstring path = app::ModuleFileName();
    ASSERT_GT(path.size(), 4u);
    EXPECT_EQ(_wcsicmp(path.substr(path.size() - 4).c_str(), L".EXE"), 0);
    EXPECT_EQ(::GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

using testing_support::From932;
std::wstring Held(HWND window) { return testing_support::WindowTextW(window); }

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
    WriteFile(dir_ / "info.txt", " 製品 ｱｯﾌﾟﾃﾞｰﾄ \r\n");
    CMainFrame frame;
    ASSERT_TRUE(frame.LoadFrame(::GetModuleHandleW(nullptr), nullptr));
    EXPECT_EQ(Held(frame.Handle()), L"Renovo");
    EXPECT_EQ(::GetMenu(frame.Handle()), nullptr);
    EXPECT_EQ(frame.View().Manifest().uninstallKeys[0], " 製品 ｱｯﾌﾟﾃﾞｰﾄ ");

    MSG first{}, second{};
    ASSERT_TRUE(::PeekMessageW(&first, nullptr, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    ASSERT_TRUE(::PeekMessageW(&second, nullptr, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(first.hwnd, frame.View().Handle());
    EXPECT_EQ(first.wParam, WPARAM{ID_START_PAGE});
    EXPECT_EQ(second.hwnd, frame.Handle());
    EXPECT_EQ(second.wParam, WPARAM{ID_LOAD_TITLE});
    // The start-page command stays undispatched: it would open the start page modally.
    ::DispatchMessageW(&second);
    EXPECT_EQ(Held(frame.Handle()), From932(" 製品 ｱｯﾌﾟﾃﾞｰﾄ "));
    EXPECT_EQ(frame.GetText(), " 製品 ｱｯﾌﾟﾃﾞｰﾄ ");
}

// The application as start-up makes it, up to the message loop.
class StartedApp : public CRenovoApp {
public:
    StartedApp() : CRenovoApp(::GetModuleHandleW(nullptr)) {}
    bool Start() { return InitInstance(); }
};

struct AboutBoxSeen {
    HWND box = nullptr;
    HWND owner = nullptr;
};
AboutBoxSeen g_about;

// Runs inside the about box's modal loop: notes the box and closes it.
void CALLBACK CloseAboutBox(HWND, UINT, UINT_PTR, DWORD) {
    if (HWND box = ::FindWindowW(L"#32770", From932("ﾊﾞｰｼﾞｮﾝ情報(Renovo)").c_str())) {
        g_about = {box, ::GetWindow(box, GW_OWNER)};
        ::EndDialog(box, IDOK);
    }
}

// No menu or key issues the about command any more, but the frame still passes on what it does
// not know to the application, which opens the about box over the frame.
TEST_F(Title, CommandsTheFrameDoesNotKnowGoToTheApplication) {
    g_about = {};
    HWND frame = nullptr;
    {
        StartedApp app;
        ASSERT_TRUE(app.Start());
        frame = app.Frame()->Handle();
        MSG msg{};
        // The queued start page would open modally inside the about box's loop.
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_POSTMESSAGE)) {
        }
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &CloseAboutBox);
        ::SendMessageW(frame, WM_COMMAND, ID_APP_ABOUT, 0);
        ::KillTimer(nullptr, timer);
    }
    MSG msg{};
    // Closing the main frame ended "the loop": the quit message must not end later dialogs.
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    EXPECT_NE(g_about.box, nullptr) << "the about box did not open";
    EXPECT_EQ(g_about.owner, frame);
}

}  // namespace
