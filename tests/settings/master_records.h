// Material master records for the conversion tests.
#pragma once

#include <algorithm>
#include <string>

namespace master_records {

// A record of `length` bytes beginning with `codes`; every other byte tells its position, so
// that a byte lost or moved shows.
inline std::string Record(const std::string& codes, size_t length) {
    std::string r(length, ' ');
    for (size_t i = 0; i < length; ++i) {
        r[i] = static_cast<char>('a' + i % 26);
    }
    return r.replace(0, std::min(codes.size(), length), codes, 0, length);
}

inline std::string WithoutByte66(const std::string& r) {
    return r.substr(0, 66) + r.substr(67);
}

}  // namespace master_records
