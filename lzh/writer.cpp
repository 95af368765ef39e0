#include <algorithm>
#include <vector>

#include "lzh/crc16.h"
#include "lzh/encode.h"
#include "lzh/encode_blocks.h"
#include "lzh/encode_header.h"

namespace lzh {
namespace {

constexpr size_t kChunk = size_t{1} << 16;

struct MethodParams {
    const char* name;
    int dictBits;
    int positionCodes;
    int positionBits;
};

MethodParams ParamsOf(Method m) {
    switch (m) {
        case Method::kLh6:
            return {"-lh6-", 15, 16, 5};
        case Method::kLh7:
            return {"-lh7-", 16, 17, 5};
        case Method::kLh5:
            break;
    }
    return {"-lh5-", 13, 14, 4};
}

// Counts what the packer writes, and passes it on.
class CountingSink : public ByteSink {
public:
    explicit CountingSink(ByteSink& out) : out_(out) {}
    bool Write(const void* buf, size_t n) override {
        count_ += n;
        return out_.Write(buf, n);
    }
    uint64_t Count() const { return count_; }

private:
    ByteSink& out_;
    uint64_t count_ = 0;
};

}  // namespace

struct Writer::Encoder {
    std::vector<uint8_t> chunk = std::vector<uint8_t>(kChunk);
    uint64_t highWater = 0;
};

Writer::Writer(ArchiveSink& sink, const WriteOptions& options)
    : sink_(sink), options_(options), encoder_(std::make_unique<Encoder>()) {}

Writer::~Writer() = default;

Status Writer::WriteBytes(const void* p, size_t n) {
    if (!sink_.Write(p, n)) {
        return Status::kWriteError;
    }
    position_ += n;
    encoder_->highWater = std::max(encoder_->highWater, position_);
    return Status::kOk;
}

Status Writer::PackData(MemberSource& data, uint64_t& packed, uint64_t& original,
                        uint16_t& crc) {
    MethodParams mp = ParamsOf(options_.method);
    CountingSink counter(sink_);
    BlockPacker packer(mp.dictBits, mp.positionCodes, mp.positionBits, options_.effort, counter);
    crc = 0;
    original = 0;
    for (;;) {
        size_t got = data.Read(encoder_->chunk.data(), kChunk);
        if (data.Failed()) {
            return Status::kReadError;
        }
        if (got == 0) {
            break;
        }
        crc = Crc16(crc, encoder_->chunk.data(), got);
        original += got;
        if (original > UINT32_MAX) {
            return Status::kBadHeader;
        }
        if (!packer.Put(encoder_->chunk.data(), got)) {
            return Status::kWriteError;
        }
    }
    if (!packer.Finish()) {
        return Status::kWriteError;
    }
    packed = counter.Count();
    position_ += packed;
    encoder_->highWater = std::max(encoder_->highWater, position_);
    return Status::kOk;
}

Status Writer::StoreData(MemberSource& data, uint64_t& packed, uint16_t& crc) {
    if (!data.Rewind()) {
        return Status::kReadError;
    }
    crc = 0;
    packed = 0;
    for (;;) {
        size_t got = data.Read(encoder_->chunk.data(), kChunk);
        if (data.Failed()) {
            return Status::kReadError;
        }
        if (got == 0) {
            return Status::kOk;
        }
        crc = Crc16(crc, encoder_->chunk.data(), got);
        packed += got;
        if (Status s = WriteBytes(encoder_->chunk.data(), got); s != Status::kOk) {
            return s;
        }
    }
}

Status Writer::AddFile(const MemberEntry& entry, MemberSource& data) {
    const std::string packedMethod = ParamsOf(options_.method).name;
    HeaderValues v{packedMethod, 0, 0, 0};
    std::vector<uint8_t> header = BuildHeader(entry, false, options_.headerLevel, v);
    if (header.empty()) {
        return Status::kBadHeader;
    }
    const uint64_t headerAt = position_;
    if (Status s = WriteBytes(header.data(), header.size()); s != Status::kOk) {
        return s;
    }
    const uint64_t dataAt = position_;
    uint16_t crc = 0;
    if (Status s = PackData(data, v.packedSize, v.originalSize, crc);
        s != Status::kOk) {
        return s;
    }
    v.crc = crc;
    if (v.packedSize >= v.originalSize) {
        // Packing did not pay: the data goes in as it is, over what was packed.
        v.method = "-lh0-";
        if (!sink_.Seek(dataAt)) {
            return Status::kWriteError;
        }
        position_ = dataAt;
        uint16_t storedCrc = 0;
        if (Status s = StoreData(data, v.packedSize, storedCrc); s != Status::kOk) {
            return s;
        }
        // The source must give the same bytes twice.
        if (storedCrc != crc || v.packedSize != v.originalSize) {
            return Status::kReadError;
        }
    }
    const uint64_t end = position_;
    header = BuildHeader(entry, false, options_.headerLevel, v);
    if (!sink_.Seek(headerAt) || !sink_.Write(header.data(), header.size()) || !sink_.Seek(end)) {
        return Status::kWriteError;
    }
    lastMethod_ = v.method;
    return Status::kOk;
}

Status Writer::AddFolder(const MemberEntry& entry) {
    std::vector<uint8_t> header = BuildHeader(entry, true, options_.headerLevel, {"-lhd-", 0, 0, 0});
    if (header.empty()) {
        return Status::kBadHeader;
    }
    lastMethod_ = "-lhd-";
    return WriteBytes(header.data(), header.size());
}

Status Writer::Finish() {
    const uint8_t endMark = 0;
    if (Status s = WriteBytes(&endMark, 1); s != Status::kOk) {
        return s;
    }
    if (encoder_->highWater > position_ && !sink_.Truncate(position_)) {
        return Status::kWriteError;
    }
    return Status::kOk;
}

uint32_t DosTime(int year, int month, int day, int hour, int minute, int second) {
    if (year < 1980) {
        return 1u << 21 | 1u << 16;  // 1980-01-01 00:00:00
    }
    return static_cast<uint32_t>((year - 1980) << 25 | month << 21 | day << 16 | hour << 11 |
                                 minute << 5 | second / 2);
}

}  // namespace lzh
