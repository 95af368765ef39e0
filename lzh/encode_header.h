// Member headers as the writer makes them (levels 0, 1 and 2).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lzh/encode.h"

namespace lzh {

struct HeaderValues {
    std::string method;  // "-lh5-", "-lh0-", "-lhd-"...
    uint64_t packedSize = 0;
    uint64_t originalSize = 0;
    uint16_t crc = 0;
};

// The header's bytes, or nothing when the entry's path or sizes do not fit the level. Its
// length depends only on the entry and the level, so that it can be rewritten in place.
std::vector<uint8_t> BuildHeader(const MemberEntry& entry, bool folder, int level,
                                 const HeaderValues& values);

}  // namespace lzh
