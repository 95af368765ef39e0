#include "tests/lzh/lzh_test_util.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>

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

}  // namespace lzh_test
