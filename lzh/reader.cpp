#include <algorithm>
#include <array>
#include <string_view>
#include <unordered_set>

#include "lzh/bit_reader.h"
#include "lzh/crc16.h"
#include "lzh/decoders.h"
#include "lzh/header.h"
#include "lzh/lzh.h"
#include "lzh/macbinary.h"
#include "lzh/member_input.h"
#include "lzh/window.h"
#include "text/cp932.h"

namespace lzh {
namespace {

enum class Kind { kStored, kNoData, kBlocks, kLhark, kLh1, kLzs, kLz5 };

struct Method {
    std::string_view name;
    Kind kind;
    int dictBits;
    int positionCodes;  // block methods only
    int positionBits;
};

constexpr std::array kMethods = {
    Method{"-lh0-", Kind::kStored, 0, 0, 0},   Method{"-lz4-", Kind::kStored, 0, 0, 0},
    Method{"-lhd-", Kind::kNoData, 0, 0, 0},   Method{"-lh1-", Kind::kLh1, 12, 0, 0},
    Method{"-lh4-", Kind::kBlocks, 12, 14, 4}, Method{"-lh5-", Kind::kBlocks, 13, 14, 4},
    Method{"-lh6-", Kind::kBlocks, 15, 16, 5}, Method{"-lh7-", Kind::kBlocks, 16, 17, 5},
    Method{"-lhx-", Kind::kBlocks, 19, 20, 5}, Method{"-lzs-", Kind::kLzs, 11, 0, 0},
    Method{"-lz5-", Kind::kLz5, 12, 0, 0},     Method{"-lk7-", Kind::kLhark, 16, 0, 0},
};

// LArc writes no end mark: its archives end with their last member's data.
bool IsLarcMethod(std::string_view name) {
    return name == "-lzs-" || name == "-lz4-" || name == "-lz5-";
}

const Method* FindMethod(std::string_view name) {
    for (const Method& m : kMethods) {
        if (m.name == name) {
            return &m;
        }
    }
    return nullptr;
}

Status CopyStored(MemberInput& input, ByteSink& sink, uint16_t& crc) {
    const uint8_t* data;
    while (size_t n = input.ReadChunk(data)) {
        crc = Crc16(crc, data, n);
        if (!sink.Write(data, n)) {
            return Status::kWriteError;
        }
    }
    return input.EndStatus();
}

Status RunDecoder(const Method& method, BitReader& in, Window& out) {
    switch (method.kind) {
        case Kind::kBlocks:
            return DecodeBlocks(in, out, method.positionCodes, method.positionBits);
        case Kind::kLhark:
            return DecodeLharkBlocks(in, out);
        case Kind::kLh1:
            return DecodeLh1(in, out);
        case Kind::kLzs:
            return DecodeLzs(in, out);
        case Kind::kLz5:
            return DecodeLz5(in, out);
        default:
            return Status::kUnknownMethod;
    }
}

}  // namespace

uint64_t ByteSource::Skip(uint64_t n) {
    char scratch[16384];
    uint64_t skipped = 0;
    while (skipped < n) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(n - skipped, sizeof scratch));
        const size_t got = Read(scratch, want);
        if (got == 0) {
            break;
        }
        skipped += got;
    }
    return skipped;
}

const char* StatusName(Status s) {
    switch (s) {
        case Status::kOk:
            return "ok";
        case Status::kEnd:
            return "end of archive";
        case Status::kBadHeader:
            return "bad header";
        case Status::kTruncated:
            return "archive truncated";
        case Status::kUnknownMethod:
            return "unknown compression method";
        case Status::kBadData:
            return "compressed data damaged";
        case Status::kCrcMismatch:
            return "CRC mismatch";
        case Status::kReadError:
            return "read error";
        case Status::kWriteError:
            return "write error";
    }
    return "unknown status";
}

struct Reader::Impl {
    enum class State { kBetween, kMember, kStopped };

    explicit Impl(ByteSource& s) : source(s) {}

    Status Next(Member& out);
    Status EndOfSource() const;
    Status Extract(ByteSink& sink);
    Status Skip();
    Status Decode(const Method& method, MemberInput& input, ByteSink& sink);
    // Truncation and read errors leave the archive's position unknown: nothing follows.
    Status Stop(Status s) {
        if (s == Status::kTruncated || s == Status::kReadError) {
            state = State::kStopped;
            stopped = s;
        }
        return s;
    }

    bool InsideEarlierFile(const std::string& path) const;

