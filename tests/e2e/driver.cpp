#include "tests/e2e/driver.h"

#include <cstring>

#include "ids/resource.h"
#include "tests/support/test_support.h"

namespace e2e {

std::string WinePath(std::string unixPath) {
    for (char& c : unixPath) {
        if (c == '/') {
            c = '\\';
        }
    }
    return "Z:" + unixPath;
}

std::string Shown::Text(int id) const {
    char text[4096] = {};
    ::GetDlgItemTextA(hwnd, id, text, sizeof(text));
    return text;
}

std::vector<std::string> Shown::ListItems(int id) const {
    HWND list = ::GetDlgItem(hwnd, id);
    std::vector<std::string> items;
    const LRESULT count = ::SendMessageA(list, LB_GETCOUNT, 0, 0);
    // Wide: Wine hands the ANSI text of another process's list box back cut short.
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t wide[512] = {};
        ::SendMessageW(list, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(wide));
        char text[1024] = {};
        ::WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof(text), nullptr, nullptr);
        items.emplace_back(text);
    }
    return items;
}

namespace {

struct Search {
    DWORD pid;
    HWND skip;
    HWND found;
    const char* className;
};

BOOL CALLBACK FindVisible(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    char cls[64] = {};
    ::GetClassNameA(hwnd, cls, sizeof(cls));
    if (pid == s->pid && hwnd != s->skip && ::IsWindowVisible(hwnd) &&
        std::strcmp(cls, s->className) == 0) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindWindowOf(DWORD pid, const char* className, HWND skip) {
    Search s{pid, skip, nullptr, className};
    ::EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

}  // namespace

Program::~Program() {
    if (process_ && ::WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(process_.Get(), 1);
        ::WaitForSingleObject(process_.Get(), 5000);
    }
}

bool Program::Start(const std::string& exe, const std::string& folder,
                    const std::string& arguments) {
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::string cmd = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    if (!::CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &si, &pi)) {
        return false;
    }
    process_.Reset(pi.hProcess);
    framework::File thread(pi.hThread);
    pid_ = pi.dwProcessId;
    ::WaitForInputIdle(pi.hProcess, 10000);
    return true;
}

Shown Program::Next(HWND previous, DWORD timeoutMs) const {
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        if (HWND hwnd = FindWindowOf(pid_, "#32770", previous)) {
            ::Sleep(300);  // let it paint before anyone looks at it
            Shown shown;
            shown.hwnd = hwnd;
            char caption[256] = {};
            ::GetWindowTextA(hwnd, caption, sizeof(caption));
            shown.caption = caption;
            shown.isPage = ::GetDlgItem(hwnd, IDC_PICTURE) != nullptr;
            return shown;
        }
        if (::WaitForSingleObject(process_.Get(), 50) == WAIT_OBJECT_0) {
            break;
        }
    }
    return {};
}

void Program::Press(const Shown& shown, int buttonId) const {
    HWND button = ::GetDlgItem(shown.hwnd, buttonId);
    if (button) {
        ::PostMessageA(button, BM_CLICK, 0, 0);
    } else {  // Escape reaches a dialog as the command IDCANCEL
        ::PostMessageA(shown.hwnd, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0);
    }
    for (int i = 0; i < 300 && ::IsWindow(shown.hwnd) && ::IsWindowVisible(shown.hwnd); ++i) {
        ::Sleep(20);
    }
}

long Program::WaitExit(DWORD timeoutMs) const {
    if (::WaitForSingleObject(process_.Get(), timeoutMs) != WAIT_OBJECT_0) {
        return -1;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process_.Get(), &code);
    return static_cast<long>(code);
}

HWND Program::Frame() const {
    return FindWindowOf(pid_, "CMainFrame", nullptr);
}

void SetText(const Shown& shown, int id, const std::string& text) {
    ::SendMessageA(::GetDlgItem(shown.hwnd, id), WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>(text.c_str()));
}

