// Sources and sinks over strings, and a whole-archive decode, for the LZH tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lzh/lzh.h"

namespace lzh_test {

// Hands out at most `step` bytes per read.
class StringSource : public lzh::ByteSource {
public:
    explicit StringSource(std::string data, size_t step = 1 << 20)
        : data_(std::move(data)), step_(step) {}
    size_t Read(void* buf, size_t n) override;

private:
    std::string data_;
    size_t pos_ = 0;
    size_t step_;
};

class StringSink : public lzh::ByteSink {
public:
    bool Write(const void* buf, size_t n) override;
    std::string data;
    size_t failAfter = std::string::npos;  // refuses once this many bytes were taken
};

struct Decoded {
    lzh::Member member;
    lzh::Status status;  // of Extract, or of Next when that failed
    std::string data;
};

// Every member of the archive in order; the last entry holds Next's failure, if any.
std::vector<Decoded> DecodeAll(const std::string& archive, size_t step = 1 << 20);

std::string ReadBinary(const std::string& path);

// A level 1 member built by hand: base fields, name, CRC, OS byte, extended headers (the
// first one's size closes the base part, so `extended` starts with it), then `data`.
// `originalSize` defaults to the size of `data` (stored).
std::string Level1(const std::string& method, const std::string& name, const std::string& data,
                   uint16_t crc, const std::string& extended = "", char os = 'U',
                   std::optional<uint32_t> originalSize = std::nullopt);

// A level 2 member built by hand: base fields, a header CRC and a file name extended header,
// then `data` (stored). `lengthShortBy` takes that much off the header-length field.
std::string Level2(const std::string& name, const std::string& data, uint16_t crc, char os,
                   size_t lengthShortBy = 0);

}  // namespace lzh_test
