#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <set>
#include <stdexcept>
#include <vector>

#include "framework/application.h"
#include "framework/dialog.h"
#include "framework/directory.h"
#include "framework/files.h"
#include "framework/handles.h"
#include "framework/list_box.h"
#include "framework/wide.h"
#include "framework/window.h"
#include "ids/resource.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::TempDir;
using testing_support::WriteFile;

// A dialog whose opening runs `onInit`; records what reached its handlers.
class ScriptedDialog : public framework::Dialog {
public:
    explicit ScriptedDialog(std::function<void(ScriptedDialog&)> onInit, int id = IDD_CONFIRM_PAGE)
        : Dialog(id), onInit_(std::move(onInit)) {}
    std::vector<int> commands;
    int paints = 0;
    int cancels = 0;

    void Post(int id) const { ::PostMessageA(Handle(), WM_COMMAND, WPARAM(id), 0); }

protected:
    bool OnInitDialog() override {
        onInit_(*this);
        return true;
    }
    bool OnCommand(int id, int code, HWND control) override {
        commands.push_back(id);
        if (id == 500) {  // repaint now, then finish; the dialog is shown only when idle
            ::ShowWindow(Handle(), SW_SHOW);
            ::InvalidateRect(Handle(), nullptr, TRUE);
            ::UpdateWindow(Handle());
            EndDialog(500);
            return true;
        }
        return Dialog::OnCommand(id, code, control);
    }
    void OnCancel() override {
        ++cancels;
        Dialog::OnCancel();
    }
    bool OnPaint() override {
        ++paints;
        return false;
    }

private:
    std::function<void(ScriptedDialog&)> onInit_;
};

TEST(Dialog, DoModalReturnsTheEndCode) {
    ScriptedDialog d([](ScriptedDialog& s) { s.EndDialog(IDC_BACK); });
    EXPECT_EQ(d.DoModal(), IDC_BACK);
    EXPECT_EQ(d.Handle(), nullptr);
}

TEST(Dialog, OkAndCancelGoThroughTheirHandlers) {
    ScriptedDialog ok([](ScriptedDialog& s) { s.Post(IDOK); });
    EXPECT_EQ(ok.DoModal(), IDOK);
    ScriptedDialog cancel([](ScriptedDialog& s) { s.Post(IDCANCEL); });
    EXPECT_EQ(cancel.DoModal(), IDCANCEL);
    EXPECT_EQ(cancel.cancels, 1);
    EXPECT_EQ(cancel.commands, std::vector<int>{IDCANCEL});
}

TEST(Dialog, PaintReachesTheHandler) {
    ScriptedDialog d([](ScriptedDialog& s) { s.Post(500); });
    EXPECT_EQ(d.DoModal(), 500);
    EXPECT_GE(d.paints, 1);
}

TEST(Dialog, ItemTextRoundTrip) {
    std::optional<std::string> read;
    ScriptedDialog d([&](ScriptedDialog& s) {
        s.SetItemText(IDC_NOTES, "C:\\表示\\");
        read = s.GetItemText(IDC_NOTES);
        s.EndDialog(IDOK);
    });
    d.DoModal();
    EXPECT_EQ(read, "C:\\表示\\");
}

TEST(Dialog, ExceptionEndsTheDialogInsteadOfUnwindingThroughWindows) {
    ScriptedDialog d([](ScriptedDialog&) { throw std::runtime_error("boom"); });
    EXPECT_EQ(d.DoModal(), -1);
}

TEST(Dialog, MissingTemplateGivesMinusOne) {
    ScriptedDialog d([](ScriptedDialog& s) { s.EndDialog(IDOK); }, 4242);
    EXPECT_EQ(d.DoModal(), -1);
}

HINSTANCE Self() {
    return ::GetModuleHandleA(nullptr);
}

class TestView : public framework::View {};

class TestFrame : public framework::FrameWindow {
public:
    enum class Mode { kOk, kRefuse, kThrow } mode = Mode::kOk;
    TestView view;

protected:
    bool OnCreate(CREATESTRUCTW&) override {
        if (mode == Mode::kThrow) {
            throw std::runtime_error("no");
        }
        return mode == Mode::kOk && view.CreateIn(Self(), "TestView", *this);
    }
};

class Windows : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(framework::Window::RegisterClass(Self(), "TestFrame", nullptr, nullptr));
        ASSERT_TRUE(framework::Window::RegisterClass(Self(), "TestView", nullptr, nullptr));
    }
};

