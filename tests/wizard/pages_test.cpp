// The three pages opened from the real templates, each scripted from inside its own
// OnInitDialog as a user's clicks would arrive: what they show and what they hand back.
#include <gtest/gtest.h>

#include <direct.h>

#include <functional>
#include <string>

#include "engine/program_folder.h"
#include "framework/directory.h"
#include "ids/resource.h"
#include "tests/support/test_support.h"
#include "wizard/confirm_page.h"
#include "wizard/destination_page.h"
#include "wizard/start_page.h"

namespace {

// Runs `script` once the page has initialised itself; the script's posts arrive afterwards.
template <typename Page>
class Scripted : public Page {
public:
    std::function<void(Scripted&)> script;
    std::string Caption() const {
        char text[256] = {};
        ::GetWindowTextA(this->Handle(), text, sizeof(text));
        return text;
    }
    void Post(int id) const { ::PostMessageA(this->Handle(), WM_COMMAND, id, 0); }
    void SelectDrive(char letter) const {
        HWND list = this->Item(IDC_DRIVE_LIST);
        const std::string entry = std::string("[-") + letter + "-]";
        const LRESULT index =
            ::SendMessageA(list, LB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(entry.c_str()));
        ::SendMessageA(list, LB_SETCURSEL, WPARAM(index), 0);
        ::SendMessageA(this->Handle(), WM_COMMAND, MAKEWPARAM(IDC_DRIVE_LIST, LBN_SELCHANGE),
                       LPARAM(list));
    }

protected:
    bool OnInitDialog() override {
        const bool result = Page::OnInitDialog();
        script(*this);
        return result;
    }
};

struct CaptionCase {
    const char* masterAdjust;
    const char* caption;
};

class StartPageCaption : public ::testing::TestWithParam<CaptionCase> {};

TEST_P(StartPageCaption, FollowsTheNumberTheFlagBeginsWith) {
    Scripted<CStartPage> page;
    page.masterAdjust = GetParam().masterAdjust;
    page.notes = "line 1\r\nline 2";
    std::string caption, notes;
    page.script = [&](auto& p) {
        caption = p.Caption();
        notes = p.GetItemText(IDC_NOTES);
        p.Post(IDCANCEL);
    };
    EXPECT_EQ(page.DoModal(), IDCANCEL);
    EXPECT_EQ(caption, GetParam().caption);
    EXPECT_EQ(notes, "line 1\r\nline 2");
}

INSTANTIATE_TEST_SUITE_P(
    Flags, StartPageCaption,
    ::testing::Values(CaptionCase{"1", "マスタ調整機能付"}, CaptionCase{"2", "マスタ調整機能付"},
                      CaptionCase{"-1", "マスタ調整機能付"}, CaptionCase{" 01", "マスタ調整機能付"},
                      CaptionCase{"0", "アップデート"}, CaptionCase{"", "アップデート"},
                      CaptionCase{"on", "アップデート"}));

struct EndCase {
    int command;
    INT_PTR result;
    const char* destFolder;  // what the page hands back
};

class DestinationPageEnd : public ::testing::TestWithParam<EndCase> {};

std::string FullPath(const std::string& path) {
    char full[MAX_PATH] = {};
    ::GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return full;
}

// Puts the test's own directory and program folder back, before its folder goes.
class WorkingState {
public:
    WorkingState() : folder_(engine::ProgramFolder()) { ::GetCurrentDirectoryA(MAX_PATH, cwd_); }
    ~WorkingState() {
        ::SetCurrentDirectoryA(cwd_);
        engine::SetProgramFolder(folder_);
    }

private:
    std::string folder_;
    char cwd_[MAX_PATH] = {};
};

// Whatever the user browsed to, the current drive is the one of before, and names on a program
// folder such as "C:" mean the files they meant before the page; only "次へ" hands back the
// path edit's text.
TEST_P(DestinationPageEnd, RestoresTheProgramDriveAndHandsBackOnlyOnNext) {
    testing_support::TempDir home;  // on C:, where the page goes to the root at once
    WorkingState restore;
    ASSERT_TRUE(framework::ChangeDirectory(home.path()));
    engine::SetProgramFolder("C:");
    Scripted<CDestinationPage> page;
    page.destFolder = "C:\\PROPOSED";
    std::string proposed, browsed;
    int driveWhileBrowsing = 0;
    page.script = [&](auto& p) {
        proposed = p.GetItemText(IDC_PATH);
        p.SelectDrive('z');
        browsed = p.GetItemText(IDC_PATH);
        driveWhileBrowsing = ::_getdrive();
        p.SetItemText(IDC_PATH, "D:\\TYPED");
        p.Post(GetParam().command);
    };
    EXPECT_EQ(page.DoModal(), GetParam().result);
    EXPECT_EQ(proposed, "C:\\PROPOSED");
    EXPECT_EQ(browsed, "z:\\");
    EXPECT_EQ(driveWhileBrowsing, 26);
    EXPECT_EQ(::_getdrive(), 3);
    EXPECT_EQ(_stricmp(FullPath("C:info.txt").c_str(), (home / "info.txt").c_str()), 0)
        << FullPath("C:info.txt");
    EXPECT_EQ(page.destFolder, GetParam().destFolder);
}

INSTANTIATE_TEST_SUITE_P(Buttons, DestinationPageEnd,
                         ::testing::Values(EndCase{IDOK, IDOK, "D:\\TYPED"},
                                           EndCase{IDC_BACK, IDC_BACK, "C:\\PROPOSED"},
                                           EndCase{IDCANCEL, IDCANCEL, "C:\\PROPOSED"}));

TEST(DestinationPage, FolderListWaitsForADrive) {
    Scripted<CDestinationPage> page;
    LRESULT folders = -1, drives = 0, selected = 0;
    page.script = [&](auto& p) {
        folders = ::SendMessageA(p.Item(IDC_FOLDER_LIST), LB_GETCOUNT, 0, 0);
        drives = ::SendMessageA(p.Item(IDC_DRIVE_LIST), LB_GETCOUNT, 0, 0);
        selected = ::SendMessageA(p.Item(IDC_DRIVE_LIST), LB_GETCURSEL, 0, 0);
        p.Post(IDCANCEL);
    };
    page.DoModal();
    EXPECT_EQ(folders, 0);
    EXPECT_GE(drives, 2);  // C: and Z: at least
    EXPECT_EQ(selected, LB_ERR);
}

TEST(ConfirmPage, ShowsTheFolderAndEscapeGoesBack) {
    Scripted<CConfirmPage> page;
    page.destFolder = "  C:\\TYPED & AS IS ";
    std::string shown;
    LONG style = 0;
    page.script = [&](auto& p) {
        shown = p.GetItemText(IDC_NOTES);
        style = ::GetWindowLongA(p.Item(IDC_NOTES), GWL_STYLE);
        p.Post(IDCANCEL);
    };
    EXPECT_EQ(page.DoModal(), IDCANCEL);
    EXPECT_EQ(shown, "  C:\\TYPED & AS IS ");
    EXPECT_TRUE(style & SS_NOPREFIX) << "an & would be drawn as an underline";
}

}  // namespace
