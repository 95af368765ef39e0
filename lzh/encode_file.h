// The writer's sink and sources over files of the C runtime (cp932 paths on Windows).
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "lzh/encode.h"

namespace lzh {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

class FileArchiveSink : public ArchiveSink {
public:
    // Creates or empties `path`; Ok() tells whether that worked.
    explicit FileArchiveSink(const std::string& path);
    bool Ok() const { return file_ != nullptr; }
    bool Write(const void* buf, size_t n) override;
    bool Seek(uint64_t offset) override;
    bool Truncate(uint64_t size) override;
    // Flushes and closes; false when anything written did not reach the file.
    bool Close();

private:
    FilePtr file_;
    bool failed_ = false;
};

class FileMemberSource : public MemberSource {
public:
    explicit FileMemberSource(const std::string& path);
    bool Ok() const { return file_ != nullptr; }
    size_t Read(void* buf, size_t n) override;
    bool Failed() const override { return !file_ || std::ferror(file_.get()) != 0; }
    bool Rewind() override;

private:
    FilePtr file_;
};

}  // namespace lzh
