// Does the destination folder hold the installed product? Both checks only test for the
// presence of files (files and folders alike) and bring the folder string into the form to
// which every later file name is appended directly.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace settings {

// How many characters (UTF-16 units, as Windows counts them) `path` has once made whole (a
// relative path against the current folder); 0 when it cannot be made whole.
size_t WholePathLength(const std::string& path);
// True when Windows' ANSI file functions take `path`: whole, fewer than MAX_PATH characters.
bool PathFits(const std::string& path);

// The form of `folder` in which `name` lies: `folder` as given, with "\" and, for a bare drive
// letter, with ":\" appended; none when it lies in none of them.
std::optional<std::string> FindSettingsFile(const std::string& folder, const std::string& name);

// Products whose settings file is tovaka1.ini or PALLUM1.ini (any case) need "tv2menu.ini"
// or "tv1menu.ini" beside it. The folder in the form that found them (with "\" appended when
// only that form did), `folder` itself when no check applies; none when they are missing.
std::optional<std::string> CheckMenuSettings(const std::string& folder, const std::string& name);

}  // namespace settings
