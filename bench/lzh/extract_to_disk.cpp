#include "bench/lzh/extract_to_disk.h"

#include <cstdio>
#include <memory>

namespace bench {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

class FileSource : public lzh::ByteSource {
public:
    explicit FileSource(std::FILE* f) : f_(f) {}
    size_t Read(void* buf, size_t n) override { return std::fread(buf, 1, n, f_); }
    bool Failed() const override { return std::ferror(f_) != 0; }

private:
    std::FILE* f_;
};

class FileSink : public lzh::ByteSink {
public:
    explicit FileSink(std::FILE* f) : f_(f) {}
    bool Write(const void* buf, size_t n) override { return std::fwrite(buf, 1, n, f_) == n; }

private:
    std::FILE* f_;
};

}  // namespace

ExtractResult ExtractArchive(const std::string& archive, const std::string& folder) {
    ExtractResult r;
    File in(std::fopen(archive.c_str(), "rb"));
    if (!in) {
        r.status = lzh::Status::kReadError;
        return r;
    }
    FileSource source(in.get());
    lzh::Reader reader(source);
    lzh::Member m;
    while ((r.status = reader.Next(m)) == lzh::Status::kOk) {
        r.member = m.path;
        if (m.isDirectory || m.isSymlink) {
            continue;
        }
        File out(std::fopen((folder + "/" + m.name).c_str(), "wb"));
        if (!out) {
            r.status = lzh::Status::kWriteError;
            return r;
        }
        FileSink sink(out.get());
        if ((r.status = reader.Extract(sink)) != lzh::Status::kOk) {
            return r;
        }
        if (std::fclose(out.release()) != 0) {
            r.status = lzh::Status::kWriteError;
            return r;
        }
        ++r.files;
        r.bytes += m.originalSize;
    }
    if (r.status == lzh::Status::kEnd) {
        r.status = lzh::Status::kOk;
        r.member.clear();
    }
    return r;
}

}  // namespace bench
