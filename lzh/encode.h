// Writing LZH archives: members packed with -lh5-, -lh6- or -lh7- (stored as -lh0- when packing
// does not make them smaller) behind level 0, 1 or 2 headers. Pure C++ (no <windows.h>).
// Memory stays bounded whatever the input: data is read and written in pieces, and each header
// is completed in place once its member's data is written.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "lzh/lzh.h"

namespace lzh {

enum class Method { kLh5, kLh6, kLh7 };

enum class Effort {
    kDefault,  // lazy matching over short hash chains
    kBest,     // long chains and a cost-driven choice of matches: smaller and slower
};

struct WriteOptions {
    Method method = Method::kLh5;
    int headerLevel = 2;  // 0, 1 or 2
    Effort effort = Effort::kDefault;
};

// An archive being written: the writer goes back over each member's header.
class ArchiveSink : public ByteSink {
public:
    // The next Write goes to `offset` (at most the bytes written so far).
    virtual bool Seek(uint64_t offset) = 0;
    // Ends the archive at `size`, dropping anything written beyond it.
    virtual bool Truncate(uint64_t size) = 0;
};

// A member's data: read once to pack it, and once more when it has to be stored after all.
class MemberSource : public ByteSource {
public:
    virtual bool Rewind() = 0;
};

struct MemberEntry {
    std::string path;         // cp932 bytes, folders separated by '\' (trail bytes 0x5C are kept)
    int64_t unixTime = 0;     // modification time, seconds since 1970 (UTC)
    uint32_t dosTime = 0;     // the same time as MS-DOS date and time of the local clock
    uint8_t attributes = 0x20;  // MS-DOS attribute byte; 0x10 is added for folders
    uint8_t osType = 'M';       // the system that wrote it, in level 1 and 2 headers ('m': MacLHA)
};

class Writer {
public:
    Writer(ArchiveSink& sink, const WriteOptions& options);
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    // Adds a file member. kBadHeader for a path that no header of the chosen level can hold;
    // kReadError or kWriteError when the source or the sink fails.
    Status AddFile(const MemberEntry& entry, MemberSource& data);
    // Adds a folder member (-lhd-).
    Status AddFolder(const MemberEntry& entry);
    // Writes the end mark. Nothing may be added after it.
    Status Finish();

    // The method a member got: "-lh5-" etc., or "-lh0-" when it was stored.
    const std::string& LastMethod() const { return lastMethod_; }

private:
    struct Encoder;
    Status PackData(MemberSource& data, uint64_t& packed, uint64_t& original, uint16_t& crc);
    Status StoreData(MemberSource& data, uint64_t& packed, uint16_t& crc);
    Status WriteBytes(const void* p, size_t n);

    ArchiveSink& sink_;
    WriteOptions options_;
    uint64_t position_ = 0;
    std::string lastMethod_;
    std::unique_ptr<Encoder> encoder_;
};

// MS-DOS date and time (2-second steps) of a broken-down local time; years before 1980 give
// 1980-01-01 00:00.
uint32_t DosTime(int year, int month, int day, int hour, int minute, int second);

}  // namespace lzh