TEST_F(Windows, ViewFillsTheFrameAfterEveryResize) {
    TestFrame frame;
    ASSERT_TRUE(frame.Create(Self(), "TestFrame", "t", WS_OVERLAPPEDWINDOW, nullptr, nullptr));
    for (SIZE s : {SIZE{300, 200}, SIZE{640, 120}}) {
        ::SetWindowPos(frame.Handle(), nullptr, 0, 0, s.cx, s.cy, SWP_NOZORDER);
        RECT client{}, view{};
        ::GetClientRect(frame.Handle(), &client);
        ::GetWindowRect(frame.view.Handle(), &view);
        ::MapWindowPoints(nullptr, frame.Handle(), reinterpret_cast<POINT*>(&view), 2);
        EXPECT_TRUE(::EqualRect(&client, &view));
    }
    EXPECT_EQ(frame.view.ParentFrame(), frame.Handle());
    EXPECT_EQ(::GetDlgCtrlID(frame.view.Handle()), framework::View::kPaneId);
}

TEST_F(Windows, RefusedOrFailingCreationGivesNoWindow) {
    for (auto mode : {TestFrame::Mode::kRefuse, TestFrame::Mode::kThrow}) {
        TestFrame frame;
        frame.mode = mode;
        EXPECT_FALSE(frame.Create(Self(), "TestFrame", "t", WS_OVERLAPPEDWINDOW, nullptr, nullptr));
        EXPECT_EQ(frame.Handle(), nullptr);
    }
}

TEST_F(Windows, ObjectDestroysItsWindow) {
    HWND hwnd = nullptr;
    {
        TestFrame frame;
        ASSERT_TRUE(frame.Create(Self(), "TestFrame", "t", WS_OVERLAPPEDWINDOW, nullptr, nullptr));
        hwnd = frame.Handle();
    }
    EXPECT_FALSE(::IsWindow(hwnd));
}

class TestApp : public framework::Application {
public:
    TestApp() : Application(Self()) {}
    bool start = true;
    TestFrame frame;

protected:
    bool InitInstance() override {
        if (!start ||
            !frame.Create(Self(), "TestFrame", "t", WS_OVERLAPPEDWINDOW, nullptr, nullptr)) {
            return false;
        }
        SetMainWindow(frame.Handle());
        ::PostMessageA(frame.Handle(), WM_CLOSE, 0, 0);
        return true;
    }
};

TEST_F(Windows, ClosingTheMainFrameEndsTheLoopWithZero) {
    TestApp app;
    EXPECT_EQ(framework::Application::Current(), &app);
    EXPECT_EQ(app.Run(), 0);
    EXPECT_EQ(app.frame.Handle(), nullptr);
    EXPECT_EQ(app.MainWindow(), nullptr);
}

TEST_F(Windows, FailedStartEndsAtOnce) {
    TestApp app;
    app.start = false;
    EXPECT_EQ(app.Run(), 0);
}

// Wine never shows the system's "no disk in the drive" box; Windows does unless told not to.
TEST_F(Windows, StartUpLeavesFileErrorsToTheProgram) {
    const UINT before = ::SetErrorMode(SEM_NOGPFAULTERRORBOX);
    TestApp app;
    app.start = false;
    app.Run();
    const UINT mode = ::SetErrorMode(before);  // it answers with the mode it replaces
    EXPECT_EQ(mode, UINT{SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX});
}

TEST(WaitCursor, NestsAndRestoresThePreviousCursor) {
    TestApp app;
    HCURSOR arrow = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_CROSS));
    HCURSOR wait = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT));
    ::SetCursor(arrow);
    app.BeginWaitCursor();
    {
        framework::ScopedWaitCursor inner;
        EXPECT_EQ(app.WaitCursorDepth(), 2);
    }
    EXPECT_EQ(app.WaitCursorDepth(), 1);
    EXPECT_EQ(::GetCursor(), wait);
    app.EndWaitCursor();
    EXPECT_EQ(::GetCursor(), arrow);
    app.EndWaitCursor();  // one End too many changes nothing
    EXPECT_EQ(app.WaitCursorDepth(), 0);
    EXPECT_EQ(::GetCursor(), arrow);
}

