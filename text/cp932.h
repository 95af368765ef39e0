// cp932 (Shift-JIS) byte-string helpers. Every text of the system is a cp932 byte string:
// lengths and positions are bytes, and a double-byte character is one unit for upper-casing
// and search. Pure: no <windows.h>.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace text {

// Lead bytes of cp932 double-byte characters: 0x81-0x9F and 0xE0-0xFC.
bool IsLeadByte(unsigned char byte);

// Number of bytes of the character starting at `pos` (1 or 2; a lead byte at the end counts 1).
size_t CharLength(std::string_view s, size_t pos);

// ASCII a-z become A-Z; the trail byte of a double-byte character is never touched.
std::string ToUpperAscii(std::string_view s);

// ASCII-case-insensitive equality, stepping over double-byte characters as units.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// First position at or after `from` where `needle` occurs starting on a character boundary;
// npos when none. An empty needle matches at `from`.
size_t FindOnBoundary(std::string_view haystack, std::string_view needle, size_t from = 0);

// First position of a single-byte character `ch` on a character boundary, npos when none.
size_t FindChar(std::string_view s, char ch, size_t from = 0);

// Reads a number as the C runtime's atoi does: leading white space skipped, optional sign,
// decimal digits up to the first other character, 0 when there are none. Values outside the
// int range saturate rather than wrap.
int AtoiRule(std::string_view s);

// A flag is on when its leading number is 1.
inline bool FlagIsOn(std::string_view s) { return AtoiRule(s) == 1; }

// Cuts `s` to at most `limit` bytes without leaving half a double-byte character behind.
std::string TruncateBytes(std::string_view s, size_t limit);

// The four parts of a Windows path as _splitpath gives them: drive ("C:"), directory
// (with its trailing separator), base name and extension (with its dot). Both '\' and '/'
// separate; a 0x5C trail byte does not.
struct PathParts {
    std::string drive;
    std::string dir;
    std::string fname;
    std::string ext;
};
PathParts SplitPath(std::string_view path);

}  // namespace text
