// Where Windows looks for a DLL loaded by name. Before anything else runs, the search is
// narrowed to System32, so that a DLL placed beside the program (a download folder, a share
// others may write) is never loaded in its stead, elevated as it may run. Windows itself
// loads DLLs by name that are no KnownDLLs (uxtheme, dwmapi, version, cryptbase...); the
// program loads none by name itself.
#pragma once

namespace app {

enum class DllSearch {
    kSystem32Only,       // SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)
    kWithoutCurrentDir,  // SetDllDirectoryW(L""): the best Windows XP and Vista can do
    kUnchanged,          // neither could be called
};

// First thing at start-up, before any window. `newest` false leaves out the first way, as on
// a Windows without it (for the tests).
DllSearch NarrowDllSearch(bool newest = true);

}  // namespace app