TEST(ListBox, SortedListThroughTheWrapper) {
    HWND hwnd = ::CreateWindowExW(0, L"LISTBOX", L"", LBS_SORT | LBS_NOTIFY, 0, 0, 100, 100,
                                  nullptr, nullptr, Self(), nullptr);
    ASSERT_NE(hwnd, nullptr);
    framework::ListBox list(hwnd);
    for (const char* s : {"[b]", "[..]", "[a]"}) {
        EXPECT_GE(list.AddString(s), 0);
    }
    EXPECT_EQ(list.GetText(0), "[..]");
    EXPECT_EQ(list.GetText(2), "[b]");
    EXPECT_EQ(list.GetText(7), "");
    EXPECT_EQ(list.GetCurSel(), -1);
    ::SendMessageA(hwnd, LB_SETCURSEL, 1, 0);
    EXPECT_EQ(list.GetCurSel(), 1);
    list.ResetContent();
    EXPECT_EQ(::SendMessageA(hwnd, LB_GETCOUNT, 0, 0), 0);
    ::DestroyWindow(hwnd);
}

TEST(FileFind, ListsEntriesWithKindAndDots) {
    TempDir dir;
    testing_support::MakeDir(dir / "sub1");
    testing_support::MakeDir(dir / "表");
    WriteFile(dir / "file.txt", "x");
    framework::FileFind find;
    ASSERT_TRUE(find.FindFile(dir / "*.*"));
    std::set<std::string> dirs, files, dots;
    do {
        (find.IsDots() ? dots : find.IsDirectory() ? dirs : files).insert(find.FileName());
    } while (find.Next());
    EXPECT_EQ(dirs, (std::set<std::string>{"sub1", "表"}));
    EXPECT_EQ(files, std::set<std::string>{"file.txt"});
    EXPECT_EQ(dots, (std::set<std::string>{".", ".."}));
    EXPECT_FALSE(find.Next());
    EXPECT_FALSE(find.FindFile(dir / "nothing\\*.*"));
}

// The edge converts with cp932 itself, so these hold on any system code page (the suite also
// runs at 1252 and 65001).
TEST(Wide, Cp932CrossesBothWays) {
    ASSERT_EQ(::GetACP(), testing_support::NamedCodePage());
    struct Case {
        const char* cp932;
        const wchar_t* utf16;
    } cases[] = {
        {"", L""},
        {"C:\\TOVAKA\\データ\\単価.lzh", L"C:\\TOVAKA\\\u30C7\u30FC\u30BF\\\u5358\u4FA1.lzh"},
        {"表\\ソ", L"\u8868\\\u30BD"},                  // trail byte 0x5C
        {"ｱｯﾌﾟﾃﾞｲﾄFD", L"\uFF71\uFF6F\uFF8C\uFF9F\uFF83\uFF9E\uFF72\uFF84FD"},
        {"\x87\x40\xFA\x40", L"\u2460\u2170"},                // NEC and IBM extensions
        {"\x81\x60\x81\x5F", L"\uFF5E\uFF3C"},                // the wave dash and backslash of cp932
    };
    for (const Case& c : cases) {
        EXPECT_EQ(framework::Wide(c.cp932), c.utf16) << c.cp932;
        EXPECT_EQ(framework::Narrow(c.utf16), std::optional<std::string>(c.cp932)) << c.cp932;
    }
}

TEST(Wide, NamesCp932CannotCarryAreRefused) {
    const wchar_t* cases[] = {
        L"\u0915\u0916",  // Devanagari
        L"caf\u00E9",      // best fit would make it "cafe", another file
        L"a\xD800" L"b",  // a lone surrogate
        L"\U0001F600",     // outside the BMP
    };
    for (const wchar_t* c : cases) {
        EXPECT_FALSE(framework::Narrow(c).has_value()) << framework::NarrowShown(c);
        EXPECT_NE(framework::NarrowShown(c).find('?'), std::string::npos);
    }
}

