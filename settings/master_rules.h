// The parts of the material master conversion that need no platform: the two line rules,
// the name filter and the limits of the name table. Pure: no <windows.h>.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace settings {

enum class LineRule { kSize, kType };

// The name table holds at most this many names of at most this many bytes; a longer name is
// skipped, never cut. The search pattern has no limit of its own: Windows' is MAX_PATH.
inline constexpr size_t kMaxMasterNames = 1000;
inline constexpr size_t kMaxMasterNameBytes = 31;

// Size rule: records with codes 400400 / 000107 or 000111 lose byte 66 unless they are
// 185 bytes long already.
void ApplySizeRule(std::string& line);

// Type rule: material type letter "A" or "B" at byte 13 becomes "Z".
void ApplyTypeRule(std::string& line);

void ApplyLineRule(LineRule rule, std::string& line);

// True when `name` matches `pattern`, in which each "?" stands for exactly one cp932
// character; ASCII letters match regardless of case.
bool MatchesNamePattern(std::string_view name, std::string_view pattern);

}  // namespace settings
