#include "trust/held_way.h"

#include <vector>

#include "framework/files.h"
#include "framework/wide.h"
#include "text/cp932.h"

namespace trust {

namespace {

std::string Key(const std::string& folder) {
    return text::ToUpperAscii(folder);
}

bool IsLinkAttributes(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Long names, upper case, no "\\?\" prefix, no trailing separator: two spellings of one path
// compare equal.
std::wstring Comparable(std::wstring path) {
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        path = L"\\" + path.substr(7);
    } else if (path.rfind(L"\\\\?\\", 0) == 0) {
        path = path.substr(4);
    }
    const DWORD size = GetLongPathNameW(path.c_str(), nullptr, 0);
    if (size != 0) {
        std::wstring longer(size, L'\0');
        longer.resize(GetLongPathNameW(path.c_str(), longer.data(), size));
        path = longer;
    }
    while (path.size() > 3 && path.back() == L'\\') {
        path.pop_back();
    }
    if (!path.empty()) {
        CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
    }
    return path;
}

using FinalPathFn = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);

// Looked up, not imported: XP has no such function.
FinalPathFn FinalPathFunction() {
    static const FinalPathFn function = reinterpret_cast<FinalPathFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetFinalPathNameByHandleW")));
    return function;
}

}  // namespace

framework::File OpenHeld(const std::string& folder, bool& link) {
    framework::File held(framework::OpenPath(
        folder, FILE_READ_ATTRIBUTES | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT));
    // Asked of both the handle and the name: Wine tells a link by its name only.
    BY_HANDLE_FILE_INFORMATION info{};
    const bool read = held && GetFileInformationByHandle(held.Get(), &info);
    link = IsLinkAttributes(read ? info.dwFileAttributes : 0) ||
           IsLinkAttributes(framework::AttributesOf(folder));
    if (held && (!read || link || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))) {
        held.Reset();
        SetLastError(link ? ERROR_CANT_ACCESS_FILE : ERROR_DIRECTORY);
    }
    return held;
}

bool HeldWay::HoldOne(const std::string& folder) {
    if (held_.count(Key(folder)) != 0) {
        return true;
    }
    framework::File held = OpenHeld(folder, link_);
    if (!held) {
        refused_ = folder;
        why_ = link_ ? "a junction or symbolic link"
                     : "cannot be held (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    held_.emplace(Key(folder), std::move(held));
    return true;
}

bool HeldWay::Hold(const std::string& root, const std::string& folder) {
    return HoldOne(root) && HoldBelow(root, folder);
}

bool HeldWay::HoldBelow(const std::string& root, const std::string& folder) {
    if (folder.size() <= root.size() || !text::EqualsIgnoreCase(folder.substr(0, root.size()), root)) {
        return true;
    }
    // Each level below the root, on character boundaries: a trail byte 0x5C is no separator.
    const size_t start = root.size() + (root.back() == '\\' ? 0 : 1);
    for (size_t i = start; i <= folder.size(); i += i < folder.size() ? text::CharLength(folder, i) : 1) {
        if ((i == folder.size() || folder[i] == '\\') && !HoldOne(folder.substr(0, i))) {
            return false;
        }
    }
    return true;
}

void HeldWay::Release(const std::string& folder) {
    held_.erase(Key(folder));
}

bool HeldWay::Holds(const std::string& folder) const {
    return held_.count(Key(folder)) != 0;
}

Where WhereIs(HANDLE object, const std::string& meant, std::string* actual) {
    const FinalPathFn finalPath = FinalPathFunction();
    if (finalPath == nullptr) {
        return Where::kUnknown;
    }
    const DWORD size = finalPath(object, nullptr, 0, 0);
    if (size == 0) {
        return Where::kUnknown;
    }
    std::wstring path(size, L'\0');
    path.resize(finalPath(object, path.data(), size, 0));
    if (path.empty()) {
        return Where::kUnknown;
    }
    const std::wstring final = Comparable(path);
    if (actual != nullptr) {
        *actual = framework::NarrowShown(final);  // for the log only
    }
    return final == Comparable(framework::Wide(meant)) ? Where::kThere : Where::kElsewhere;
}

Where WhereIs(const std::string& path, const std::string& meant, std::string* actual) {
    const framework::File object(framework::OpenPath(
        path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT));
    if (!object) {
        return Where::kUnknown;
    }
    return WhereIs(object.Get(), meant, actual);
}

}  // namespace trust