TEST(FileFind, ListsANameCp932CannotCarryAsNotFitting) {
    TempDir dir;
    const std::wstring hindi = framework::Wide(dir.path()) + L"\u0915.txt";
    framework::File(::CreateFileW(hindi.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    WriteFile(dir / "材料表.DAT", "x");
    framework::FileFind find;
    ASSERT_TRUE(find.FindFile(dir / "*"));
    std::set<std::string> fitting, not_fitting;
    do {
        if (!find.IsDots()) {
            (find.NameFits() ? fitting : not_fitting).insert(find.FileName());
        }
    } while (find.Next());
    EXPECT_EQ(fitting, std::set<std::string>{"材料表.DAT"});
    EXPECT_EQ(not_fitting, std::set<std::string>{"?.txt"});
}

TEST(TextFile, ReadsLinesWithoutTheirEnds) {
    TempDir dir;
    WriteFile(dir / "t.txt", "one\r\ntwo\nthree");
    framework::TextFile file;
    ASSERT_TRUE(file.Open(dir / "t.txt"));
    std::string line;
    std::vector<std::string> lines;
    while (file.ReadString(line)) {
        lines.push_back(line);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_FALSE(framework::TextFile().Open(dir / "missing.txt"));
}

struct CountedTraits {
    using Handle = int;
    static Handle Null() { return 0; }
    static void Close(Handle h) { closed.push_back(h); }
    static inline std::vector<int> closed;
};

TEST(Owned, ClosesEachHandleOnceAndKeepsTheOneItIsGivenAgain) {
    CountedTraits::closed.clear();
    {
        framework::Owned<CountedTraits> owner(7);
        owner.Reset(7);
        EXPECT_TRUE(CountedTraits::closed.empty());
        owner.Reset(8);
        EXPECT_EQ(CountedTraits::closed, std::vector<int>{7});
        framework::Owned<CountedTraits> other(std::move(owner));
        EXPECT_FALSE(owner);
    }
    EXPECT_EQ(CountedTraits::closed, (std::vector<int>{7, 8}));
}

std::string Variable(const char* name) {
    char value[MAX_PATH] = {};
    return ::GetEnvironmentVariableA(name, value, MAX_PATH) ? value : "(none)";
}

std::string Resolved(const std::string& path) {
    char full[MAX_PATH] = {};
    ::GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return full;
}

// Each test starts in a folder of its own on C: and ends where the program was.
class Directories : public ::testing::Test {
protected:
    void SetUp() override {
        ::GetCurrentDirectoryA(MAX_PATH, saved_);
        testing_support::MakeDir(dir_ / "one");
        testing_support::MakeDir(dir_ / "two");
        ASSERT_TRUE(framework::ChangeDirectory(dir_ / "one"));
    }
    void TearDown() override { ::SetCurrentDirectoryA(saved_); }
    TempDir dir_;
    char saved_[MAX_PATH] = {};
};

// As Windows' own _chdir: the drive's directory is recorded, so "C:name" still names a file of
// that folder once another drive is current.
TEST_F(Directories, ChangeRecordsTheDrivesDirectory) {
    EXPECT_EQ(Variable("=C:"), dir_ / "one");
    ASSERT_TRUE(framework::ChangeDirectory("z:\\"));
    EXPECT_EQ(Variable("=Z:"), "z:\\");
    EXPECT_EQ(Variable("=C:"), dir_ / "one");
    EXPECT_EQ(Resolved("C:name"), dir_ / "one\\name");
    ASSERT_TRUE(framework::ChangeDirectory("C:..\\two"));  // relative to where C: is
    EXPECT_EQ(Resolved("name"), dir_ / "two\\name");
    EXPECT_EQ(Variable("=C:"), dir_ / "two");
    ASSERT_TRUE(framework::ChangeDirectory("\\"));
    EXPECT_EQ(Variable("=C:"), "C:\\");
}

TEST_F(Directories, FailedChangeChangesNothing) {
    EXPECT_FALSE(framework::ChangeDirectory(dir_ / "missing"));
    EXPECT_FALSE(framework::ChangeDirectory("C:missing"));
    EXPECT_EQ(Resolved("name"), dir_ / "one\\name");
    EXPECT_EQ(Variable("=C:"), dir_ / "one");
}

// Put back from the drive itself or from another one that has become current meanwhile.
TEST_F(Directories, DriveDirectoryPutsBackWhatTheDriveNames) {
    for (const std::string& last : {std::string("Z:\\"), dir_ / "two"}) {
        ASSERT_TRUE(framework::ChangeDirectory(dir_ / "one"));
        const framework::DriveDirectory kept('c');
        ASSERT_TRUE(framework::ChangeDirectory(dir_ / "two"));
        ASSERT_TRUE(framework::ChangeDirectory(last));
        const std::string current = Resolved(".");
        kept.Restore();
        EXPECT_EQ(Resolved("C:name"), dir_ / "one\\name") << last;
        EXPECT_EQ(Resolved(".").substr(0, 1), current.substr(0, 1)) << "the current drive stays";
    }
}

}  // namespace
