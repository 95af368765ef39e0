// Archives as MacLHA 2.24 writes them, extracted end to end: each member is a MacBinary file (a
// 128-byte header whose version and CRC bytes are zero, the data fork padded to a multiple of
// 128, then the resource fork) behind a level 1 or level 2 header of OS 'm'. The data fork
// alone is written, byte for byte; a member whose MacBinary header does not check out whole.
#include <gtest/gtest.h>

#include <string>

#include "archiver/archiver.h"
#include "lzh/encode.h"
#include "tests/archiver/fixture.h"
#include "tests/lzh/encode_test_util.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

void PutBe(std::string& s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        s[at + i] = static_cast<char>(v >> (24 - 8 * i));
    }
}

std::string Padded(std::string fork) {
    fork.resize((fork.size() + 127) / 128 * 128, '\0');
    return fork;
}

std::string MacBinary(const std::string& name, const std::string& data,
                      const std::string& resource) {
    std::string header(128, '\0');
    header[1] = static_cast<char>(name.size());
    header.replace(2, name.size(), name);
    header.replace(65, 8, "TEXTttxt");
    PutBe(header, 83, static_cast<uint32_t>(data.size()));
    PutBe(header, 87, static_cast<uint32_t>(resource.size()));
    return header + Padded(data) + resource;
}

std::string Pattern(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * seed + i / 97) & 0xFF);
    }
    return bytes;
}

struct Member {
    const char* name;
    std::string stored;    // what the member holds
    std::string expected;  // what extraction writes
};

std::vector<Member> Members() {
    const std::string readme = Pattern(18092, 7);  // 18,304 bytes stored, no resource fork
    const std::string manual = Pattern(5000, 11);
    const std::string resource = Pattern(300, 13);
    std::string unsound = MacBinary("odd", manual, resource);
    unsound[0] = 1;  // the MacBinary version byte before the name must be zero
    return {{"README", MacBinary("README", readme, ""), readme},
            {"MANUAL.TXT", MacBinary("MANUAL.TXT", manual, resource), manual},
            {"ODD.BIN", unsound, unsound}};
}

std::string MacLhaArchive(int level) {
    lzh_test::StringArchive archive;
    lzh::WriteOptions options;
    options.headerLevel = level;
    lzh::Writer writer(archive, options);
    for (const Member& m : Members()) {
        lzh::MemberEntry entry;
        entry.path = m.name;
        entry.unixTime = 981173106;
        entry.dosTime = lzh::DosTime(2001, 2, 3, 4, 5, 6);
        entry.osType = 'm';
        lzh_test::StringMember data(m.stored);
        EXPECT_EQ(writer.AddFile(entry, data), lzh::Status::kOk) << m.name;
    }
    EXPECT_EQ(writer.Finish(), lzh::Status::kOk);
    return archive.data;
}

class MacLha : public ::testing::TestWithParam<int> {};

TEST_P(MacLha, EachMemberGivesItsDataFork) {
    TempDir dir;
    WriteFile(dir / "mac.lzh", MacLhaArchive(GetParam()));
    const archiver::Outcome outcome = archiver::Extract(dir / "mac.lzh", dir / "out\\", {});
    ASSERT_EQ(outcome.result, archiver::Result::kDone) << outcome.text;
    for (const Member& m : Members()) {
        EXPECT_TRUE(ReadFile(dir / "out\\" + m.name) == m.expected) << m.name;
    }
    EXPECT_EQ(archiver_test::ListFolder(dir / "out\\"),
              (std::vector<std::string>{"MANUAL.TXT", "ODD.BIN", "README"}));
}

INSTANTIATE_TEST_SUITE_P(HeaderLevels, MacLha, ::testing::Values(1, 2));

}  // namespace
