// The progress window as the window's thread drives it for the run: open at the first entry
// (or made ahead, hidden), owned by the owner's window and its thread, up to date before a
// message, gone once closed.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "wizard/progress_window.h"

namespace {

using wizard::CProgressWindow;

std::string ItemText(HWND window, int id) {
    char text[128] = {};
    ::GetDlgItemTextA(window, id, text, sizeof(text));
    return text;
}

TEST(ProgressWindow, IsCurrentBeforeAMessageAndGoneOnceClosed) {
    HWND owner = ::CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200,
                                   nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(owner, nullptr);
    for (int run = 1; run <= 4; ++run) {
        SCOPED_TRACE(run);
        CProgressWindow progress(owner);
        // As the wizard does at its last page: made ahead and hidden, the owner's still taking
        // input and owning the messages until the first entry.
        if (run % 2 == 0) {
            progress.Prepare();
            const HWND made = ::FindWindowA(CProgressWindow::kClassName, nullptr);
            ASSERT_NE(made, nullptr);
            EXPECT_FALSE(::IsWindowVisible(made));
            EXPECT_TRUE(::IsWindowEnabled(owner));
            EXPECT_EQ(progress.MessageOwner(), owner);
        }
        const std::string name = "DATA" + std::to_string(run);
        progress.ShowEntry(run, 4, 1, name);
        progress.ShowFile("PRICE.DAT", 1, 4);
        // A message of the user's own, which the run must leave queued.
        ::PostMessageA(owner, WM_APP + 7, 0, 0);
        const HWND window = progress.MessageOwner();
        ASSERT_NE(window, owner);
        EXPECT_TRUE(::IsWindowVisible(window));
        EXPECT_EQ(::GetWindow(window, GW_OWNER), owner);
        EXPECT_FALSE(::IsWindowEnabled(owner));
        EXPECT_EQ(ItemText(window, CProgressWindow::kEntryText),
                  std::to_string(run) + " / 4  " + name);
        EXPECT_EQ(ItemText(window, CProgressWindow::kFileText), "PRICE.DAT");
        EXPECT_EQ(::SendDlgItemMessageA(window, CProgressWindow::kBar, PBM_GETPOS, 0, 0), 250);
        EXPECT_EQ(::GetWindowThreadProcessId(window, nullptr), ::GetCurrentThreadId());

        progress.Close();
        EXPECT_FALSE(::IsWindowVisible(window));
        EXPECT_TRUE(::IsWindowEnabled(owner));
        MSG msg;
        EXPECT_TRUE(::PeekMessageA(&msg, owner, WM_APP + 7, WM_APP + 7, PM_REMOVE));
        EXPECT_FALSE(::IsWindow(window));
    }
    ::DestroyWindow(owner);
}

// The conversions show only the master file; nothing of the last entry stays on screen.
TEST(ProgressWindow, AConversionReplacesTheEntryShown) {
    CProgressWindow progress;
    progress.ShowEntry(3, 3, 2, "DATA2");
    progress.ShowFile("PRICE.DAT", 3, 4);
    progress.ShowConversion("zai001-3.mst");
    const HWND window = progress.MessageOwner();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(ItemText(window, CProgressWindow::kEntryText), "zai001-3.mst");
    for (int id : {CProgressWindow::kDiskText, CProgressWindow::kFileText}) {
        EXPECT_EQ(ItemText(window, id), "") << id;
    }
    EXPECT_EQ(::SendDlgItemMessageA(window, CProgressWindow::kBar, PBM_GETPOS, 0, 0), 0);
    progress.Close();
    EXPECT_FALSE(::IsWindow(window));
}

}  // namespace
