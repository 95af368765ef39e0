#include "lzh/member_input.h"

#include <algorithm>

namespace lzh {
namespace {

constexpr size_t kChunk = 1 << 16;

}  // namespace

MemberInput::MemberInput(ByteSource& source, uint64_t size)
    : source_(source), remaining_(size), buffer_(kChunk) {}

size_t MemberInput::ReadChunk(const uint8_t*& data) {
    data = buffer_.data();
    if (remaining_ == 0 || truncated_) {
        return 0;
    }
    size_t want = static_cast<size_t>(std::min<uint64_t>(remaining_, kChunk));
    size_t got = 0;
    // A source may return short counts before its end.
    while (got < want) {
        size_t n = source_.Read(buffer_.data() + got, want - got);
        if (n == 0) {
            break;
        }
        got += n;
    }
    if (got < want) {
        truncated_ = true;
        failed_ = source_.Failed();
    }
    remaining_ -= got;
    return got;
}

Status MemberInput::SkipRest() {
    if (remaining_ > 0 && !truncated_) {
        const uint64_t skipped = source_.Skip(remaining_);
        if (skipped < remaining_) {
            truncated_ = true;
            failed_ = source_.Failed();
        }
        remaining_ -= skipped;
    }
    return EndStatus();
}

Status MemberInput::EndStatus() const {
    if (failed_) {
        return Status::kReadError;
    }
    return truncated_ ? Status::kTruncated : Status::kOk;
}

}  // namespace lzh
