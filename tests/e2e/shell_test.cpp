// Starts the real Renovo.exe from a prepared program folder and checks its main window from
// outside, as a user's desktop would see it; keeps a screenshot of it.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "framework/handles.h"
#include "tests/e2e/driver.h"
#include "tests/support/test_support.h"

namespace {

using e2e::WinePath;
using testing_support::TempDir;
using testing_support::WriteFile;

const std::string kTitle = "  Renovo 更新ﾃｽﾄ  ";  // blanks kept

std::string Manifest() {
    std::string text = kTitle + "\r\n";
    for (int line = 2; line <= 41; ++line) {
        text += (line == 21 ? "view.bmp" : "") + std::string("\r\n");
    }
    return text;
}

// A 2x2 24-bit picture: top row red, green; bottom row blue, white.
std::string ViewBitmap() {
    std::string px = std::string("\xFF\x00\x00\xFF\xFF\xFF\x00\x00", 8) +  // blue, white
                     std::string("\x00\x00\xFF\x00\xFF\x00\x00\x00", 8);   // red, green
    std::string h(54, '\0');
    auto put = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            h[at + i] = static_cast<char>(v >> (8 * i));
    };
    h[0] = 'B', h[1] = 'M';
    put(2, 54 + 16), put(14, 40), put(18, 2), put(22, 2), put(26, 1 | 24 << 16);
    return h + px;
}

std::string Caption(HWND hwnd) {
    char text[256] = {};
    ::GetWindowTextA(hwnd, text, sizeof(text));
    return text;
}

class Shell : public ::testing::Test {
protected:
    void Start() {
        const std::string exe = dir_ / "RENOVO.EXE";
        ASSERT_TRUE(::CopyFileA(WinePath(RENOVO_EXE).c_str(), exe.c_str(), FALSE));
        ASSERT_TRUE(program_.Start(exe, dir_.path()));
        for (int i = 0; i < 200 && !frame_; ++i) {
            frame_ = program_.Frame();
            ::Sleep(50);
        }
        ASSERT_NE(frame_, nullptr);
    }
    // The caption changes once the queued title command has run.
    std::string SettledCaption(const std::string& expect) {
        for (int i = 0; i < 200 && Caption(frame_) != expect; ++i) {
            ::Sleep(50);
        }
        return Caption(frame_);
    }
    void CloseAndExpectExitZero() {
        ::PostMessageA(frame_, WM_CLOSE, 0, 0);
        EXPECT_EQ(program_.WaitExit(10000), 0);
    }

    TempDir dir_;
    e2e::Program program_;
    HWND frame_ = nullptr;
};

TEST_F(Shell, MainWindowFromOutside) {
    WriteFile(dir_ / "info.txt", Manifest());
    WriteFile(dir_ / "view.bmp", ViewBitmap());
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_EQ(SettledCaption(kTitle), kTitle);

    // The start page is open in front of it, and a modal page disables its owner meanwhile.
    const LONG style = ::GetWindowLongA(frame_, GWL_STYLE) & ~WS_DISABLED;
    // Asked for WS_VISIBLE alone: the system adds the caption and sibling clipping that every
    // overlapped window gets, and the maximised state; no menu, buttons or sizing border.
    EXPECT_EQ(static_cast<DWORD>(style),
              DWORD{WS_VISIBLE | WS_CAPTION | WS_CLIPSIBLINGS | WS_MAXIMIZE})
        << std::hex << style;
    EXPECT_EQ(::GetMenu(frame_), nullptr);
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    ASSERT_TRUE(::GetWindowPlacement(frame_, &wp));
    EXPECT_EQ(wp.showCmd, static_cast<UINT>(SW_SHOWMAXIMIZED));
    EXPECT_TRUE(::IsZoomed(frame_));
    RECT window{};
    ::GetWindowRect(frame_, &window);
    POINT clientOrigin{0, 0};
    ::ClientToScreen(frame_, &clientOrigin);
    // Maximised at the origin: the frame's inside starts at the screen's left edge and its
    // border lies just off the screen.
    EXPECT_EQ(clientOrigin.x, 0);
    EXPECT_LT(window.left, 0);
    EXPECT_LT(window.top, 0);
    EXPECT_GE(window.right, ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_GE(window.bottom, ::GetSystemMetrics(SM_CYSCREEN));

    // The view fills the client area and shows the picture stretched over it.
    HWND view = ::GetWindow(frame_, GW_CHILD);
    ASSERT_NE(view, nullptr);
    RECT client{}, viewRect{};
    ::GetClientRect(frame_, &client);
    ::GetClientRect(view, &viewRect);
    EXPECT_EQ(viewRect.right, client.right);
    EXPECT_EQ(viewRect.bottom, client.bottom);
    ::Sleep(500);  // let the first paint land
    POINT origin{0, 0};
    ::ClientToScreen(view, &origin);
    RECT shot{origin.x, origin.y, origin.x + viewRect.right, origin.y + viewRect.bottom};
    // What the screen shows of the window (its border lies just off the screen's edge).
    RECT screen{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    RECT visible{};
    ::IntersectRect(&visible, &window, &screen);
    e2e::ScreenshotRect(visible, WinePath(RENOVO_ARTIFACTS) + "\\main-window.bmp");
    const std::string viewPixels = e2e::ScreenshotRect(shot, dir_ / "view.shot.bmp");
    const int w = viewRect.right, h = viewRect.bottom, stride = (w * 3 + 3) / 4 * 4;
    auto colour = [&](int x, int y) {  // bottom-up rows of blue, green, red
        const char* p = viewPixels.data() + static_cast<size_t>(h - 1 - y) * stride + x * 3;
        return uint32_t(uint8_t(p[2])) << 16 | uint32_t(uint8_t(p[1])) << 8 | uint8_t(p[0]);
    };
    EXPECT_EQ(colour(w / 4, h / 4), 0xFF0000u);
    EXPECT_EQ(colour(3 * w / 4, h / 4), 0x00FF00u);
    EXPECT_EQ(colour(w / 4, 3 * h / 4), 0x0000FFu);
    EXPECT_EQ(colour(3 * w / 4, 3 * h / 4), 0xFFFFFFu);

    CloseAndExpectExitZero();
}

TEST_F(Shell, NoManifestGivesEmptyCaption) {
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_EQ(SettledCaption(""), "");
    CloseAndExpectExitZero();
}

}  // namespace
