#include "lzh/header.h"

#include <vector>

#include "lzh/crc16.h"
#include "text/cp932.h"

namespace lzh {
namespace {

// No real header comes near this; it bounds what a damaged one can make us hold.
constexpr size_t kMaxHeader = size_t{1} << 20;
constexpr size_t kLevel01Fixed = 22;  // bytes up to the name of a level 0/1 header
constexpr size_t kLevel2Fixed = 26;
constexpr size_t kLevel3Fixed = 32;
constexpr uint16_t kUnixTypeMask = 0xF000;
constexpr uint16_t kUnixSymlink = 0xA000;
constexpr int64_t kFileTimeUnixEpoch = 11644473600LL;  // seconds from 1601 to 1970

uint32_t Le(const uint8_t* p, int width) {
    uint32_t v = 0;
    for (int i = width - 1; i >= 0; --i) {
        v = v << 8 | p[i];
    }
    return v;
}

uint64_t Le64(const uint8_t* p) {
    return Le(p, 4) | static_cast<uint64_t>(Le(p + 4, 4)) << 32;
}

size_t ReadFull(ByteSource& source, uint8_t* dst, size_t n) {
    size_t got = 0;
    while (got < n) {
        size_t r = source.Read(dst + got, n - got);
        if (r == 0) {
            break;
        }
        got += r;
    }
    return got;
}

// What the extended headers (and the level 0 Unix extension) add to the fixed fields.
struct Extras {
    std::string folder;
    std::string file;
    bool hasFile = false;
    uint16_t unixMode = 0;
    bool hasUnixMode = false;
    bool hasWindowsTime = false;
    int64_t windowsTime = 0;
    size_t crcOffset = 0;  // where the header CRC's value lies; 0 when there is none
};

void SplitLink(std::string& folder, std::string& file, Member& m);
void AppendParts(std::string_view s, std::string& out);
bool EndsWithSeparator(std::string_view s);

class HeaderParser {
public:
    explicit HeaderParser(ByteSource& source) : source_(source) {}

    Status Read(uint8_t first, Member& m, uint64_t& dataSize);

private:
    Status Append(size_t n) {
        if (h_.size() + n > kMaxHeader) {
            return Status::kBadHeader;
        }
        size_t old = h_.size();
        h_.resize(old + n);
        size_t got = ReadFull(source_, h_.data() + old, n);
        if (got < n) {
            return source_.Failed() ? Status::kReadError : Status::kTruncated;
        }
        return Status::kOk;
    }

    Status ReadLevel01(Member& m, uint64_t& dataSize);
    Status ReadLevel23(Member& m, uint64_t& dataSize);
    void ReadUnixExtension(size_t from, Member& m);
    Status ReadChainFromSource(size_t sizeAt, uint64_t& chainBytes);
    template <typename Visit>
    bool WalkExtended(size_t sizeAt, int width, size_t end, Visit visit) const;
    bool ChainEndsBy(size_t sizeAt, int width, size_t end) const;
    bool ParseExtended(size_t sizeAt, int width, size_t end, Member& m);
    void ApplyExtended(uint8_t type, const uint8_t* data, size_t n, size_t offset, Member& m);
    bool CheckHeaderCrc() const;
    void Finish(Member& m, std::string_view baseName);

