// Runs `e` over every archive of the shared LZH corpus and compares with expected.tsv.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

#include "archiver/command.h"
#include "tests/archiver/fixture.h"
#include "tests/lzh/sha256.h"
#include "tests/support/test_support.h"
#include "text/cp932.h"

namespace {

using archiver_test::ListFolder;
using testing_support::ReadFile;
using testing_support::WriteFile;

struct Row {
    std::string status;
    std::string member;  // bare name, escapes decoded; empty for "-"
    uint64_t size = 0;
    std::string sha256;
};

std::string Unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s.compare(i, 2, "\\x") == 0 && i + 3 < s.size()) {
            out += static_cast<char>(std::stoi(s.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

// archive -> its rows, in archive order.
std::map<std::string, std::vector<Row>> ReadExpected(const std::string& hostFolder) {
    std::ifstream in(hostFolder + "/expected.tsv");
    std::map<std::string, std::vector<Row>> rows;
    std::string line;
    std::getline(in, line);  // heading
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        std::stringstream ss(line);
        for (std::string field; std::getline(ss, field, '\t');) {
            f.push_back(field);
        }
        if (f.size() < 7) {
            continue;
        }
        std::string member = f[4] == "-" ? "" : Unescape(f[4].substr(f[4].find_last_of('/') + 1));
        uint64_t size = f[5] == "-" ? 0 : std::stoull(f[5]);
        rows[f[0]].push_back({f[1], member, size, f[6]});
    }
    return rows;
}

// Where two members share a bare name the later one wins; names compare without case.
std::map<std::string, Row> Expected(const std::vector<Row>& rows) {
    std::map<std::string, Row> byName;
    for (const Row& r : rows) {
        if (!r.member.empty()) {
            byName[text::ToUpperAscii(r.member)] = r;
        }
    }
    return byName;
}

// Returns why the archive did not behave, or "" when it did.
std::string Check(const std::string& archive, const std::vector<Row>& rows) {
    testing_support::TempDir root;
    std::string dest = root / "out\\";
    testing_support::MakeDir(dest);
    const std::string& status = rows[0].status;
    bool mustFail = status == "broken" || status == "unsupported";
    std::vector<std::string> sentinels;
    if (mustFail) {
        for (const auto& [key, row] : Expected(rows)) {
            if (archiver::IsSafeBareName(row.member)) {
                WriteFile(dest + row.member, "installed " + row.member);
                sentinels.push_back(row.member);
            }
        }
    }
    std::sort(sentinels.begin(), sentinels.end());
    auto r = archiver_test::RunCommand("e -mcwC:\\WINDOWS \"" + archive + "\" \"" + dest + "\"");
    if (mustFail) {
        if (r.result == 0 || r.text.empty()) {
            return "succeeded: " + r.text;
        }
        for (const std::string& s : sentinels) {
            if (ReadFile(dest + s) != "installed " + s) {
                return "damaged " + s;
            }
        }
        return ListFolder(dest) == sentinels ? "" : "left files behind";
    }
    if (status == "hostile") {
        return ListFolder(root.path()) == std::vector<std::string>{"out"} ? "" : "wrote outside";
    }
    if (r.result != 0) {
        return "failed: " + r.text;
    }
    std::map<std::string, Row> expected = Expected(rows);
    if (ListFolder(dest).size() != expected.size()) {
        return "wrote " + std::to_string(ListFolder(dest).size()) + " files, expected " +
               std::to_string(expected.size());
    }
    for (const auto& [key, row] : expected) {
        if (!testing_support::FileExists(dest + row.member)) {
            return "missing " + row.member;
        }
        std::string data = ReadFile(dest + row.member);
        if (data.size() != row.size || lzh_test::Sha256Hex(data) != row.sha256) {
            return "differs: " + row.member;
        }
    }
    return "";
}

// Archives whose expected rows we knowingly differ from, and why.
const std::map<std::string, std::string> kKnown = {
    {"lha_unix114i/h0_subdir.lzh",
     "listed as empty, but after two -lhd- entries with empty names it holds a regular member "
     "hello.txt (Unix mode 0100644, 12 bytes, CRC 0x9778 as stored, the content of the other "
     "h0_subdir archives); lhasa also lists nothing, stopping at the first nameless entry; e "
     "extracts it"},
};

TEST(Corpus, EveryArchiveBehaves) {
    const std::string host = RENOVO_LZH_CORPUS;
    std::map<std::string, std::vector<Row>> all = ReadExpected(host);
    if (all.empty()) {
        GTEST_SKIP() << "no LZH corpus at " << host;
    }
    std::map<std::string, std::pair<int, int>> tally;  // status -> (behaved, total)
    for (const auto& [archive, rows] : all) {
        std::string path = archiver_test::WinePath(host + "/" + archive);
        std::string why = Check(path, rows);
        tally[rows[0].status].second++;
        if (why.empty()) {
            tally[rows[0].status].first++;
        }
        if (auto known = kKnown.find(archive); known != kKnown.end()) {
            std::printf("corpus known: %s (%s): %s\n", archive.c_str(), rows[0].status.c_str(),
                        why.empty() ? "now behaves" : known->second.c_str());
            continue;
        }
        EXPECT_EQ(why, "") << archive << " (" << rows[0].status << ")";
    }
    for (const auto& [status, counts] : tally) {
        std::printf("corpus %-12s %3d of %3d as required\n", status.c_str(), counts.first,
                    counts.second);
    }
}

}  // namespace