void SelectListItem(const Shown& shown, int id, int index, bool doubleClick) {
    HWND list = ::GetDlgItem(shown.hwnd, id);
    ::SendMessageA(list, LB_SETCURSEL, WPARAM(index), 0);
    ::SendMessageA(shown.hwnd, WM_COMMAND, MAKEWPARAM(id, doubleClick ? LBN_DBLCLK : LBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(list));
}

std::string ScreenshotRect(const RECT& rect, const std::string& path) {
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (w <= 0 || h <= 0) {
        return {};
    }
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    framework::WindowDc screenDc(nullptr);
    framework::GdiObject<HBITMAP> bitmap(
        ::CreateDIBSection(screenDc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    framework::MemoryDc mem(::CreateCompatibleDC(screenDc.Get()));
    if (!bitmap || !mem) {
        return {};
    }
    {
        framework::SelectionGuard select(mem.Get(), bitmap.Get());
        ::BitBlt(mem.Get(), 0, 0, w, h, screenDc.Get(), rect.left, rect.top, SRCCOPY);
        ::GdiFlush();
    }
    const size_t size = static_cast<size_t>((w * 3 + 3) / 4 * 4) * h;
    std::string pixels(static_cast<const char*>(bits), size);
    std::string file(54, '\0');
    auto put = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            file[at + i] = static_cast<char>(v >> (8 * i));
        }
    };
    file[0] = 'B', file[1] = 'M';
    put(2, static_cast<uint32_t>(54 + size)), put(10, 54);
    std::memcpy(file.data() + 14, &info.bmiHeader, 40);
    testing_support::WriteFile(path, file + pixels);
    return pixels;
}

bool Screenshot(HWND hwnd, const std::string& path) {
    RECT rect{};
    if (!::GetWindowRect(hwnd, &rect)) {
        return false;
    }
    RECT screen{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    ::IntersectRect(&rect, &rect, &screen);
    return !ScreenshotRect(rect, path).empty();
}

std::string UnixName(const std::string& path) {
    using ToUnix = char*(CDECL*)(const wchar_t*);
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    std::wstring wide(path.size() + 1, L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    char* name = toUnix != nullptr ? toUnix(wide.c_str()) : nullptr;
    if (name == nullptr) {
        return {};
    }
    std::string unixName = name;
    ::HeapFree(::GetProcessHeap(), 0, name);
    return unixName;
}

// Wine cannot wait for a Unix process: the command says it is done by a file of its own.
bool RunUnixCommand(const std::string& command, DWORD timeoutMs) {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(sizeof temp, temp);
    const std::string done =
        std::string(temp) + "renovo-unix-" + std::to_string(::GetCurrentProcessId()) + ".done";
    ::DeleteFileA(done.c_str());
    const std::string doneUnix = UnixName(done);
    if (doneUnix.empty()) {
        return false;
    }
    std::string line = "Z:\\bin\\sh -c \"" + command + "; touch '" + doneUnix + "'\"";
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                          &pi)) {
        return false;
    }
    framework::File process(pi.hProcess), thread(pi.hThread);
    for (DWORD waited = 0; waited < timeoutMs; waited += 10) {
        if (::GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES) {
            ::DeleteFileA(done.c_str());
            return true;
        }
        ::Sleep(10);
    }
    return false;
}

namespace {

template <typename Visit>
void ForEachEntry(const std::string& folder, Visit visit) {
    WIN32_FIND_DATAA data{};
    framework::FindHandle find(::FindFirstFileA((folder + "*").c_str(), &data));
    if (!find) {
        return;
    }
    do {
        const std::string name = data.cFileName;
        if (name != "." && name != "..") {
            visit(name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
        }
    } while (::FindNextFileA(find.Get(), &data));
}

}  // namespace

void CopyTree(const std::string& from, const std::string& to) {
    ::CreateDirectoryA(to.c_str(), nullptr);
    ForEachEntry(from, [&](const std::string& name, bool isDir) {
        if (isDir) {
            CopyTree(from + name + "\\", to + name + "\\");
        } else {
            ::CopyFileA((from + name).c_str(), (to + name).c_str(), FALSE);
        }
    });
}

void EmptyFolder(const std::string& folder) {
    ForEachEntry(folder, [&](const std::string& name, bool isDir) {
        if (isDir) {
            testing_support::RemoveTree(folder + name);
        } else {
            ::SetFileAttributesA((folder + name).c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileA((folder + name).c_str());
        }
    });
}

}  // namespace e2e
