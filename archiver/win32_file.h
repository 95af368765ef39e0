// Win32 file plumbing of the archiver: an owned handle, the archive as an lzh byte source,
// a buffered file sink, and a temporary file that disappears unless kept.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "lzh/lzh.h"

namespace archiver {

class UniqueHandle {
public:
    explicit UniqueHandle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
    ~UniqueHandle() { Close(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    bool Close();

private:
    HANDLE h_;
};

// Reads the archive through a fixed buffer, so the reader's small header reads stay cheap.
class FileSource : public lzh::ByteSource {
public:
    explicit FileSource(const std::string& path);
    bool opened() const { return file_.valid(); }
    DWORD openError() const { return openError_; }
    size_t Read(void* buf, size_t n) override;
    bool Failed() const override { return failed_; }

private:
    UniqueHandle file_;
    DWORD openError_ = 0;
    std::vector<unsigned char> buffer_;
    size_t pos_ = 0;
    size_t end_ = 0;
    bool failed_ = false;
};

// Writes decoded data to an open file in large blocks.
class FileSink : public lzh::ByteSink {
public:
    explicit FileSink(HANDLE file) : file_(file) { buffer_.reserve(kBlock); }
    bool Write(const void* buf, size_t n) override;
    bool Flush();

private:
    static constexpr size_t kBlock = 64 * 1024;
    HANDLE file_;
    std::vector<unsigned char> buffer_;
};

// Swallows data: used to check a member before anything is written.
class NullSink : public lzh::ByteSink {
public:
    bool Write(const void*, size_t) override { return true; }
};

// A uniquely named empty file in `folder`, deleted when the object goes unless Keep() was called.
class TempFile {
public:
    explicit TempFile(const std::string& folder);
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    bool created() const { return !path_.empty(); }
    const std::string& path() const { return path_; }
    void Keep() { path_.clear(); }

private:
    std::string path_;
};

}  // namespace archiver
