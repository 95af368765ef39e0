// The writer: what it packs, our reader gets back byte for byte, whatever the method, header
// level, effort, size and name.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>

#include "tests/lzh/encode_test_util.h"
#include "tests/lzh/lzh_test_util.h"

namespace {

using lzh::Effort;
using lzh::Method;
using lzh::Status;

std::string Random(size_t n, uint32_t seed) {
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (char& c : s) {
        c = static_cast<char>(gen());
    }
    return s;
}

// Text-like data with repeats near and far, and runs longer than a match can be.
std::string Mixed(size_t n) {
    std::mt19937 gen(7);
    const char* words[] = {"order", "item", "\x93\x8c\x8b\x9e", "price", "\x95\x5c", "stock"};
    std::string s;
    while (s.size() < n) {
        s += words[gen() % 6];
        s += gen() % 9 == 0 ? std::string(gen() % 700, 'z') : std::to_string(gen() % 1000);
        s += ',';
    }
    s.resize(n);
    return s;
}

// Fixed-size records with a running number and names that recur every 977 records: many
// near candidates share short prefixes, the long repeats lie far back.
std::string Records(size_t count) {
    std::mt19937 gen(11);
    std::string s;
    for (size_t n = 0; n < count; ++n) {
        char rec[32] = {};
        uint32_t fields[3] = {static_cast<uint32_t>(n), static_cast<uint32_t>(n % 365),
                              static_cast<uint32_t>(gen() % 1000000)};
        std::memcpy(rec, fields, sizeof fields);
        std::snprintf(rec + 16, 16, "ITEM%zu", n % 977);
        s.append(rec, sizeof rec);
    }
    return s;
}

lzh::MemberEntry Entry(const std::string& path) {
    lzh::MemberEntry e;
    e.path = path;
    e.unixTime = 1764579600;  // 2025-12-01 09:00 UTC
    e.dosTime = lzh::DosTime(2025, 12, 1, 9, 0, 0);
    return e;
}

struct Case {
    Method method;
    int level;
    Effort effort;
};

class RoundTrip : public ::testing::TestWithParam<Case> {};

TEST_P(RoundTrip, ReaderGetsEveryMemberBack) {
    const Case c = GetParam();
    // "\x95\x5c" (a 0x5C trail byte) in a folder and a file name must not split them.
    const std::vector<std::pair<std::string, std::string>> files = {
        {"EMPTY.TXT", ""},
        {"ONE.TXT", "x"},
        {"DATA\\\x95\x5c\\EDGE.DAT", Mixed(32767)},
        {"DATA\\\x95\x5c.DAT", Mixed(32768)},
        {"MIXED.DAT", Mixed(200001)},
        {"RECORDS.DAT", Records(5000)},
        {"ZEROS.BIN", std::string(300000, '\0')},
        {"NOISE.BIN", Random(70000, 1)},
    };
    lzh_test::StringArchive archive;
    lzh::Writer writer(archive, {c.method, c.level, c.effort});
    ASSERT_EQ(writer.AddFolder(Entry("DATA\\\x95\x5c")), Status::kOk);
    for (const auto& [path, data] : files) {
        lzh_test::StringMember source(data, 4097);
        ASSERT_EQ(writer.AddFile(Entry(path), source), Status::kOk) << path;
    }
    ASSERT_EQ(writer.Finish(), Status::kOk);

    auto got = lzh_test::DecodeAll(archive.data, 777);
    ASSERT_EQ(got.size(), files.size() + 1);
    EXPECT_TRUE(got[0].member.isDirectory);
    EXPECT_EQ(got[0].member.path, "DATA\\\x95\x5c");
    const char* packed[] = {"-lh5-", "-lh6-", "-lh7-"};
    for (size_t i = 0; i < files.size(); ++i) {
        const lzh::Member& m = got[i + 1].member;
        SCOPED_TRACE(files[i].first);
        EXPECT_EQ(got[i + 1].status, Status::kOk);
        EXPECT_EQ(m.path, files[i].first);
        EXPECT_TRUE(got[i + 1].data == files[i].second);
        EXPECT_EQ(m.headerLevel, c.level);
        bool pays = files[i].second.size() > 1000 && files[i].first != "NOISE.BIN";
        EXPECT_EQ(m.method, pays ? packed[static_cast<int>(c.method)] : "-lh0-");
        if (c.level == 2) {
            EXPECT_EQ(m.unixTime, 1764579600);
        } else {
            EXPECT_EQ(m.dosTime, lzh::DosTime(2025, 12, 1, 9, 0, 0));
        }
    }
    // Incompressible data is stored, not grown.
    EXPECT_EQ(got.back().member.packedSize, 70000u);
}

INSTANTIATE_TEST_SUITE_P(
    AllMethods, RoundTrip,
    ::testing::Values(Case{Method::kLh5, 2, Effort::kDefault}, Case{Method::kLh6, 2, Effort::kDefault},
                      Case{Method::kLh7, 2, Effort::kDefault}, Case{Method::kLh5, 0, Effort::kDefault},
                      Case{Method::kLh7, 1, Effort::kDefault}, Case{Method::kLh5, 2, Effort::kBest},
                      Case{Method::kLh7, 1, Effort::kBest}, Case{Method::kLh6, 0, Effort::kBest}));

struct Reach {
    Method method;
    uint32_t dictionary;
    Effort effort;
};

class WindowReach : public ::testing::TestWithParam<Reach> {};

// A repeat of noise is found as far back as the method's dictionary reaches, and never beyond.
TEST_P(WindowReach, RepeatsWithinTheDictionaryOnly) {
    const Reach r = GetParam();
    const std::string repeat = Random(6000, 3);
    for (uint32_t distance : {r.dictionary - 1, r.dictionary + 1000}) {
        SCOPED_TRACE(distance);
        const std::string data = repeat + Random(distance - repeat.size(), 4) + repeat;
        lzh_test::StringArchive archive;
        lzh::Writer writer(archive, {r.method, 2, r.effort});
        lzh_test::StringMember source(data, 5000);
        ASSERT_EQ(writer.AddFile(Entry("R"), source), Status::kOk);
        ASSERT_EQ(writer.Finish(), Status::kOk);
        auto got = lzh_test::DecodeAll(archive.data);
        ASSERT_EQ(got.size(), 1u);
        EXPECT_TRUE(got[0].data == data);
        if (distance < r.dictionary) {
            EXPECT_LT(got[0].member.packedSize, data.size() - 4000);
        } else {
            EXPECT_EQ(got[0].member.method, "-lh0-");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    AllMethods, WindowReach,
    ::testing::Values(Reach{Method::kLh5, 8192, Effort::kDefault}, Reach{Method::kLh6, 32768, Effort::kDefault},
                      Reach{Method::kLh7, 65536, Effort::kDefault}, Reach{Method::kLh5, 8192, Effort::kBest},
                      Reach{Method::kLh6, 32768, Effort::kBest}, Reach{Method::kLh7, 65536, Effort::kBest}));

// Matches that run into the end of the data, cut at lengths near the shortest and the longest
// match, fed in pieces of one byte as well as whole. The first copy is followed by a zero, as
// unused buffer space may be: a match must not run on past the end.
TEST(Writer, MatchesEndingWithTheData) {
    const std::string text = Mixed(3000);
    for (Effort effort : {Effort::kDefault, Effort::kBest}) {
        for (size_t tail : {1, 2, 3, 4, 5, 6, 255, 256, 257, 258, 700}) {
            for (size_t step : {size_t{1}, size_t{1} << 20}) {
                SCOPED_TRACE(testing::Message() << "tail " << tail << " step " << step);
                const std::string repeat = text.substr(0, tail);
                const std::string data = repeat + '\0' + text + repeat;
                lzh_test::StringArchive archive;
                lzh::Writer writer(archive, {Method::kLh6, 2, effort});
                lzh_test::StringMember source(data, step);
                ASSERT_EQ(writer.AddFile(Entry("T"), source), Status::kOk);
                ASSERT_EQ(writer.Finish(), Status::kOk);
                auto got = lzh_test::DecodeAll(archive.data);
                ASSERT_EQ(got.size(), 1u);
                EXPECT_EQ(got[0].status, Status::kOk);
                EXPECT_EQ(got[0].member.method, "-lh6-");
                EXPECT_TRUE(got[0].data == data);
            }
        }
    }
}

TEST(Writer, BestEffortIsSmaller) {
    auto size = [](Effort effort) {
        lzh_test::StringArchive archive;
        lzh::Writer writer(archive, {Method::kLh7, 2, effort});
        lzh_test::StringMember source(Mixed(300000));
        EXPECT_EQ(writer.AddFile(Entry("A"), source), Status::kOk);
        EXPECT_EQ(writer.Finish(), Status::kOk);
        return archive.data.size();
    };
    EXPECT_LT(size(Effort::kBest), size(Effort::kDefault));
}

TEST(Writer, RefusesWhatNoHeaderHolds) {
    lzh_test::StringArchive archive;
    lzh::Writer level0(archive, {Method::kLh5, 0, Effort::kDefault});
    lzh_test::StringMember source("data");
    EXPECT_EQ(level0.AddFile(Entry(std::string(234, 'N')), source), Status::kBadHeader);
    EXPECT_EQ(level0.AddFile(Entry(""), source), Status::kBadHeader);
    EXPECT_EQ(level0.AddFile(Entry("DIR\\"), source), Status::kBadHeader);
}

TEST(Writer, ReportsASinkThatFails) {
    for (size_t failAfter : {size_t{10}, size_t{3000}}) {
        lzh_test::StringArchive archive;
        archive.failAfter = failAfter;
        lzh::Writer writer(archive, {});
        lzh_test::StringMember source(Mixed(100000));
        EXPECT_EQ(writer.AddFile(Entry("A"), source), Status::kWriteError) << failAfter;
    }
}

// A member stored after packing did not pay leaves no trace of the packed attempt.
TEST(Writer, StoredMemberOverwritesThePackedAttempt) {
    lzh_test::StringArchive archive;
    lzh::Writer writer(archive, {});
    lzh_test::StringMember noise(Random(5000, 2));
    ASSERT_EQ(writer.AddFile(Entry("N"), noise), Status::kOk);
    EXPECT_EQ(writer.LastMethod(), "-lh0-");
    ASSERT_EQ(writer.Finish(), Status::kOk);
    auto got = lzh_test::DecodeAll(archive.data);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].status, Status::kOk);
    // A 40-byte level 2 header for a one-letter name, then the end mark.
    EXPECT_EQ(archive.data.size(), got[0].member.packedSize + 40 + 1);
}

}  // namespace
