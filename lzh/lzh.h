// Reading LZH archives: a streaming reader over a byte source. Pure C++ (no <windows.h>).
// Names are kept as the archive's cp932 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace lzh {

enum class Status {
    kOk,
    kEnd,            // no more members: the end mark, or the end of an archive of LArc's
    kBadHeader,      // a header that does not parse or whose CRC or checksum is wrong
    kTruncated,      // the archive ends inside a header or a member's data, or without its
                     // end mark
    kUnknownMethod,  // a compression method we do not decode
    kBadData,        // compressed data that does not decode
    kCrcMismatch,    // decoded data whose CRC-16 differs from the header's
    kReadError,      // the byte source failed
    kWriteError,     // the sink refused data
};

// A short English description of a status, for logs and tests.
const char* StatusName(Status s);

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to `n` bytes; returns how many were read, 0 at the end. Sets `failed` on error.
    virtual size_t Read(void* buf, size_t n) = 0;
    virtual bool Failed() const { return false; }
    // Passes over up to `n` bytes; returns how many there were. Reads them unless the source
    // can seek, so that a member skipped costs no reading.
    virtual uint64_t Skip(uint64_t n);
};

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Takes `n` bytes; false when they cannot be written.
    virtual bool Write(const void* buf, size_t n) = 0;
};

struct Member {
    std::string path;    // stored path as cp932 bytes, folders separated by '\'
    std::string name;    // bare name: the part after the last separator (DBCS-aware)
    std::string method;  // "-lh5-" etc.; "-lk7-" for LHark's -lh7-
    uint64_t packedSize = 0;
    uint64_t originalSize = 0;
    uint16_t crc = 0;
    uint8_t attributes = 0;    // MS-DOS attribute byte
    uint32_t dosTime = 0;      // MS-DOS date/time (local time) when the header has one
    bool hasUnixTime = false;  // a UTC time stamp (level 2 headers or extended header 0x54)
    int64_t unixTime = 0;
    int headerLevel = 0;
    uint8_t osType = 0;        // the OS byte ('U' Unix, 'm' MacLHA...); 0 at level 0
    bool isDirectory = false;  // -lhd-
    bool isSymlink = false;    // a Unix symbolic link: never created or followed
    std::string linkTarget;    // a symbolic link's stored target, '\' between folders
};

class Reader {
public:
    explicit Reader(ByteSource& source);
    ~Reader();
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    // Reads the next member's header. kEnd at the end mark (a 0 byte; what follows it is not
    // read), kTruncated where the source ends instead, except after a member of LArc, which
    // writes no end mark. kBadHeader also for a member stored inside an earlier member that is
    // a file or a link (`member` is filled).
    // After kBadHeader, kTruncated or kReadError nothing more is read.
    Status Next(Member& member);
    // Decodes the current member's data into `sink`, checking its size and CRC-16. Folders
    // and symbolic links write nothing and give kOk. A MacLHA member whose data is a sound
    // MacBinary file gives its data fork alone. After kBadData, kCrcMismatch or
    // kUnknownMethod the next member can still be read.
    Status Extract(ByteSink& sink);
    // Passes over the current member's data without decoding it.
    Status Skip();

private:
    struct Impl;
    Impl* impl_;
};

}  // namespace lzh
