// Starts the real Renovo.exe from a prepared program folder and checks its main window from
// outside, as a user's desktop would see it; keeps a screenshot of it.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "framework/handles.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::TempDir;
using testing_support::WriteFile;

// Build paths come as Unix paths; Wine shows the Unix root as drive Z:.
std::string WinePath(std::string unixPath) {
    for (char& c : unixPath) {
        if (c == '/') {
            c = '\\';
        }
    }
    return "Z:" + unixPath;
}

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

struct Found {
    DWORD pid;
    HWND hwnd;
};

BOOL CALLBACK FindFrame(HWND hwnd, LPARAM lp) {
    auto* f = reinterpret_cast<Found*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    char cls[64] = {};
    ::GetClassNameA(hwnd, cls, sizeof(cls));
    if (pid == f->pid && std::string(cls) == "CMainFrame") {
        f->hwnd = hwnd;
        return FALSE;
    }
    return TRUE;
}

std::string Caption(HWND hwnd) {
    char text[256] = {};
    ::GetWindowTextA(hwnd, text, sizeof(text));
    return text;
}

// Writes what the screen shows of `rect` as a 24-bit bitmap file; returns the pixels.
std::string Screenshot(const RECT& rect, const std::string& path) {
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    framework::WindowDc screen(nullptr);
    framework::GdiObject<HBITMAP> bitmap(
        ::CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    framework::MemoryDc mem(::CreateCompatibleDC(screen.Get()));
    {
        framework::SelectionGuard select(mem.Get(), bitmap.Get());
        ::BitBlt(mem.Get(), 0, 0, w, h, screen.Get(), rect.left, rect.top, SRCCOPY);
        ::GdiFlush();
    }
    const size_t size = static_cast<size_t>((w * 3 + 3) / 4 * 4) * h;
    std::string pixels(static_cast<const char*>(bits), size);
    std::string file(54, '\0');
    auto put = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            file[at + i] = static_cast<char>(v >> (8 * i));
    };
    file[0] = 'B', file[1] = 'M';
    put(2, static_cast<uint32_t>(54 + size)), put(10, 54);
    std::memcpy(file.data() + 14, &info.bmiHeader, 40);
    WriteFile(path, file + pixels);
    return pixels;
}

class Shell : public ::testing::Test {
protected:
    void Start() {
        const std::string exe = dir_ / "RENOVO.EXE";
        ASSERT_TRUE(::CopyFileA(WinePath(RENOVO_EXE).c_str(), exe.c_str(), FALSE));
        STARTUPINFOA si{};
        si.cb = sizeof(si);
        std::string cmd = "\"" + exe + "\"";
        ASSERT_TRUE(::CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                     dir_.path().c_str(), &si, &pi_));
        process_.Reset(pi_.hProcess);
        framework::File thread(pi_.hThread);
        ::WaitForInputIdle(pi_.hProcess, 10000);
        Found f{pi_.dwProcessId, nullptr};
        for (int i = 0; i < 200 && !f.hwnd; ++i) {
            ::EnumWindows(FindFrame, reinterpret_cast<LPARAM>(&f));
            ::Sleep(50);
        }
        ASSERT_NE(f.hwnd, nullptr);
        frame_ = f.hwnd;
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
        ASSERT_EQ(::WaitForSingleObject(process_.Get(), 10000), WAIT_OBJECT_0);
        DWORD code = 99;
        ::GetExitCodeProcess(process_.Get(), &code);
        EXPECT_EQ(code, 0u);
    }
    void TearDown() override {
        if (process_ && ::WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(process_.Get(), 1);
            ::WaitForSingleObject(process_.Get(), 5000);
        }
    }

    TempDir dir_;
    PROCESS_INFORMATION pi_{};
    framework::File process_;
    HWND frame_ = nullptr;
};

TEST_F(Shell, MainWindowFromOutside) {
    WriteFile(dir_ / "info.txt", Manifest());
    WriteFile(dir_ / "view.bmp", ViewBitmap());
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_EQ(SettledCaption(kTitle), kTitle);

    const LONG style = ::GetWindowLongA(frame_, GWL_STYLE);
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
    Screenshot(visible, WinePath(RENOVO_ARTIFACTS) + "\\main-window.bmp");
    const std::string viewPixels = Screenshot(shot, dir_ / "view.shot.bmp");
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
