// The view's sequencing when a page cannot open: this program carries no dialog templates, so
// every page fails to open, and the wizard must not leave a bare window behind.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/main_frame.h"
#include "engine/program_folder.h"
#include "ids/resource.h"
#include "tests/support/test_support.h"

namespace {

class PageThatCannotOpen : public ::testing::TestWithParam<int> {};

TEST_P(PageThatCannotOpen, ClosesTheFrame) {
    testing_support::TempDir dir;
    engine::SetProgramFolder(dir.path());  // no manifest: empty fields
    CMainFrame frame;
    ASSERT_TRUE(frame.LoadFrame(::GetModuleHandleA(nullptr), nullptr));
    MSG msg{};
    // Drop the queued start and title commands; posted messages only, as paints recur.
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_POSTMESSAGE)) {
    }
    ::SendMessageA(frame.View().Handle(), WM_COMMAND, WPARAM(GetParam()), 0);
    bool closeQueued = false;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_POSTMESSAGE)) {
        closeQueued = closeQueued || (msg.hwnd == frame.Handle() && msg.message == WM_CLOSE);
        EXPECT_FALSE(msg.message == WM_COMMAND && msg.hwnd == frame.View().Handle())
            << "a page command was posted: " << msg.wParam;
    }
    EXPECT_TRUE(closeQueued);
}

INSTANTIATE_TEST_SUITE_P(Pages, PageThatCannotOpen,
                         ::testing::Values(ID_START_PAGE, ID_DESTINATION_PAGE, ID_CONFIRM_PAGE));

}  // namespace
