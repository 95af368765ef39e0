// Damaged archives: every cut and every changed byte ends in an error status for the member
// it hits, never in kOk with wrong data, and never in a crash.
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

TEST_P(DamageTest, EveryCutIsTruncationOrEnd) {
    ASSERT_FALSE(good_.empty());
    for (size_t cut = 1; cut < archive_.size(); cut += 97) {
        auto got = DecodeAll(archive_.substr(0, cut));
        ExpectNoWrongOk(got, good_);
        ASSERT_FALSE(got.empty()) << cut;
        // The member that the cut falls into never comes out whole.
        const auto& last = got.back();
        if (last.status == Status::kOk) {
            EXPECT_LT(got.size(), good_.size() + 1) << cut;
        } else {
            EXPECT_TRUE(last.status == Status::kTruncated || last.status == Status::kBadHeader)
                << cut << " " << lzh::StatusName(last.status);
        }
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
