// The progress window as the window's thread drives it for the run: open at the first entry
// (or made ahead, hidden), owned by the owner's window and its thread, up to date before a
// message, gone once closed.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "tests/support/test_support.h"
#include "wizard/progress_window.h"

namespace {

using testing_support::From932;
using wizard::CProgressWindow;

// Read through the W calls and compared with the cp932 texts converted here, so that the runs
// at code pages 1252 and 65001 see what a user would.
std::wstring ItemText(HWND window, int id) {
    HWND item = ::GetDlgItem(window, id);
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(item)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(item, text.data(), int(text.size()))));
    return text;
}

TEST(ProgressWindow, IsCurrentBeforeAMessageAndGoneOnceClosed) {
    ASSERT_EQ(::GetACP(), testing_support::NamedCodePage());
    HWND owner = ::CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200,
                                   nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner, nullptr);
    for (int run = 1; run <= 4; ++run) {
        SCOPED_TRACE(run);
        CProgressWindow progress(owner);
        // As the wizard does at its last page: made ahead and hidden, the owner's still taking
        // input and owning the messages until the first entry.
        if (run % 2 == 0) {
            progress.Prepare();
            const HWND made = ::FindWindowW(From932(CProgressWindow::kClassName).c_str(), nullptr);
            ASSERT_NE(made, nullptr);
            EXPECT_FALSE(::IsWindowVisible(made));
            EXPECT_TRUE(::IsWindowEnabled(owner));
            EXPECT_EQ(progress.MessageOwner(), owner);
        }
        const std::string name = "単価ﾃﾞｰﾀ" + std::to_string(run);
        progress.ShowEntry(run, 4, 2, name);
        progress.ShowFile("材料表.DAT", 1, 4);
        // A message of the user's own, which the run must leave queued.
        ::PostMessageW(owner, WM_APP + 7, 0, 0);
        const HWND window = progress.MessageOwner();
        ASSERT_NE(window, owner);
        EXPECT_TRUE(::IsWindowVisible(window));
        wchar_t caption[32] = {};
        ::GetWindowTextW(window, caption, 32);
        EXPECT_EQ(std::wstring(caption), From932("アップデート"));
        EXPECT_EQ(::GetWindow(window, GW_OWNER), owner);
        EXPECT_FALSE(::IsWindowEnabled(owner));
        EXPECT_EQ(ItemText(window, CProgressWindow::kEntryText),
                  From932(std::to_string(run) + " / 4  " + name));
        EXPECT_EQ(ItemText(window, CProgressWindow::kDiskText), From932("2 枚目のｱｯﾌﾟﾃﾞｲﾄFD"));
        EXPECT_EQ(ItemText(window, CProgressWindow::kFileText), From932("材料表.DAT"));
        EXPECT_EQ(::SendDlgItemMessageW(window, CProgressWindow::kBar, PBM_GETPOS, 0, 0), 250);
        EXPECT_EQ(::GetWindowThreadProcessId(window, nullptr), ::GetCurrentThreadId());

        progress.Close();
        EXPECT_FALSE(::IsWindowVisible(window));
        EXPECT_TRUE(::IsWindowEnabled(owner));
        MSG msg;
        EXPECT_TRUE(::PeekMessageW(&msg, owner, WM_APP + 7, WM_APP + 7, PM_REMOVE));
        EXPECT_FALSE(::IsWindow(window));
    }
    ::DestroyWindow(owner);
}

// The conversions show only the master file; nothing of the last entry stays on screen.
TEST(ProgressWindow, AConversionReplacesTheEntryShown) {
    CProgressWindow progress;
    progress.ShowEntry(3, 3, 2, "DATA2");
    progress.ShowFile("PRICE.DAT", 3, 4);
    progress.ShowConversion("材料ｻｲｽﾞ変換");
    const HWND window = progress.MessageOwner();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(ItemText(window, CProgressWindow::kEntryText), From932("材料ｻｲｽﾞ変換"));
    for (int id : {CProgressWindow::kDiskText, CProgressWindow::kFileText}) {
        EXPECT_EQ(ItemText(window, id), L"") << id;
    }
    EXPECT_EQ(::SendDlgItemMessageW(window, CProgressWindow::kBar, PBM_GETPOS, 0, 0), 0);
    progress.Close();
    EXPECT_FALSE(::IsWindow(window));
}

}  // namespace
