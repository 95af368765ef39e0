#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "tests/support/test_support.h"
#include "text/line_reader.h"

namespace {

std::vector<std::string> ReadAll(const std::string& bytes) {
    testing_support::TempDir dir;
    testing_support::WriteFile(dir / "f.txt", bytes);
    text::LineReader reader;
    EXPECT_TRUE(reader.Open(dir / "f.txt"));
    std::vector<std::string> lines;
    std::string line;
    while (reader.ReadLine(line) == text::LineReader::Status::kLine) {
        lines.push_back(line);
    }
    return lines;
}

using Lines = std::vector<std::string>;

TEST(LineReader, TextModeLineEnds) {
    struct Case {
        std::string bytes;
        Lines lines;
    } cases[] = {
        {"", {}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\rb\n", {"a\rb"}},  // a lone CR is text
        {"\n\n", {"", ""}},
        {"a\r\n\x1A"
         "b\n",
         {"a"}},  // Ctrl-Z ends the file
        {"ab\x1A", {"ab"}},
        {"\x1A", {}},
        {"a\r", {"a\r"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadAll(c.bytes), c.lines);
    }
}

// CR LF split across the reader's 65536-byte chunks, and lines longer than a chunk.
TEST(LineReader, ChunkBoundaries) {
    for (size_t first : {65534u, 65535u, 65536u, 65537u, 200000u}) {
        std::string a(first, 'x');
        Lines lines = ReadAll(a + "\r\nend\r\n");
        ASSERT_EQ(lines.size(), 2u) << first;
        EXPECT_EQ(lines[0], a);
        EXPECT_EQ(lines[1], "end");
    }
}

// A caller's source: a read error is reported, never taken for the end of the data.
TEST(LineReader, CallerSourceReportsReadErrors) {
    const std::string data(70000, 'y');
    size_t calls = 0;
    text::LineReader reader;
    ASSERT_TRUE(reader.Attach([&](char* out, size_t capacity) -> std::optional<size_t> {
        if (calls++ > 0) {
            return std::nullopt;  // fails after one full chunk
        }
        const size_t n = std::min(capacity, data.size());
        data.copy(out, n);
        return n;
    }));
    std::string line;
    EXPECT_EQ(reader.ReadLine(line), text::LineReader::Status::kError);
    EXPECT_FALSE(reader.Attach(text::LineReader::Source()));
    EXPECT_EQ(reader.ReadLine(line), text::LineReader::Status::kEnd);
}

TEST(LineReader, MissingFile) {
    text::LineReader reader;
    EXPECT_FALSE(reader.Open("no-such-folder-xyz/none.txt"));
    std::string line;
    EXPECT_EQ(reader.ReadLine(line), text::LineReader::Status::kEnd);
}

}  // namespace
