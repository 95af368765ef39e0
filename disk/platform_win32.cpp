#include <windows.h>

#include <memory>

#include "disk/platform.h"
#include "lzh/encode.h"

namespace disk {
namespace {

struct FindCloser {
    void operator()(HANDLE h) const { ::FindClose(h); }
};

std::optional<WIN32_FILE_ATTRIBUTE_DATA> Attributes(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA d{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) {
        return std::nullopt;
    }
    return d;
}

}  // namespace

std::optional<std::vector<std::string>> ListFolder(const std::string& path) {
    WIN32_FIND_DATAA d{};
    HANDLE h = ::FindFirstFileA((path + "\\*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::unique_ptr<void, FindCloser> owner(h);
    std::vector<std::string> names;
    do {
        std::string n = d.cFileName;
        if (n != "." && n != "..") {
            names.push_back(n);
        }
    } while (::FindNextFileA(h, &d));
    return names;
}

bool IsFolder(const std::string& path) {
    auto a = Attributes(path);
    return a && (a->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<uint64_t> FileSize(const std::string& path) {
    auto a = Attributes(path);
    if (!a || (a->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return std::nullopt;
    }
    return uint64_t{a->nFileSizeHigh} << 32 | a->nFileSizeLow;
}

bool MakeFolder(const std::string& path) {
    return ::CreateDirectoryA(path.c_str(), nullptr) || IsFolder(path);
}

bool RemoveFolder(const std::string& path) {
    return ::RemoveDirectoryA(path.c_str()) != 0;
}

bool FileTimes(const std::string& path, int64_t& unixTime, uint32_t& dosTime) {
    auto a = Attributes(path);
    FILETIME local{};
    WORD date = 0;
    WORD time = 0;
    if (!a || !::FileTimeToLocalFileTime(&a->ftLastWriteTime, &local) ||
        !::FileTimeToDosDateTime(&local, &date, &time)) {
        return false;
    }
    const uint64_t t = uint64_t{a->ftLastWriteTime.dwHighDateTime} << 32 |
                       a->ftLastWriteTime.dwLowDateTime;
    unixTime = static_cast<int64_t>(t / 10000000 - 11644473600ULL);
    dosTime = uint32_t{date} << 16 | time;
    return true;
}

std::optional<std::string> ToCp932(const std::string& utf8) {
    if (utf8.empty()) {
        return std::string();
    }
    const int n = static_cast<int>(utf8.size());
    int wide = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), n, nullptr, 0);
    if (wide <= 0) {
        return std::nullopt;
    }
    std::wstring w(static_cast<size_t>(wide), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), n, w.data(), wide);
    BOOL lost = FALSE;
    int bytes = ::WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, w.data(), wide, nullptr, 0,
                                      nullptr, &lost);
    if (bytes <= 0 || lost) {
        return std::nullopt;
    }
    std::string out(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, w.data(), wide, out.data(), bytes, nullptr,
                          &lost);
    return out;
}

std::string ForConsole(const std::string& cp932) { return cp932; }

std::optional<std::string> ToPlatformPath(const std::string& utf8) { return ToCp932(utf8); }

std::string StoredName(const std::string& name) { return name; }

// Signing and verifying run Debian's osslsigncode: on Windows the tool reports it cannot.
std::optional<int> RunTool(const std::vector<std::string>&, std::string& output) {
    output.clear();
    return std::nullopt;
}

std::optional<std::string> MakeTempFolder() { return std::nullopt; }

}  // namespace disk
