// The packed data of one member: a bounded view of the archive's byte source, read in chunks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "lzh/lzh.h"

namespace lzh {

class MemberInput {
public:
    MemberInput(ByteSource& source, uint64_t size);

    // Next chunk of the member's data; empty (n == 0) at its end or when the source ends early.
    size_t ReadChunk(const uint8_t*& data);
    // Reads and drops what is left of the member's data.
    Status SkipRest();

    uint64_t remaining() const { return remaining_; }
    // The archive ended (or failed) before the member's data did.
    bool truncated() const { return truncated_; }
    Status EndStatus() const;

private:
    ByteSource& source_;
    uint64_t remaining_;
    bool truncated_ = false;
    bool failed_ = false;
    std::vector<uint8_t> buffer_;
};

}  // namespace lzh
