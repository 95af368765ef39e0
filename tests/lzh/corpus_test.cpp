// Real archives from many LHA programs (../shared/lzh-corpus): each member of a `good` archive
// decodes to the size and SHA-256 that expected.tsv lists; `broken` and `unsupported` archives
// end in an error status.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "lzh/lzh.h"
#include "tests/lzh/lzh_test_util.h"
#include "tests/lzh/sha256.h"
#include "text/cp932.h"

using lzh::Status;

namespace {

const std::string kCorpus = LZH_CORPUS_DIR;

struct Expected {
    std::string status;
    std::map<std::string, std::pair<uint64_t, std::string>> files;  // upper-cased bare name
};

std::map<std::string, Expected> ReadExpected() {
    std::map<std::string, Expected> out;
    std::ifstream in(kCorpus + "expected.tsv");
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string archive, status, methods, levels, member, size, sha;
        std::getline(fields, archive, '\t');
        std::getline(fields, status, '\t');
        std::getline(fields, methods, '\t');
        std::getline(fields, levels, '\t');
        std::getline(fields, member, '\t');
        std::getline(fields, size, '\t');
        std::getline(fields, sha, '\t');
        Expected& e = out[archive];
        e.status = status;
        if (member != "-") {
            std::string bare = member.substr(member.rfind('/') + 1);
            // A later member of the same bare name replaces an earlier one.
            e.files[text::ToUpperAscii(bare)] = {std::stoull(size), sha};
        }
    }
    return out;
}

class Corpus : public testing::Test {
protected:
    void SetUp() override {
        if (!std::ifstream(kCorpus + "expected.tsv")) {
            GTEST_SKIP() << "no LZH corpus at " << kCorpus;
        }
        expected_ = ReadExpected();
        ASSERT_FALSE(expected_.empty());
    }
    std::map<std::string, Expected> expected_;
};

TEST_F(Corpus, GoodArchivesDecodeToTheListedContent) {
    int archives = 0;
    for (const auto& [archive, e] : expected_) {
        if (e.status != "good") {
            continue;
        }
        SCOPED_TRACE(archive);
        ++archives;
        std::map<std::string, std::pair<uint64_t, std::string>> got;
        for (const auto& d : lzh_test::DecodeAll(lzh_test::ReadBinary(kCorpus + archive))) {
            ASSERT_EQ(d.status, Status::kOk) << d.member.path;
            if (!d.member.isDirectory && !d.member.isSymlink) {
                got[text::ToUpperAscii(d.member.name)] = {d.data.size(),
                                                          lzh_test::Sha256Hex(d.data)};
            }
        }
        EXPECT_EQ(got, e.files);
    }
    EXPECT_GT(archives, 100);
}

TEST_F(Corpus, BrokenAndUnsupportedArchivesEndInAnError) {
    int archives = 0;
    for (const auto& [archive, e] : expected_) {
        if (e.status != "broken" && e.status != "unsupported") {
            continue;
        }
        SCOPED_TRACE(archive);
        ++archives;
        auto members = lzh_test::DecodeAll(lzh_test::ReadBinary(kCorpus + archive));
        bool failed = false;
        for (const auto& d : members) {
            failed = failed || d.status != Status::kOk;
        }
        EXPECT_TRUE(failed);
    }
    EXPECT_GT(archives, 10);
}

TEST_F(Corpus, OtherArchivesDecodeWithoutError) {
    for (const auto& [archive, e] : expected_) {
        if (e.status != "empty" && e.status != "hostile") {
            continue;
        }
        SCOPED_TRACE(archive);
        for (const auto& d : lzh_test::DecodeAll(lzh_test::ReadBinary(kCorpus + archive))) {
            EXPECT_EQ(d.status, Status::kOk) << d.member.path;
        }
    }
}

}  // namespace
