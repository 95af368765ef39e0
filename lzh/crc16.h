// CRC-16 as LZH archives use it (reflected polynomial 0xA001, initial value 0).
#pragma once

#include <cstddef>
#include <cstdint>

namespace lzh {

uint16_t Crc16(uint16_t crc, const uint8_t* data, size_t n);

}  // namespace lzh
