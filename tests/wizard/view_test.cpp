// The view's sequencing when a page cannot open: this program carries no dialog templates, so
// every page fails to open, and the wizard must not leave a bare window behind.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/main_frame.h"
#include "engine/program_folder.h"
#include "engine/texts.h"
#include "ids/resource.h"
#include "tests/support/test_support.h"
#include "text/format.h"
#include "wizard/texts.h"

namespace {

using testing_support::From932;
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

struct ErrorBox {
    HWND owner = nullptr;
    std::wstring text;
};
ErrorBox g_box;

void CALLBACK CloseErrorBox(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = ::FindWindowW(L"#32770", From932(engine::kCaptionError).c_str());
    if (box != nullptr && g_box.owner == nullptr) {
        g_box.owner = ::GetWindow(box, GW_OWNER);
        wchar_t text[512] = {};
        ::GetDlgItemTextW(box, 0xFFFF, text, 512);
        g_box.text = text;
        ::SendMessageW(box, WM_COMMAND, IDOK, 0);
    }
}

// The product's Uninstall entry names its folder in characters cp932 cannot carry: before the
// destination page, the view says so by name (the page then proposes the manifest's folder).
TEST(UnusableInstalledFolder, IsNamedBeforeTheDestinationPage) {
    ASSERT_EQ(::GetACP(), testing_support::NamedCodePage());
    const std::wstring root = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    const std::string name = "RenovoView-" + std::to_string(::GetCurrentProcessId());
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, (root + From932(name)).c_str(), 0, nullptr, 0,
                                KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::wstring value = L"C:\\U.EXE -fD:\\\u88FD\u54C1\u0915\\SETUP.LOG";
    ::RegSetValueExW(key, L"UninstallString", 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(value.c_str()),
                     DWORD((value.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
    testing_support::TempDir dir;
    testing_support::WriteFile(dir / "info.txt", name + "\r\n");
    engine::SetProgramFolder(dir.path());
    g_box = {};
    {
        CMainFrame frame;
        ASSERT_TRUE(frame.LoadFrame(::GetModuleHandleW(nullptr), nullptr));
        MSG msg{};
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_POSTMESSAGE)) {
        }
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &CloseErrorBox);
        ::SendMessageW(frame.View().Handle(), WM_COMMAND, WPARAM(ID_DESTINATION_PAGE), 0);
        ::KillTimer(nullptr, timer);
        EXPECT_EQ(g_box.owner, frame.Handle());  // the view's top-level window
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_POSTMESSAGE)) {
        }
    }
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, root.c_str(), 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY,
                        &key) == ERROR_SUCCESS) {
        ::RegDeleteKeyW(key, From932(name).c_str());
        ::RegCloseKey(key);
    }
    EXPECT_EQ(g_box.text, From932(text::Format(wizard::kUnusableInstalledFolder, "D:\\製品?")));
}

}  // namespace