    ByteSource& source;
    // Paths of earlier files and links (upper-cased): a later member inside one of them would
    // be written through a link, or into a file, by an extractor that keeps folders.
    std::unordered_set<std::string> occupied;
    State state = State::kBetween;
    Status stopped = Status::kEnd;
    bool endsUnmarked = false;  // the last member read was LArc's
    Member current;
    uint64_t dataSize = 0;
};

Status Reader::Impl::Next(Member& out) {
    if (state == State::kMember) {
        if (Status s = Skip(); s != Status::kOk) {
            return s;
        }
    }
    if (state == State::kStopped) {
        return stopped;
    }
    uint8_t first;
    Status s;
    if (source.Read(&first, 1) == 0) {
        s = EndOfSource();
    } else {
        s = first == 0 ? Status::kEnd : ReadHeader(source, first, current, dataSize);
    }
    if (s != Status::kOk) {
        state = State::kStopped;
        stopped = s;
        return s;
    }
    out = current;
    endsUnmarked = IsLarcMethod(current.method);
    if (InsideEarlierFile(current.path)) {
        state = State::kStopped;
        stopped = Status::kBadHeader;
        return stopped;
    }
    if (!current.isDirectory) {
        occupied.insert(text::ToUpperAscii(current.path));
    }
    state = State::kMember;
    return Status::kOk;
}

// An archive that stops where a header would start was cut short, unless it is LArc's.
Status Reader::Impl::EndOfSource() const {
    if (source.Failed()) {
        return Status::kReadError;
    }
    return endsUnmarked ? Status::kEnd : Status::kTruncated;
}

bool Reader::Impl::InsideEarlierFile(const std::string& path) const {
    if (occupied.empty()) {
        return false;
    }
    std::string upper = text::ToUpperAscii(path);
    for (size_t sep = text::FindChar(upper, '\\'); sep != std::string::npos;
         sep = text::FindChar(upper, '\\', sep + 1)) {
        if (occupied.count(upper.substr(0, sep))) {
            return true;
        }
    }
    return false;
}

Status Reader::Impl::Skip() {
    if (state != State::kMember) {
        return state == State::kStopped ? stopped : Status::kOk;
    }
    state = State::kBetween;
    MemberInput input(source, dataSize);
    return Stop(input.SkipRest());
}

Status Reader::Impl::Extract(ByteSink& sink) {
    if (state != State::kMember) {
        return state == State::kStopped ? stopped : Status::kEnd;
    }
    state = State::kBetween;
    MemberInput input(source, dataSize);
    const Method* method = FindMethod(current.method);
    Status s;
    if (current.isSymlink || current.isDirectory) {
        s = Status::kOk;  // nothing to write, whatever the header claims
    } else if (!method || method->kind == Kind::kNoData) {
        s = Status::kUnknownMethod;
    } else if (current.osType == 'm') {
        MacBinarySink fork(sink, current.originalSize);
        s = Decode(*method, input, fork);
        s = s == Status::kOk && !fork.Finish() ? Status::kWriteError : s;
    } else {
        s = Decode(*method, input, sink);
    }
    Status rest = input.SkipRest();
    return Stop(rest != Status::kOk ? rest : s);
}

Status Reader::Impl::Decode(const Method& method, MemberInput& input, ByteSink& sink) {
    uint16_t crc = 0;
    if (method.kind == Kind::kStored) {
        if (current.packedSize != current.originalSize) {
            return Status::kBadData;
        }
        if (Status s = CopyStored(input, sink, crc); s != Status::kOk) {
            return s;
        }
        return crc == current.crc ? Status::kOk : Status::kCrcMismatch;
    }
    Window out(method.dictBits, current.originalSize, sink);
    BitReader in(input);
    Status s = RunDecoder(method, in, out);
    out.Finish();
    if (out.Failed()) {
        return Status::kWriteError;
    }
    if (input.truncated()) {
        return input.EndStatus();
    }
    if (s != Status::kOk || in.Overrun() || out.Produced() != current.originalSize) {
        return Status::kBadData;
    }
    return out.Crc() == current.crc ? Status::kOk : Status::kCrcMismatch;
}

Reader::Reader(ByteSource& source) : impl_(new Impl(source)) {}
Reader::~Reader() {
    delete impl_;
}
Status Reader::Next(Member& member) {
    return impl_->Next(member);
}
Status Reader::Extract(ByteSink& sink) {
    return impl_->Extract(sink);
}
Status Reader::Skip() {
    return impl_->Skip();
}

}  // namespace lzh
