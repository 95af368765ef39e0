// The three pages opened from the real templates, each scripted from inside its own
// OnInitDialog as a user's clicks would arrive: what they show and what they hand back.
#include <gtest/gtest.h>

#include <direct.h>

#include <functional>
#include <optional>
#include <string>

#include "engine/program_folder.h"
#include "engine/texts.h"
#include "framework/directory.h"
#include "ids/resource.h"
#include "tests/support/test_support.h"
#include "text/format.h"
#include "wizard/confirm_page.h"
#include "wizard/destination_page.h"
#include "wizard/start_page.h"
#include "wizard/texts.h"

namespace {

using testing_support::From932;
std::wstring Held(HWND window) { return testing_support::WindowTextW(window); }

// Runs `script` once the page has initialised itself; the script's posts arrive afterwards.
template <typename Page>
class Scripted : public Page {
public:
    std::function<void(Scripted&)> script;
    std::wstring Caption() const { return Held(this->Handle()); }
    std::wstring Text(int id) const { return Held(this->Item(id)); }
    void Post(int id) const { ::PostMessageW(this->Handle(), WM_COMMAND, id, 0); }
    // Selects the entry of a list as a click would, with the list's notification.
    bool Select(int listId, const std::wstring& entry, int code = LBN_SELCHANGE) const {
        HWND list = this->Item(listId);
        const LRESULT index =
            ::SendMessageW(list, LB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(entry.c_str()));
        ::SendMessageW(list, LB_SETCURSEL, WPARAM(index), 0);
        ::SendMessageW(this->Handle(), WM_COMMAND, MAKEWPARAM(listId, code), LPARAM(list));
        return index >= 0;
    }
    void SelectDrive(char letter) const {
        Select(IDC_DRIVE_LIST, std::wstring(L"[-") + wchar_t(letter) + L"-]");
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
    ASSERT_EQ(::GetACP(), testing_support::NamedCodePage());
    Scripted<CStartPage> page;
    page.masterAdjust = GetParam().masterAdjust;
    page.notes = "line 1\r\nﾃﾞｼﾞﾀｲｻﾞの音声";
    std::wstring caption, notes;
    page.script = [&](auto& p) {
        caption = p.Caption();
        notes = p.Text(IDC_NOTES);
        p.Post(IDCANCEL);
    };
    EXPECT_EQ(page.DoModal(), IDCANCEL);
    EXPECT_EQ(caption, From932(GetParam().caption));
    EXPECT_EQ(notes, From932("line 1\r\nﾃﾞｼﾞﾀｲｻﾞの音声"));
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

std::wstring FullPath(const std::string& path) {
    std::wstring full(32768, L'\0');
    full.resize(::GetFullPathNameW(From932(path).c_str(), DWORD(full.size()), full.data(), nullptr));
    return full;
}

// Puts the test's own directory and program folder back, before its folder goes.
class WorkingState {
public:
    WorkingState() : folder_(engine::ProgramFolder()), cwd_(32768, L'\0') {
        cwd_.resize(::GetCurrentDirectoryW(DWORD(cwd_.size()), cwd_.data()));
    }
    ~WorkingState() {
        ::SetCurrentDirectoryW(cwd_.c_str());
        engine::SetProgramFolder(folder_);
    }

private:
    std::string folder_;
    std::wstring cwd_;
};

// Whatever the user browsed to, the current drive is the one of before, and names on a program
// folder such as "C:" mean the files they meant before the page; only "次へ" hands back the
// path edit's text.
TEST_P(DestinationPageEnd, RestoresTheProgramDriveAndHandsBackOnlyOnNext) {
    ASSERT_EQ(::GetACP(), testing_support::NamedCodePage());
    testing_support::TempDir home;  // on C:, where the page goes to the root at once
    WorkingState restore;
    ASSERT_TRUE(framework::ChangeDirectory(home.path()));
    engine::SetProgramFolder("C:");
    Scripted<CDestinationPage> page;
    page.destFolder = "C:\\PROPOSED";
    std::optional<std::string> proposed, browsed;
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
    EXPECT_EQ(_wcsicmp(FullPath("C:info.txt").c_str(), From932(home / "info.txt").c_str()), 0);
    EXPECT_EQ(page.destFolder, GetParam().destFolder);
}

INSTANTIATE_TEST_SUITE_P(Buttons, DestinationPageEnd,
                         ::testing::Values(EndCase{IDOK, IDOK, "D:\\TYPED"},
                                           EndCase{IDC_BACK, IDC_BACK, "C:\\PROPOSED"},
                                           EndCase{IDCANCEL, IDCANCEL, "C:\\PROPOSED"}));

TEST(DestinationPage, FolderListWaitsForADrive) {
    ASSERT_EQ(::GetACP(), testing_support::NamedCodePage());
    Scripted<CDestinationPage> page;
    LRESULT folders = -1, drives = 0, selected = 0;
    page.script = [&](auto& p) {
        folders = ::SendMessageW(p.Item(IDC_FOLDER_LIST), LB_GETCOUNT, 0, 0);
        drives = ::SendMessageW(p.Item(IDC_DRIVE_LIST), LB_GETCOUNT, 0, 0);
        selected = ::SendMessageW(p.Item(IDC_DRIVE_LIST), LB_GETCURSEL, 0, 0);
        p.Post(IDCANCEL);
    };
    page.DoModal();
    EXPECT_EQ(folders, 0);
    EXPECT_GE(drives, 2);  // C: and Z: at least
    EXPECT_EQ(selected, LB_ERR);
}

TEST(ConfirmPage, ShowsTheFolderAndEscapeGoesBack) {
    ASSERT_EQ(::GetACP(), testing_support::NamedCodePage());
    Scripted<CConfirmPage> page;
    page.destFolder = "  C:\\ソフト & AS IS ";
    std::wstring shown;
    LONG style = 0;
    page.script = [&](auto& p) {
        shown = p.Text(IDC_NOTES);
        style = ::GetWindowLongW(p.Item(IDC_NOTES), GWL_STYLE);
        p.Post(IDCANCEL);
    };
    EXPECT_EQ(page.DoModal(), IDCANCEL);
    EXPECT_EQ(shown, From932("  C:\\ソフト & AS IS "));
    EXPECT_TRUE(style & SS_NOPREFIX) << "an & would be drawn as an underline";
}

// The error box a page shows, read and closed from inside its modal loop; then the page is
// cancelled, as it stays open after such a message.
struct ErrorBox {
    HWND page = nullptr;
    int shown = 0;
    std::wstring text;
};
ErrorBox g_box;

void CALLBACK CloseErrorBox(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = ::FindWindowW(L"#32770", From932(engine::kCaptionError).c_str());
    if (box != nullptr && ::GetWindow(box, GW_OWNER) == g_box.page) {
        ++g_box.shown;
        g_box.text = Held(::GetDlgItem(box, 0xFFFF));
        ::SendMessageW(box, WM_COMMAND, IDOK, 0);
        ::PostMessageW(g_box.page, WM_COMMAND, IDCANCEL, 0);
    }
}

struct TypedCase {
    const wchar_t* typed;
    INT_PTR result;
    const char* destFolder;  // what the page hands back
    const char* message;     // the folder the refusal names, or none
};

class DestinationPageTyped : public ::testing::TestWithParam<TypedCase> {};

// Typed text is the user's: a folder cp932 cannot carry could be named by no run, so it is
// refused by name, and the page stays for another choice.
TEST_P(DestinationPageTyped, IsHandedBackOrRefusedByName) {
    ASSERT_EQ(::GetACP(), testing_support::NamedCodePage());
    WorkingState restore;
    Scripted<CDestinationPage> page;
    page.destFolder = "C:\\PROPOSED";
    g_box = {};
    page.script = [&](auto& p) {
        g_box.page = p.Handle();
        ::SetDlgItemTextW(p.Handle(), IDC_PATH, GetParam().typed);
        p.Post(IDOK);
    };
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &CloseErrorBox);
    const INT_PTR result = page.DoModal();
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(result, GetParam().result);
    EXPECT_EQ(page.destFolder, GetParam().destFolder);
    if (GetParam().message) {
        EXPECT_EQ(g_box.shown, 1);
        EXPECT_EQ(g_box.text,
                  From932(text::Format(wizard::kUnusableFolder, GetParam().message)));
    } else {
        EXPECT_EQ(g_box.shown, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Folders, DestinationPageTyped,
    ::testing::Values(TypedCase{L"C:\\\u30C7\u30FC\u30BF\\\u8868", IDOK, "C:\\データ\\表", nullptr},
                      TypedCase{L"C:\\\uFF83\uFF9E\uFF70\uFF80", IDOK, "C:\\ﾃﾞｰﾀ", nullptr},
                      TypedCase{L"C:\\\u0915\u0916", IDCANCEL, "C:\\PROPOSED", "C:\\??"},
                      TypedCase{L"D:\\caf\u00E9", IDCANCEL, "C:\\PROPOSED", "D:\\caf?"}));

// Browsing shows Japanese folder names and paths as they are and hands them back in cp932; a
// folder cp932 cannot carry is not offered. Drive P: is a plain folder of the test run's own.
TEST(DestinationPage, BrowsesJapaneseFoldersAndLeavesOutOthers) {
    ASSERT_EQ(::GetACP(), testing_support::NamedCodePage());
    if (::GetDriveTypeW(L"P:\\") == DRIVE_NO_ROOT_DIR) {
        GTEST_SKIP() << "no drive P: (run through ctest after renovo_wine_start)";
    }
    WorkingState restore;
    const std::string name = "材料" + std::to_string(::GetCurrentProcessId());
    const std::wstring hindi = L"P:\\\u0915" + std::to_wstring(::GetCurrentProcessId());
    testing_support::MakeDir("P:\\" + name);
    testing_support::MakeDir("P:\\" + name + "\\データ");
    ASSERT_TRUE(::CreateDirectoryW(hindi.c_str(), nullptr));
    Scripted<CDestinationPage> page;
    bool offered = false, hindiOffered = true, entered = false;
    std::wstring root, inside, listed;
    page.script = [&](auto& p) {
        p.SelectDrive('p');
        root = p.Text(IDC_PATH);
        hindiOffered = p.Select(IDC_FOLDER_LIST, L"[" + hindi.substr(3) + L"]");
        offered = p.Select(IDC_FOLDER_LIST, From932("[" + name + "]"));
        inside = p.Text(IDC_PATH);
        entered = p.Select(IDC_FOLDER_LIST, From932("[データ]"), LBN_DBLCLK);
        listed = p.Text(IDC_PATH);
        p.Post(IDOK);
    };
    EXPECT_EQ(page.DoModal(), IDOK);
    testing_support::RemoveTree("P:\\" + name);
    ::RemoveDirectoryW(hindi.c_str());
    EXPECT_EQ(root, L"p:\\");
    EXPECT_FALSE(hindiOffered);
    EXPECT_TRUE(offered);
    EXPECT_TRUE(entered);
    EXPECT_EQ(_wcsicmp(inside.c_str(), From932("P:\\" + name).c_str()), 0);
    EXPECT_EQ(_wcsicmp(listed.c_str(), From932("P:\\" + name + "\\データ").c_str()), 0);
    EXPECT_EQ(_stricmp(page.destFolder.c_str(), ("P:\\" + name + "\\データ").c_str()), 0)
        << page.destFolder;
}

}  // namespace
