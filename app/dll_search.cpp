#include "app/dll_search.h"

#include <windows.h>

namespace app {

namespace {

// Not in the XP headers; Windows 8 and later, and 7 with KB2533623.
constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
using SetDllDirectoryWFn = BOOL(WINAPI*)(const wchar_t*);

}  // namespace

// Both looked up, not imported: an import XP lacks would keep the program from starting there.
// kernel32 is in every process already, so naming it loads nothing.
DllSearch NarrowDllSearch(bool newest) {
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    if (kernel == nullptr) {
        return DllSearch::kUnchanged;
    }
    const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (newest && setDefault != nullptr && setDefault(kSearchSystem32)) {
        return DllSearch::kSystem32Only;
    }
    const auto setDirectory = reinterpret_cast<SetDllDirectoryWFn>(
        reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDllDirectoryW")));
    if (setDirectory != nullptr && setDirectory(L"")) {
        return DllSearch::kWithoutCurrentDir;
    }
    return DllSearch::kUnchanged;
}

}  // namespace app
