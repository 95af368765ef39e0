#include "tests/e2e/driver.h"

#include <cstring>

#include "framework/files.h"
#include "framework/wide.h"
#include "ids/resource.h"
#include "tests/support/test_support.h"

namespace e2e {

namespace {

// A message for a window of the program, with a time limit: a program that hangs or has
// crashed (Wine's debugger then holds it) must fail the test, not stall it. 0 when unanswered.
LRESULT Ask(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, 15000, &result)) {
        return 0;
    }
    return static_cast<LRESULT>(result);
}

// Texts are read in UTF-16 and taken back to cp932 by name, so that the driver reads the same
// bytes at any system code page ('?' for what cp932 lacks).
std::string Caption(HWND hwnd) {
    // Another process's caption is read without a message to it; the buffer grows until the
    // whole caption fits.
    std::wstring text(256, L'\0');
    int got = 0;
    while ((got = ::GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))) ==
           static_cast<int>(text.size()) - 1) {
        text.resize(text.size() * 2);
    }
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return framework::NarrowShown(text);
}

// A control's text is asked of the control itself, as GetDlgItemText does.
std::string ControlText(HWND control) {
    const LRESULT length = Ask(control, WM_GETTEXTLENGTH);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    const LRESULT got =
        Ask(control, WM_GETTEXT, WPARAM(text.size()), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return framework::NarrowShown(text);
}

}  // namespace

std::string WinePath(std::string unixPath) {
    for (char& c : unixPath) {
        if (c == '/') {
            c = '\\';
        }
    }
    return "Z:" + unixPath;
}

std::string Shown::Text(int id) const {
    HWND item = ::GetDlgItem(hwnd, id);
    return item != nullptr ? ControlText(item) : std::string();
}

std::vector<std::string> Shown::ListItems(int id) const {
    HWND list = ::GetDlgItem(hwnd, id);
    std::vector<std::string> items;
    const LRESULT count = Ask(list, LB_GETCOUNT);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = Ask(list, LB_GETTEXTLEN, WPARAM(i));
        std::wstring wide(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
        const LRESULT got = Ask(list, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(wide.data()));
        wide.resize(static_cast<size_t>(got > 0 ? got : 0));
        items.push_back(framework::NarrowShown(wide));
    }
    return items;
}

namespace {

struct Search {
    DWORD pid;
    HWND skip;
    HWND found;
    const wchar_t* className;
};

BOOL CALLBACK FindVisible(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    // Class names are at most 256 characters.
    wchar_t cls[257] = {};
    ::GetClassNameW(hwnd, cls, 257);
    if (pid == s->pid && hwnd != s->skip && ::IsWindowVisible(hwnd) &&
        std::wcscmp(cls, s->className) == 0) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindWindowOf(DWORD pid, const wchar_t* className, HWND skip) {
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
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::wstring cmd =
        framework::Wide("\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments));
    if (!::CreateProcessW(framework::Wide(exe).c_str(), cmd.data(), nullptr, nullptr, FALSE, 0,
                          nullptr, framework::Wide(folder).c_str(), &si, &pi)) {
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
        if (HWND hwnd = FindWindowOf(pid_, L"#32770", previous)) {
            ::Sleep(300);  // let it paint before anyone looks at it
            Shown shown;
            shown.hwnd = hwnd;
            shown.caption = Caption(hwnd);
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
        ::PostMessageW(button, BM_CLICK, 0, 0);
    } else {  // Escape reaches a dialog as the command IDCANCEL
        ::PostMessageW(shown.hwnd, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0);
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
    return FindWindowOf(pid_, L"CMainFrame", nullptr);
}

void SetText(const Shown& shown, int id, const std::string& text) {
    const std::wstring wide = framework::Wide(text);
    Ask(::GetDlgItem(shown.hwnd, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

void SelectListItem(const Shown& shown, int id, int index, bool doubleClick) {
    HWND list = ::GetDlgItem(shown.hwnd, id);
    Ask(list, LB_SETCURSEL, WPARAM(index));
    Ask(shown.hwnd, WM_COMMAND, MAKEWPARAM(id, doubleClick ? LBN_DBLCLK : LBN_SELCHANGE),
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
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* name = toUnix != nullptr ? toUnix(framework::Wide(path).c_str()) : nullptr;
    if (name == nullptr) {
        return {};
    }
    std::string unixName = name;
    ::HeapFree(::GetProcessHeap(), 0, name);
    return unixName;
}

// Wine cannot wait for a Unix process: the command says it is done by a file of its own.
bool RunUnixCommand(const std::string& command, DWORD timeoutMs) {
    std::wstring temp(MAX_PATH + 1, L'\0');
    temp.resize(::GetTempPathW(MAX_PATH + 1, temp.data()));
    const std::string done = framework::NarrowShown(temp) + "renovo-unix-" +
                             std::to_string(::GetCurrentProcessId()) + ".done";
    framework::DeletePath(done);
    const std::string doneUnix = UnixName(done);
    if (doneUnix.empty()) {
        return false;
    }
    std::wstring line =
        framework::Wide("Z:\\bin\\sh -c \"" + command + "; touch '" + doneUnix + "'\"");
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                          &pi)) {
        return false;
    }
    framework::File process(pi.hProcess), thread(pi.hThread);
    for (DWORD waited = 0; waited < timeoutMs; waited += 10) {
        if (framework::PathExists(done)) {
            framework::DeletePath(done);
            return true;
        }
        ::Sleep(10);
    }
    return false;
}

namespace {

// Names cp932 cannot carry are passed over: the test folders hold none of their own.
template <typename Visit>
void ForEachEntry(const std::string& folder, Visit visit) {
    framework::FileFind find;
    for (bool more = find.FindFile(folder + "*"); more; more = find.Next()) {
        if (!find.IsDots() && find.NameFits()) {
            visit(find.FileName(), find.IsDirectory());
        }
    }
}

}  // namespace

bool CopyPath(const std::string& from, const std::string& to) {
    return ::CopyFileW(framework::Wide(from).c_str(), framework::Wide(to).c_str(), FALSE) != 0;
}

void CopyTree(const std::string& from, const std::string& to) {
    framework::MakeFolder(to);
    ForEachEntry(from, [&](const std::string& name, bool isDir) {
        if (isDir) {
            CopyTree(from + name + "\\", to + name + "\\");
        } else {
            CopyPath(from + name, to + name);
        }
    });
}

void EmptyFolder(const std::string& folder) {
    ForEachEntry(folder, [&](const std::string& name, bool isDir) {
        if (isDir) {
            testing_support::RemoveTree(folder + name);
        } else {
            framework::SetAttributesOf(folder + name, FILE_ATTRIBUTE_NORMAL);
            framework::DeletePath(folder + name);
        }
    });
}

}  // namespace e2e
