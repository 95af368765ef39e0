// Paths as text: the one home of the small path helpers every layer uses (whether a path
// exists is asked of the system: framework/files.h). Separators are '\' and '/'; a 0x5C trail
// byte of a double-byte character is none. Pure.
#pragma once

#include <string>
#include <string_view>

namespace text {

// True when the last character of `path` is '\' or '/'.
bool EndsWithSeparator(std::string_view path);

// `folder` with a separator at its end; an empty folder stays empty.
std::string WithSeparator(std::string_view folder);

// `folder` without one trailing separator, unless it is a root ("C:\", "\").
std::string WithoutSeparator(std::string_view folder);

// `folder` followed by `name`, with a separator between them unless `folder` is empty, a
// bare drive ("C:") or already ends in one.
std::string JoinPath(std::string_view folder, std::string_view name);

// A name that Windows stores as a plain file in the folder it is written to: not empty, not
// "." or "..", no device name (CON, NUL, COM1...) with or without extension, no separator,
// ':', wildcard, quote, '<', '>', '|' or control character, no trailing dot or blank.
bool IsSafeBareName(std::string_view name);

}  // namespace text
