// LHark writes its own block variant under the method name -lh7-; it was once taken for a
// damaged -lh7- member. These streams are packed here with plain code tables (every literal
// 9 bits, every position code 5 bits) so that each length and distance code can be reached.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "lzh/crc16.h"
#include "lzh/lzh.h"
#include "tests/lzh/lzh_test_util.h"

using lzh::Status;

namespace {

class BitWriter {
public:
    void Put(uint32_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i) {
            acc_ = static_cast<uint8_t>(acc_ << 1 | ((value >> i) & 1));
            if (++used_ == 8) {
                out_ += static_cast<char>(acc_);
                used_ = 0;
            }
        }
    }
    std::string Finish() {
        while (used_ != 0) {
            Put(0, 1);
        }
        return out_;
    }

private:
    std::string out_;
    uint8_t acc_ = 0;
    int used_ = 0;
};

struct Op {
    int literal = -1;  // a byte, or -1 for a match
    int length = 0;
    int distance = 0;  // 1 = the byte just written
};

// LHark's length and distance codes: a code, its count of extra bits and their value.
struct Coded {
    int code;
    int bits;
    uint32_t extra;
};

Coded LengthCode(int length) {
    if (length <= 10) {
        return {256 + length - 3, 0, 0};
    }
    if (length == 514) {
        return {288, 0, 0};
    }
    for (int code = 264; code < 288; ++code) {
        int bits = (code - 260) / 4;
        int first = ((4 + code % 4) << bits) + 3;
        if (length >= first && length < first + (1 << bits)) {
            return {code, bits, static_cast<uint32_t>(length - first)};
        }
    }
    ADD_FAILURE() << "no length code for " << length;
    return {0, 0, 0};
}

Coded DistanceCode(int distance) {
    int d = distance - 1;
    if (d < 4) {
        return {d, 0, 0};
    }
    for (int code = 4; code < 32; ++code) {
        int bits = (code - 2) / 2;
        int first = (2 + code % 2) << bits;
        if (d >= first && d < first + (1 << bits)) {
            return {code, bits, static_cast<uint32_t>(d - first)};
        }
    }
    ADD_FAILURE() << "no distance code for " << distance;
    return {0, 0, 0};
}

// One block per 60000 symbols, each with the same flat code tables.
std::string Pack(const std::vector<Op>& ops) {
    BitWriter w;
    for (size_t at = 0; at < ops.size(); at += 60000) {
        size_t n = std::min<size_t>(60000, ops.size() - at);
        w.Put(static_cast<uint32_t>(n), 16);
        w.Put(0, 5);   // the code-length code is a single symbol...
        w.Put(11, 5);  // ...11: every literal/length code is 9 bits long
        w.Put(289, 9);
        w.Put(32, 6);
        for (int i = 0; i < 32; ++i) {
            w.Put(5, 3);
        }
        for (size_t i = at; i < at + n; ++i) {
            const Op& op = ops[i];
            if (op.literal >= 0) {
                w.Put(static_cast<uint32_t>(op.literal), 9);
                continue;
            }
            Coded len = LengthCode(op.length);
            Coded dist = DistanceCode(op.distance);
            w.Put(static_cast<uint32_t>(len.code), 9);
            w.Put(len.extra, len.bits);
            w.Put(static_cast<uint32_t>(dist.code), 5);
            w.Put(dist.extra, dist.bits);
        }
    }
    return w.Finish();
}

std::string Expand(const std::vector<Op>& ops) {
    std::string out;
    for (const Op& op : ops) {
        if (op.literal >= 0) {
            out += static_cast<char>(op.literal);
            continue;
        }
        for (int i = 0; i < op.length; ++i) {
            out += out[out.size() - static_cast<size_t>(op.distance)];
        }
    }
    return out;
}

// 70000 bytes of noise, then matches of every length class at distances of every class up
// to the whole 64 KiB dictionary.
std::vector<Op> MatchesOfEveryCode() {
    std::vector<Op> ops;
    uint32_t seed = 12345;
    for (int i = 0; i < 70000; ++i) {
        seed = seed * 1103515245 + 12345;
        ops.push_back({static_cast<int>(seed >> 24), 0, 0});
    }
    const int lengths[] = {3,  10,  11,  12,  18,  19,  34,  35, 66,
                           67, 130, 131, 258, 259, 450, 513, 514};
    int k = 0;
    for (int distance = 1; distance <= 65536; distance = distance * 3 / 2 + 1) {
        ops.push_back({-1, lengths[k++ % std::size(lengths)], distance});
    }
    for (int length : lengths) {
        ops.push_back({-1, length, 65536});
        ops.push_back({-1, length, 4});
    }
    return ops;
}

uint16_t Crc(const std::string& s) {
    return lzh::Crc16(0, reinterpret_cast<const uint8_t*>(s.data()), s.size());
}

TEST(Lhark, Lh7WithABlankOsByteDecodesAsLharksVariant) {
    std::vector<Op> ops = MatchesOfEveryCode();
    std::string packed = Pack(ops);
    std::string expected = Expand(ops);
    std::string archive = lzh_test::Level1("-lh7-", "lhark.bin", packed, Crc(expected), "", ' ',
                                           static_cast<uint32_t>(expected.size())) +
                          std::string(1, '\0');
    auto members = lzh_test::DecodeAll(archive);
    ASSERT_EQ(members.size(), 1u);
    EXPECT_EQ(members[0].member.method, "-lk7-");
    ASSERT_EQ(members[0].status, Status::kOk) << lzh::StatusName(members[0].status);
    EXPECT_TRUE(members[0].data == expected);
}

// The new length and distance paths keep the decoder's promise: a changed byte never yields
// kOk with other content.
TEST(Lhark, ChangedBytesNeverPassAsGood) {
    std::vector<Op> ops = MatchesOfEveryCode();
    std::string expected = Expand(ops);
    std::string archive = lzh_test::Level1("-lh7-", "lhark.bin", Pack(ops), Crc(expected), "", ' ',
                                           static_cast<uint32_t>(expected.size()));
    for (size_t at = 0; at < archive.size(); at += 211) {
        std::string bad = archive;
        bad[at] = static_cast<char>(bad[at] ^ 0x5A);
        auto members = lzh_test::DecodeAll(bad + std::string(1, '\0'));
        if (!members.empty() && members[0].status == Status::kOk) {
            EXPECT_TRUE(members[0].data == expected) << "byte " << at;
        }
    }
}

// The same stream under any other OS byte is standard -lh7-, which it is not.
TEST(Lhark, OtherOsBytesKeepTheStandardLh7) {
    std::vector<Op> ops = MatchesOfEveryCode();
    std::string expected = Expand(ops);
    for (char os : {'U', 'M', 'w', '\0'}) {
        SCOPED_TRACE(os);
        std::string archive = lzh_test::Level1("-lh7-", "std.bin", Pack(ops), Crc(expected), "", os,
                                               static_cast<uint32_t>(expected.size()));
        auto members = lzh_test::DecodeAll(archive + std::string(1, '\0'));
        ASSERT_FALSE(members.empty());
        EXPECT_EQ(members[0].member.method, "-lh7-");
        EXPECT_NE(members[0].status, Status::kOk);
    }
}

}  // namespace
