// The product's INI files as cp932 bytes, read and edited the way the Windows profile functions
// treat them at code page 932, without asking Windows: those functions decode a file with the
// system's code page, which is not 932 on every PC. Pure: no <windows.h>.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace settings {

// The value of `key` in the first section named `section`, as GetPrivateProfileString gives
// it: names compared without regard to the case of ASCII letters (other letters are compared
// as they are), ASCII blanks around names and values dropped, one pair of enclosing quotes
// removed.
// nullopt where the profile functions give their default: no such section in the first
// section of that name, no such key, or a key line without '='.
std::optional<std::string> FindIniValue(std::string_view file, std::string_view section,
                                        std::string_view key);

// `file` with `key` of `section` set to `value`. Every other byte stays as it was: an existing
// value is replaced where it stands, a new key goes after the last line of its section, a new
// section at the end; lines added end in CR LF.
std::string WithIniValue(std::string_view file, std::string_view section, std::string_view key,
                         std::string_view value);

}  // namespace settings
