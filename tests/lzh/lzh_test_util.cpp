#include "tests/lzh/lzh_test_util.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>

#include "lzh/crc16.h"

namespace lzh_test {

size_t StringSource::Read(void* buf, size_t n) {
    n = std::min({n, step_, data_.size() - pos_});
    std::memcpy(buf, data_.data() + pos_, n);
    pos_ += n;
    return n;
}

bool StringSink::Write(const void* buf, size_t n) {
    if (data.size() + n > failAfter) {
        return false;
    }
    data.append(static_cast<const char*>(buf), n);
    return true;
}

std::vector<Decoded> DecodeAll(const std::string& archive, size_t step) {
    StringSource source(archive, step);
    lzh::Reader reader(source);
    std::vector<Decoded> out;
    for (;;) {
        Decoded d;
        lzh::Status s = reader.Next(d.member);
        if (s == lzh::Status::kEnd) {
            return out;
        }
        if (s != lzh::Status::kOk) {
            d.status = s;
            out.push_back(d);
            return out;
        }
        StringSink sink;
        d.status = reader.Extract(sink);
        d.data = sink.data;
        out.push_back(d);
    }
}

std::string ReadBinary(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Level1(const std::string& method, const std::string& name, const std::string& data,
                   uint16_t crc, const std::string& extended, char os,
                   std::optional<uint32_t> originalSize) {
    std::string h;
    h += method;
    auto le32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            h += static_cast<char>(v >> (8 * i));
    };
    le32(static_cast<uint32_t>(data.size() + (extended.empty() ? 0 : extended.size() - 2)));
    le32(originalSize.value_or(static_cast<uint32_t>(data.size())));
    le32(0x5A9C6000);
    h += '\x20';
    h += '\x01';
    h += static_cast<char>(name.size());
    h += name;
    h += static_cast<char>(crc & 0xFF);
    h += static_cast<char>(crc >> 8);
    h += os;
    uint8_t sum = 0;
    std::string base = h + (extended.empty() ? std::string(2, '\0') : extended.substr(0, 2));
    for (unsigned char c : base)
        sum = static_cast<uint8_t>(sum + c);
    std::string out;
    out += static_cast<char>(base.size());
    out += static_cast<char>(sum);
    out += base;
    if (!extended.empty()) {
        out += extended.substr(2);
    }
    return out + data;
}

std::string Level2(const std::string& name, const std::string& data, uint16_t crc, char os,
                   size_t lengthShortBy) {
    auto le = [](uint32_t v, int width) {
        std::string out;
        for (int i = 0; i < width; ++i)
            out += static_cast<char>(v >> (8 * i));
        return out;
    };
    // Each extended header's size counts its type, its data and the next one's size.
    std::string extended = le(5, 2) + '\x00' + std::string(2, '\0') + le(3 + name.size(), 2) +
                           '\x01' + name + std::string(2, '\0');
    uint32_t size = static_cast<uint32_t>(data.size());
    std::string h = "-lh0-" + le(size, 4) + le(size, 4) + le(981173106, 4) + '\x20' + '\x02' +
                    le(crc, 2) + os + extended;
    h = le(static_cast<uint32_t>(h.size() + 2 - lengthShortBy), 2) + h;
    uint16_t headerCrc = lzh::Crc16(0, reinterpret_cast<const uint8_t*>(h.data()), h.size());
    h.replace(27, 2, le(headerCrc, 2));
    return h + data;
}

}  // namespace lzh_test
