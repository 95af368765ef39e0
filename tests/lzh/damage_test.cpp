// Damaged archives: every cut ends in kTruncated and every changed byte in an error status for
// the member it hits, never in kOk with wrong data, and never in a crash.
#include <gtest/gtest.h>

#include <string>

#include "lzh/lzh.h"
#include "tests/lzh/lzh_test_util.h"

using lzh::Status;
using lzh_test::DecodeAll;
using lzh_test::ReadBinary;

namespace {

const std::string kData = LZH_TEST_DATA;

class DamageTest : public testing::TestWithParam<const char*> {
protected:
    std::string archive_ = ReadBinary(kData + GetParam());
    std::vector<lzh_test::Decoded> good_ = DecodeAll(archive_);
};

// A member reported kOk must be exactly the undamaged member.
void ExpectNoWrongOk(const std::vector<lzh_test::Decoded>& got,
                     const std::vector<lzh_test::Decoded>& good) {
    for (size_t i = 0; i < got.size() && i < good.size(); ++i) {
        if (got[i].status == Status::kOk) {
            EXPECT_TRUE(got[i].data == good[i].data) << "member " << i;
        }
    }
}

// However the archive is cut short, even between two members or just before its end mark,
// the reader says so: a copy that stopped early never reads as a whole archive.
TEST_P(DamageTest, EveryCutIsTruncation) {
    ASSERT_FALSE(good_.empty());
    std::vector<size_t> cuts = {0, archive_.size() - 1};
    for (size_t cut = 1; cut < archive_.size(); cut += 97) {
        cuts.push_back(cut);
    }
    for (size_t cut : cuts) {
        auto got = DecodeAll(archive_.substr(0, cut));
        ExpectNoWrongOk(got, good_);
        ASSERT_FALSE(got.empty()) << cut;
        EXPECT_LE(got.size(), good_.size() + 1) << cut;
        EXPECT_EQ(got.back().status, Status::kTruncated)
            << cut << " " << lzh::StatusName(got.back().status);
    }
}

TEST_P(DamageTest, ChangedBytesNeverPassAsGood) {
    for (size_t at = 0; at < archive_.size(); at += 53) {
        std::string bad = archive_;
        bad[at] = static_cast<char>(bad[at] ^ 0x5A);
        ExpectNoWrongOk(DecodeAll(bad), good_);
    }
}

TEST_P(DamageTest, RefusingSinkGivesWriteError) {
    lzh_test::StringSource source(archive_);
    lzh::Reader reader(source);
    lzh::Member m;
    ASSERT_EQ(reader.Next(m), Status::kOk);
    lzh_test::StringSink sink;
    sink.failAfter = 100;
    EXPECT_EQ(reader.Extract(sink), Status::kWriteError);
    // The archive stays readable after the failed member.
    EXPECT_EQ(reader.Next(m), Status::kOk);
}

INSTANTIATE_TEST_SUITE_P(Methods, DamageTest,
                         testing::Values("l0_z.lzh", "l1_o5.lzh", "l2_o6.lzh", "l2_o7.lzh"));

}  // namespace
