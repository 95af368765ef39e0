// Does the destination folder hold the installed product? Both checks only test for the
// presence of files (files and folders alike) and bring the folder string into the form to
// which every later file name is appended directly.
#pragma once

#include <cstddef>
#include <string>

namespace settings {

// True when `path` exists, as the C runtime's _access(path, 0) tells.
bool PathExists(const std::string& path);

// How many characters (UTF-16 units, as Windows counts them) `path` has once made whole (a
// relative path against the current folder); 0 when it cannot be made whole.
size_t WholePathLength(const std::string& path);
// True when Windows' ANSI file functions take `path`: whole, fewer than MAX_PATH characters.
bool PathFits(const std::string& path);

// One probe of `folder` for `name`: found as given, or with "\" appended (which then stays,
// found or not). A folder that does not exist is left unchanged.
bool ProbeSettingsFile(std::string& folder, const std::string& name);

// 1 when `name` lies in `folder`, tried as given, with "\" and, for a bare drive letter, with
// ":\" appended; the form that found it stays in `folder`. 0 leaves `folder` as it was.
int FindSettingsFile(std::string& folder, const std::string& name);

// Products whose settings file is tovaka1.ini or PALLUM1.ini (any case) need "tv2menu.ini"
// or "tv1menu.ini" beside it; 1 when that holds or no check applies, 0 otherwise.
int CheckMenuSettings(std::string& folder, const std::string& name);

}  // namespace settings
