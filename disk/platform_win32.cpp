#include <windows.h>

#include <memory>

#include "disk/platform.h"
#include "lzh/encode.h"

namespace disk {
namespace {

struct FindCloser {
    void operator()(HANDLE h) const { ::FindClose(h); }
};

constexpr UINT kCp932 = 932;

// The tool's paths are cp932 (ToPlatformPath); Windows takes them in UTF-16, converted with
// 932 named, so that they mean the same files on any system code page. The tool links no
// framework: its own conversions.
std::wstring Wide(const std::string& cp932) {
    const int n = ::MultiByteToWideChar(kCp932, 0, cp932.data(), static_cast<int>(cp932.size()),
                                        nullptr, 0);
    std::wstring w(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) {
        ::MultiByteToWideChar(kCp932, 0, cp932.data(), static_cast<int>(cp932.size()), w.data(),
                              n);
    }
    return w;
}

// Nothing when a character has no cp932 form (no best fit, which would name another file).
std::optional<std::string> Narrow(const std::wstring& w) {
    if (w.empty()) {
        return std::string();
    }
    BOOL lost = FALSE;
    const int wide = static_cast<int>(w.size());
    const int bytes = ::WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, w.data(), wide, nullptr,
                                            0, nullptr, &lost);
    if (bytes <= 0 || lost) {
        return std::nullopt;
    }
    std::string out(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, w.data(), wide, out.data(), bytes,
                          nullptr, &lost);
    return out;
}

std::optional<WIN32_FILE_ATTRIBUTE_DATA> Attributes(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA d{};
    if (!::GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &d)) {
        return std::nullopt;
    }
    return d;
}

}  // namespace

std::optional<std::vector<std::string>> ListFolder(const std::string& path) {
    WIN32_FIND_DATAW d{};
    HANDLE h = ::FindFirstFileW(Wide(path + "\\*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::unique_ptr<void, FindCloser> owner(h);
    std::vector<std::string> names;
    do {
        // A name cp932 cannot carry could be neither stored in an archive nor opened again by
        // it: the folder counts as one that cannot be listed.
        std::optional<std::string> n = Narrow(d.cFileName);
        if (!n) {
            return std::nullopt;
        }
        if (*n != "." && *n != "..") {
            names.push_back(*n);
        }
    } while (::FindNextFileW(h, &d));
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
    return ::CreateDirectoryW(Wide(path).c_str(), nullptr) || IsFolder(path);
}

bool RemoveFolder(const std::string& path) {
    return ::RemoveDirectoryW(Wide(path).c_str()) != 0;
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
    return Narrow(w);
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
