// The Windows edge for text: our texts are cp932 bytes, Windows takes and gives UTF-16. Both
// ways name code page 932, never the system's, so a run reads and writes the same names
// whatever code page the PC is set to.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace framework {

// cp932 to UTF-16, as the A functions convert on a Japanese Windows.
std::wstring Wide(std::string_view cp932);

// UTF-16 to cp932; nothing when a character has no cp932 form (no best-fit guesses, which
// would name another file).
std::optional<std::string> Narrow(std::wstring_view text);

// For messages only: what cp932 cannot carry shows as '?'.
std::string NarrowShown(std::wstring_view text);

}  // namespace framework