    ByteSource& source_;
    std::vector<uint8_t> h_;
    Extras x_;
};

Status HeaderParser::Read(uint8_t first, Member& m, uint64_t& dataSize) {
    h_.assign(1, first);
    if (Status s = Append(kLevel01Fixed - 1); s != Status::kOk) {
        return s;
    }
    if (h_[2] != '-' || h_[6] != '-') {
        return Status::kBadHeader;
    }
    m = Member{};
    m.method.assign(reinterpret_cast<const char*>(&h_[2]), 5);
    m.packedSize = Le(&h_[7], 4);
    m.originalSize = Le(&h_[11], 4);
    m.attributes = h_[19];
    m.headerLevel = h_[20];
    switch (m.headerLevel) {
        case 0:
        case 1:
            return ReadLevel01(m, dataSize);
        case 2:
        case 3:
            return ReadLevel23(m, dataSize);
        default:
            return Status::kBadHeader;
    }
}

Status HeaderParser::ReadLevel01(Member& m, uint64_t& dataSize) {
    size_t total = size_t{h_[0]} + 2;
    if (total < kLevel01Fixed + 1) {
        return Status::kBadHeader;
    }
    if (Status s = Append(total - h_.size()); s != Status::kOk) {
        return s;
    }
    uint8_t sum = 0;
    for (size_t i = 2; i < total; ++i) {
        sum = static_cast<uint8_t>(sum + h_[i]);
    }
    size_t nameLen = h_[21];
    size_t afterName = kLevel01Fixed + nameLen;
    // Level 1 adds the CRC, the OS byte and the first extended header's size.
    size_t need = m.headerLevel == 0 ? afterName + 2 : afterName + 5;
    if (sum != h_[1] || total < need) {
        return Status::kBadHeader;
    }
    m.dosTime = Le(&h_[15], 4);
    m.crc = static_cast<uint16_t>(Le(&h_[afterName], 2));
    std::string base(reinterpret_cast<const char*>(&h_[kLevel01Fixed]), nameLen);
    // Amiga and MorphOS LHA follow the name with a 0 byte and the file's comment.
    if (size_t nul = base.find('\0'); nul != std::string::npos) {
        base.resize(nul);
    }
    dataSize = m.packedSize;
    if (m.headerLevel == 0) {
        ReadUnixExtension(afterName + 2, m);
    } else {
        uint64_t chainBytes = 0;
        if (Status s = ReadChainFromSource(total - 2, chainBytes); s != Status::kOk) {
            return s;
        }
        // Level 1 counts its extended headers in the packed size.
        if (chainBytes > m.packedSize || !ParseExtended(total - 2, 2, h_.size(), m)) {
            return Status::kBadHeader;
        }
        dataSize = m.packedSize - chainBytes;
        m.packedSize = dataSize;
        m.osType = h_[afterName + 2];
        // LHark labels its own, incompatible method -lh7-; its level 1 headers are the only
        // ones known to carry a blank as the OS byte.
        if (m.method == "-lh7-" && h_[afterName + 2] == ' ') {
            m.method = "-lk7-";
        }
    }
    if (!CheckHeaderCrc()) {
        return Status::kBadHeader;
    }
    Finish(m, base);
    return Status::kOk;
}

// Level 0 headers from Unix programs carry 'U', a version byte, the time, and the mode.
void HeaderParser::ReadUnixExtension(size_t from, Member& m) {
    size_t end = size_t{h_[0]} + 2;
    if (end < from + 8 || h_[from] != 'U') {
        return;
    }
    m.hasUnixTime = true;
    m.unixTime = static_cast<int32_t>(Le(&h_[from + 2], 4));
    x_.unixMode = static_cast<uint16_t>(Le(&h_[from + 6], 2));
    x_.hasUnixMode = true;
}

// Level 1's extended headers follow the fixed part in the archive, each ending in the size of
// the next.
Status HeaderParser::ReadChainFromSource(size_t sizeAt, uint64_t& chainBytes) {
    for (;;) {
        size_t size = Le(&h_[sizeAt], 2);
        if (size == 0) {
            return Status::kOk;
        }
        if (size < 3) {
            return Status::kBadHeader;
        }
        sizeAt = h_.size() + size - 2;
        if (Status s = Append(size); s != Status::kOk) {
            return s;
        }
        chainBytes += size;
    }
}

Status HeaderParser::ReadLevel23(Member& m, uint64_t& dataSize) {
    bool level3 = m.headerLevel == 3;
    size_t fixed = level3 ? kLevel3Fixed : kLevel2Fixed;
    if (Status s = Append(fixed - h_.size()); s != Status::kOk) {
        return s;
    }
    size_t total = level3 ? Le(&h_[24], 4) : Le(&h_[0], 2);
    if ((level3 && Le(&h_[0], 2) != 4) || total < fixed || total > kMaxHeader) {
        return Status::kBadHeader;
    }
    if (Status s = Append(total - h_.size()); s != Status::kOk) {
        return s;
    }
    m.osType = h_[23];
    // OS-9/68k's LHA counts a level 2 header without its own two length bytes, so its chain
    // of extended headers ends two bytes past the count.
    if (!level3 && m.osType == 'K' && !ChainEndsBy(fixed - 2, 2, total)) {
        if (Status s = Append(2); s != Status::kOk) {
            return s;
        }
        total += 2;
    }
    m.hasUnixTime = true;
    m.unixTime = static_cast<int32_t>(Le(&h_[15], 4));
    m.crc = static_cast<uint16_t>(Le(&h_[21], 2));
    int width = level3 ? 4 : 2;
    if (!ParseExtended(fixed - width, width, total, m) || !CheckHeaderCrc()) {
        return Status::kBadHeader;
    }
    dataSize = m.packedSize;
    Finish(m, {});
    return Status::kOk;
}

// Walks the extended headers whose first size field lies at `sizeAt`, handing each one's
// offset and data size to `visit`; false when one runs past `end` or the chain has no end
// before it.
template <typename Visit>
bool HeaderParser::WalkExtended(size_t sizeAt, int width, size_t end, Visit visit) const {
    while (sizeAt + width <= end) {
        size_t size = Le(&h_[sizeAt], width);
        if (size == 0) {
            return true;
        }
        size_t start = sizeAt + width;
        if (size < size_t(1 + width) || size > end - start) {
            return false;
        }
        visit(start, size - 1 - width);
        sizeAt = start + size - width;
    }
    return false;
}

bool HeaderParser::ChainEndsBy(size_t sizeAt, int width, size_t end) const {
    return WalkExtended(sizeAt, width, end, [](size_t, size_t) {});
}

bool HeaderParser::ParseExtended(size_t sizeAt, int width, size_t end, Member& m) {
    return WalkExtended(sizeAt, width, end, [&](size_t start, size_t n) {
        ApplyExtended(h_[start], &h_[start + 1], n, start + 1, m);
    });
}

void HeaderParser::ApplyExtended(uint8_t type, const uint8_t* data, size_t n, size_t offset,
                                 Member& m) {
    const char* text = reinterpret_cast<const char*>(data);
    switch (type) {
        case 0x00:
            if (n >= 2) {
                x_.crcOffset = offset;
            }
            break;
        case 0x01:
            x_.file.assign(text, n);
            x_.hasFile = true;
            break;
        case 0x02:
            x_.folder.assign(text, n);
            break;
        case 0x40:
            if (n >= 1) {
                m.attributes = data[0];
            }
            break;
        case 0x41:
            if (n >= 16) {
                x_.windowsTime =
                    static_cast<int64_t>(Le64(data + 8) / 10000000) - kFileTimeUnixEpoch;
                x_.hasWindowsTime = true;
            }
            break;
        case 0x42:
            if (n >= 16) {
                m.packedSize = Le64(data);
                m.originalSize = Le64(data + 8);
            }
            break;
        case 0x50:
            if (n >= 2) {
                x_.unixMode = static_cast<uint16_t>(Le(data, 2));
                x_.hasUnixMode = true;
            }
            break;
        case 0x54:
            if (n >= 4) {
                m.unixTime = static_cast<int32_t>(Le(data, 4));
                m.hasUnixTime = true;
            }
            break;
        default:
            break;
    }
}

bool HeaderParser::CheckHeaderCrc() const {
    if (x_.crcOffset == 0) {
        return true;
    }
    uint16_t stored = static_cast<uint16_t>(Le(&h_[x_.crcOffset], 2));
    uint16_t crc = Crc16(0, h_.data(), x_.crcOffset);
    const uint8_t zero[2] = {0, 0};
    crc = Crc16(crc, zero, 2);
    crc = Crc16(crc, h_.data() + x_.crcOffset + 2, h_.size() - x_.crcOffset - 2);
    return crc == stored;
}

// A Unix symbolic link stores "link|target" where a name belongs.
void SplitLink(std::string& folder, std::string& file, Member& m) {
    if (size_t bar = text::FindChar(folder, '|'); bar != std::string::npos) {
        m.linkTarget = folder.substr(bar + 1) + '\\' + file;
        folder.resize(bar);
        file.clear();
        m.isSymlink = true;
    } else if (size_t fbar = text::FindChar(file, '|'); fbar != std::string::npos) {
        m.linkTarget = file.substr(fbar + 1);
        file.resize(fbar);
        m.isSymlink = true;
    }
}

void HeaderParser::Finish(Member& m, std::string_view baseName) {
    std::string folder = x_.folder;
    std::string file = x_.hasFile ? x_.file : std::string(baseName);
    bool linkMode = x_.hasUnixMode && (x_.unixMode & kUnixTypeMask) == kUnixSymlink;
    if (linkMode || m.method == "-lhd-") {
        SplitLink(folder, file, m);
    }
    m.isSymlink = m.isSymlink || linkMode;
    // Some archivers store a folder as an empty stored file whose name ends in a separator.
    bool folderOnly = JoinStoredPath({}, file).empty() || EndsWithSeparator(file);
    m.isDirectory = !m.isSymlink && (m.method == "-lhd-" || (folderOnly && m.originalSize == 0));
    m.linkTarget = JoinStoredPath({}, m.linkTarget);
    if (!m.hasUnixTime && x_.hasWindowsTime) {
        m.hasUnixTime = true;
        m.unixTime = x_.windowsTime;
    }
    m.path = JoinStoredPath(folder, file);
    m.name = BareName(m.path);
}

bool EndsWithSeparator(std::string_view s) {
    bool last = false;
    for (size_t i = 0; i < s.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        last = c == 0xFF || c == '\\' || c == '/';
        if (text::IsLeadByte(c) && i + 1 < s.size() &&
            static_cast<unsigned char>(s[i + 1]) != 0xFF) {
            ++i;
        }
    }
    return last;
}

void AppendParts(std::string_view s, std::string& out) {
    size_t start = 0;
    auto cut = [&](size_t end) {
        if (end > start) {
            if (!out.empty()) {
                out += '\\';
            }
            out.append(s.substr(start, end - start));
        }
        start = end + 1;
    };
    for (size_t i = 0; i < s.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (text::IsLeadByte(c) && i + 1 < s.size() &&
            static_cast<unsigned char>(s[i + 1]) != 0xFF) {
            ++i;
        } else if (c == 0xFF || c == '\\' || c == '/') {
            cut(i);
        }
    }
    cut(s.size());
}

}  // namespace

std::string JoinStoredPath(std::string_view folder, std::string_view file) {
    std::string out;
    AppendParts(folder, out);
    AppendParts(file, out);
    return out;
}

std::string BareName(std::string_view path) {
    // Every '\' in a joined path is a separator: trail bytes 0x5C were kept inside their
    // characters, so search on character boundaries.
    size_t last = std::string_view::npos;
    for (size_t pos = text::FindChar(path, '\\'); pos != std::string_view::npos;
         pos = text::FindChar(path, '\\', pos + 1)) {
        last = pos;
    }
    return std::string(last == std::string_view::npos ? path : path.substr(last + 1));
}

Status ReadHeader(ByteSource& source, uint8_t first, Member& member, uint64_t& dataSize) {
    return HeaderParser(source).Read(first, member, dataSize);
}

}  // namespace lzh
