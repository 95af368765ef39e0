// CRC-32 (the polynomial of zlib, PKZIP and PNG), to tell later whether a file still holds what
// the update put there. Pure.
#pragma once

#include <cstddef>
#include <cstdint>

namespace replace {

// Continues `crc` (0 to start) over `size` bytes.
uint32_t Crc32(uint32_t crc, const void* data, size_t size);

}  // namespace replace
