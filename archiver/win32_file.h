// Win32 file plumbing of the archiver: an owned handle, the archive as an lzh byte source,
// and the sinks a member is decoded into.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "lzh/lzh.h"
#include "replace/replace_file.h"

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
    uint64_t Skip(uint64_t n) override;  // seeks past what is not buffered

private:
    UniqueHandle file_;
    DWORD openError_ = 0;
    std::vector<unsigned char> buffer_;
    size_t pos_ = 0;
    size_t end_ = 0;
    bool failed_ = false;
};

// Decodes into the new file that replaces an installed one.
class NewFileSink : public lzh::ByteSink {
public:
    explicit NewFileSink(replace::NewFile& file) : file_(file) {}
    bool Write(const void* buf, size_t n) override {
        handed_ += n;
        return file_.Write(buf, n);
    }
    // The bytes handed on so far: the size the finished file must have.
    uint64_t handed() const { return handed_; }

private:
    replace::NewFile& file_;
    uint64_t handed_ = 0;
};

// Swallows data: used to check a member before anything is written.
class NullSink : public lzh::ByteSink {
public:
    bool Write(const void*, size_t) override { return true; }
};

}  // namespace archiver
