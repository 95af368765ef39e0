// Member headers of levels 0 to 3 and their extended headers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "lzh/lzh.h"

namespace lzh {

// Reads the member header that starts with `first` (already read, not 0) and goes on in
// `source`; fills `member` and `dataSize`, the length of the member's packed data that
// follows the header.
Status ReadHeader(ByteSource& source, uint8_t first, Member& member, uint64_t& dataSize);

// Turns a stored folder part and file part into a path with '\' between its folders:
// 0xFF, '\' and '/' separate ('\' and '/' only where they do not end a double-byte
// character); empty parts are dropped.
std::string JoinStoredPath(std::string_view folder, std::string_view file);

// The part of `path` after its last '\'.
std::string BareName(std::string_view path);

}  // namespace lzh
