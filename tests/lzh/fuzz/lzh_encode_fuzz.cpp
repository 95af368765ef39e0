// libFuzzer target: whatever bytes the writer packs, with any method, header level and effort,
// the reader must give back unchanged. The first two bytes choose the settings and how often the
// rest is repeated (so that the dictionary window slides), the rest is split into two members.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "lzh/encode.h"
#include "tests/lzh/encode_test_util.h"
#include "tests/lzh/lzh_test_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    lzh::WriteOptions options;
    options.method = static_cast<lzh::Method>(data[0] % 3);
    options.headerLevel = (data[0] >> 2) % 3;
    options.effort = (data[0] & 0x40) ? lzh::Effort::kBest : lzh::Effort::kDefault;
    const int repeats = 1 + data[1] % 5;
    std::string body(reinterpret_cast<const char*>(data + 2), size - 2);
    std::string all;
    for (int i = 0; i < repeats; ++i) {
        all += body;
    }
    const size_t cut = all.size() / 3;
    const std::string parts[] = {all.substr(0, cut), all.substr(cut)};

    lzh_test::StringArchive archive;
    lzh::Writer writer(archive, options);
    for (int i = 0; i < 2; ++i) {
        lzh_test::StringMember source(parts[i], 1 + data[1]);
        lzh::MemberEntry entry;
        entry.path = i == 0 ? "A\\\x95\x5c" : "B";
        if (writer.AddFile(entry, source) != lzh::Status::kOk) {
            std::abort();
        }
    }
    if (writer.Finish() != lzh::Status::kOk) {
        std::abort();
    }
    auto got = lzh_test::DecodeAll(archive.data, 1000);
    if (got.size() != 2) {
        std::abort();
    }
    for (int i = 0; i < 2; ++i) {
        if (got[i].status != lzh::Status::kOk || got[i].data != parts[i]) {
            std::abort();
        }
    }
    return 0;
}
