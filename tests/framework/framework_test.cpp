#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <set>
#include <stdexcept>
#include <vector>

#include "app/res/resource.h"
#include "framework/application.h"
#include "framework/dialog.h"
#include "framework/files.h"
#include "framework/list_box.h"
#include "framework/window.h"
#include "tests/support/test_support.h"
#include "text/cp932.h"

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
    std::string read;
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
    bool OnCreate(CREATESTRUCTA&) override {
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
    HWND hwnd = ::CreateWindowExA(0, "LISTBOX", "", LBS_SORT | LBS_NOTIFY, 0, 0, 100, 100, nullptr,
                                  nullptr, Self(), nullptr);
    ASSERT_NE(hwnd, nullptr);
    framework::ListBox list(hwnd);
    for (const char* s : {"[b]", "[..]", "[a]"}) {
        EXPECT_GE(list.AddString(s), 0);
    }
    EXPECT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.GetText(0), "[..]");
    EXPECT_EQ(list.GetText(2), "[b]");
    EXPECT_EQ(list.GetText(7), "");
    EXPECT_EQ(list.GetCurSel(), -1);
    list.SetCurSel(1);
    EXPECT_EQ(list.GetCurSel(), 1);
    list.ResetContent();
    EXPECT_EQ(list.GetCount(), 0);
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

TEST(FileStatus, ReadAndWriteBack) {
    TempDir dir;
    const std::string path = dir / "s.dat";
    WriteFile(path, "12345");
    framework::FileStatus status;
    ASSERT_TRUE(framework::GetFileStatus(path, status));
    EXPECT_EQ(status.size, 5u);
    EXPECT_TRUE(text::EqualsIgnoreCase(status.fullName, path));

    const FILETIME when{0x12345600, 0x01C00000};
    status.modified = when;
    status.attribute = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
    ASSERT_TRUE(framework::SetFileStatus(path, status));
    framework::FileStatus back;
    ASSERT_TRUE(framework::GetFileStatus(path, back));
    // Wine reports the archive bit on every file, so it is left out of the comparisons.
    EXPECT_EQ(back.attribute & ~FILE_ATTRIBUTE_ARCHIVE,
              FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(back.modified.dwLowDateTime, when.dwLowDateTime);
    EXPECT_EQ(back.modified.dwHighDateTime, when.dwHighDateTime);

    // Read-only set, new times still go in; clearing the attributes leaves none.
    back.modified.dwLowDateTime += 10000000;
    back.attribute = 0;
    ASSERT_TRUE(framework::SetFileStatus(path, back));
    framework::FileStatus cleared;
    ASSERT_TRUE(framework::GetFileStatus(path, cleared));
    EXPECT_EQ(cleared.attribute & ~FILE_ATTRIBUTE_ARCHIVE, 0);
    EXPECT_EQ(cleared.modified.dwLowDateTime, back.modified.dwLowDateTime);
    EXPECT_FALSE(framework::GetFileStatus(dir / "missing", cleared));
}

}  // namespace
