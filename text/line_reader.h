// Reads a file line by line as the C runtime's text mode does: CR LF and a lone LF end a
// line (the end is not part of the line), a lone CR is text, and byte 0x1A ends the file.
// Pure: standard C I/O or a caller's source only, so that the parsers built on it are tested
// natively too.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace text {

class LineReader {
public:
    enum class Status { kLine, kEnd, kError };
    // Fills up to `capacity` bytes at `data`; the count read (fewer than asked only at the
    // end of the data), or nothing on a read error.
    using Source = std::function<std::optional<size_t>(char* data, size_t capacity)>;

    LineReader() = default;
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // Opens `path` (a cp932 path) for reading; false when it cannot be opened.
    bool Open(const std::string& path);
    // Takes over an already opened file (for files opened with platform-specific sharing);
    // false when `file` is null.
    bool Attach(std::FILE* file);
    // Reads from `source` (for platform handles read without the C runtime); false when empty.
    bool Attach(Source source);
    bool IsOpen() const { return static_cast<bool>(source_); }

    // Reads the next line into `line`. kEnd once the data is exhausted (a last line without
    // a line end is still delivered first); kError when the platform reports a read error.
    Status ReadLine(std::string& line);

private:
    bool Use(Source source);
    bool Refill();

    struct FileCloser {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, FileCloser> file_;
    Source source_;
    std::string buffer_;
    size_t pos_ = 0;
    bool eof_ = false;
    bool error_ = false;
};

}  // namespace text
