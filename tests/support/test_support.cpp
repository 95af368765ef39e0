#include "tests/support/test_support.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace testing_support {

namespace {
#ifdef _WIN32
constexpr char kSep = '\\';
// Test paths are cp932, as the program's are, whatever the system code page the suite runs at.
std::wstring W(const std::string& cp932) {
    std::wstring w(cp932.size() + 1, L'\0');
    const int n = MultiByteToWideChar(932, 0, cp932.c_str(), -1, w.data(), int(w.size()));
    w.resize(n > 0 ? size_t(n - 1) : 0);
    return w;
}
std::string Narrow(const std::wstring& w) {
    std::string s(w.size() * 2 + 1, '\0');
    const int n = WideCharToMultiByte(932, 0, w.c_str(), -1, s.data(), int(s.size()), nullptr,
                                      nullptr);
    s.resize(n > 0 ? size_t(n - 1) : 0);
    return s;
}
std::string SystemTemp() {
    wchar_t buf[MAX_PATH + 1] = {};
    DWORD n = GetTempPathW(MAX_PATH + 1, buf);
    if (n == 0 || n > MAX_PATH) {
        throw std::runtime_error("GetTempPathW failed");
    }
    return Narrow(std::wstring(buf, n));
}
void RemoveTreeW(const std::wstring& dir) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring child = dir + L"\\" + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTreeW(child);
            } else {
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(dir.c_str());
}
unsigned ProcessId() { return GetCurrentProcessId(); }
#else
constexpr char kSep = '/';
std::string SystemTemp() {
    const char* t = std::getenv("TMPDIR");
    std::string s = t && *t ? t : "/tmp";
    return s.back() == '/' ? s : s + '/';
}
unsigned ProcessId() { return static_cast<unsigned>(getpid()); }
#endif
}  // namespace

TempDir::TempDir() {
    static unsigned counter = 0;
    std::string base = SystemTemp() + "renovo-test-" + std::to_string(ProcessId()) + "-";
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::string candidate = base + std::to_string(++counter);
#ifdef _WIN32
        bool made = CreateDirectoryW(W(candidate).c_str(), nullptr) != 0;
#else
        bool made = mkdir(candidate.c_str(), 0700) == 0;
#endif
        if (made) {
            path_ = candidate + kSep;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder under " + base);
}

TempDir::~TempDir() { RemoveTree(path_); }

#ifdef _WIN32
SmallDiskFolder::SmallDiskFolder() {
    const char* host = std::getenv("RENOVO_SMALL_DISK");
    if (host == nullptr || *host == '\0') {
        unavailable_ = "RENOVO_SMALL_DISK is not set: run the test through ctest";
        return;
    }
    std::string disk = std::string("Z:") + host + "\\";
    for (char& c : disk) {
        c = c == '/' ? '\\' : c;
    }
    ULARGE_INTEGER total{};
    if (!GetDiskFreeSpaceExW(W(disk).c_str(), nullptr, &total, nullptr) ||
        total.QuadPart > 64u * 1024 * 1024) {
        unavailable_ = std::string("no small file system is mounted at ") + host +
                       " (mounting one needs root)";
        return;
    }
    path_ = disk + "run-" + std::to_string(ProcessId()) + "\\";
    MakeDir(path_);
}

SmallDiskFolder::~SmallDiskFolder() {
    RemoveTree(path_);
}

std::wstring From932(const std::string& cp932) {
    return W(cp932);
}

UINT NamedCodePage() {
    const char* named = std::getenv("RENOVO_CODE_PAGE");
    return named ? static_cast<UINT>(std::strtoul(named, nullptr, 10)) : ::GetACP();
}

std::wstring WindowTextW(HWND window) {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), int(text.size()))));
    return text;
}
#endif

void WriteFile(const std::string& path, const std::string& bytes) {
#ifdef _WIN32
    std::FILE* f = _wfopen(W(path).c_str(), L"wb");
#else
    std::FILE* f = std::fopen(path.c_str(), "wb");
#endif
    if (!f) {
        throw std::runtime_error("cannot write " + path);
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok) {
        throw std::runtime_error("short write to " + path);
    }
}

std::string ReadFile(const std::string& path) {
#ifdef _WIN32
    std::FILE* f = _wfopen(W(path).c_str(), L"rb");
#else
    std::FILE* f = std::fopen(path.c_str(), "rb");
#endif
    if (!f) {
        throw std::runtime_error("cannot read " + path);
    }
    std::string out;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
        out.append(buf, n);
    }
    std::fclose(f);
    return out;
}

bool FileExists(const std::string& path) {
#ifdef _WIN32
    return GetFileAttributesW(W(path).c_str()) != INVALID_FILE_ATTRIBUTES;
#else
    struct stat st;
    return stat(path.c_str(), &st) == 0;
#endif
}

void MakeDir(const std::string& path) {
#ifdef _WIN32
    if (!CreateDirectoryW(W(path).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
#else
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
#endif
        throw std::runtime_error("cannot create folder " + path);
    }
}

void RemoveTree(const std::string& path) {
    if (path.empty()) {
        return;
    }
#ifdef _WIN32
    std::string dir = path;
    if (dir.back() == '\\') {
        dir.pop_back();
    }
    RemoveTreeW(W(dir));
#else
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
#endif
}

}  // namespace testing_support
