// MacLHA stores a Macintosh file as MacBinary: a 128-byte header, then the data fork and the
// resource fork, each padded with zeros to a multiple of 128 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "lzh/lzh.h"

namespace lzh {

inline constexpr size_t kMacBinaryHeader = 128;

// CRC-16/XMODEM (polynomial 0x1021, no reflection, start 0), as MacBinary II protects its
// header with.
uint16_t CrcXmodem(const uint8_t* data, size_t n);

// True when the 128 bytes at `header` are a MacBinary II header (zero bytes where the format
// wants them, a name of 1 to 63 bytes, no secondary header, its CRC, or MacLHA's own form with
// CRC and version bytes all zero) whose forks fill a file of `fileSize` bytes, the last fork
// padded or not.
bool IsMacBinaryHeader(const uint8_t* header, uint64_t fileSize);

// Passes on the data fork of a MacBinary file of `fileSize` bytes written through it, or
// every byte when the file does not start with a sound MacBinary header.
class MacBinarySink : public ByteSink {
public:
    MacBinarySink(ByteSink& out, uint64_t fileSize) : out_(out), fileSize_(fileSize) {}
    bool Write(const void* buf, size_t n) override;
    // Hands on what a file shorter than a MacBinary header left held back.
    bool Finish();

private:
    bool Decide();

    ByteSink& out_;
    uint64_t fileSize_;
    std::vector<uint8_t> head_;
    bool decided_ = false;
    uint64_t left_ = 0;  // bytes still to pass on once decided
};

}  // namespace lzh
