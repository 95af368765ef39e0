// Packs files into an LZH archive with our writer and prints the time it took, for the
// encoder benchmark and the check against other LZH programs.
// Usage: lzh_pack [-5|-6|-7] [-l0|-l1|-l2] [--best] ARCHIVE PATH...   (folders are walked)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "lzh/encode.h"
#include "lzh/encode_file.h"

namespace fs = std::filesystem;

namespace {

lzh::MemberEntry EntryFor(const fs::path& p) {
    lzh::MemberEntry e;
    std::string s = p.lexically_normal().generic_string();
    std::replace(s.begin(), s.end(), '/', '\\');
    e.path = s;
    struct stat st {};
    stat(p.c_str(), &st);
    e.unixTime = st.st_mtime;
    std::time_t tt = static_cast<std::time_t>(e.unixTime);
    std::tm local{};
    localtime_r(&tt, &local);
    e.dosTime = lzh::DosTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                             local.tm_min, local.tm_sec);
    return e;
}

bool Add(lzh::Writer& w, const fs::path& p) {
    if (fs::is_directory(p)) {
        std::vector<fs::path> children;
        for (const auto& d : fs::directory_iterator(p)) {
            children.push_back(d.path());
        }
        std::sort(children.begin(), children.end());
        if (w.AddFolder(EntryFor(p)) != lzh::Status::kOk) {
            return false;
        }
        return std::all_of(children.begin(), children.end(),
                           [&](const fs::path& c) { return Add(w, c); });
    }
    lzh::FileMemberSource src(p.string());
    lzh::Status s = src.Ok() ? w.AddFile(EntryFor(p), src) : lzh::Status::kReadError;
    if (s != lzh::Status::kOk) {
        std::fprintf(stderr, "lzh_pack: %s: %s\n", p.c_str(), lzh::StatusName(s));
    }
    return s == lzh::Status::kOk;
}

}  // namespace

int main(int argc, char** argv) {
    lzh::WriteOptions options;
    int i = 1;
    for (; i < argc && argv[i][0] == '-'; ++i) {
        std::string a = argv[i];
        if (a == "-5" || a == "-6" || a == "-7") {
            options.method = a == "-5" ? lzh::Method::kLh5
                             : a == "-6" ? lzh::Method::kLh6 : lzh::Method::kLh7;
        } else if (a.size() == 3 && a.compare(0, 2, "-l") == 0 && a[2] >= '0' && a[2] <= '2') {
            options.headerLevel = a[2] - '0';
        } else if (a == "--best") {
            options.effort = lzh::Effort::kBest;
        } else {
            std::fprintf(stderr, "lzh_pack: unknown option %s\n", argv[i]);
            return 2;
        }
    }
    if (argc - i < 2) {
        std::fprintf(stderr, "usage: lzh_pack [-5|-6|-7] [-l0|-l1|-l2] [--best] ARCHIVE PATH...\n");
        return 2;
    }
    auto t0 = std::chrono::steady_clock::now();
    lzh::FileArchiveSink sink(argv[i]);
    if (!sink.Ok()) {
        std::fprintf(stderr, "lzh_pack: cannot create %s\n", argv[i]);
        return 1;
    }
    lzh::Writer writer(sink, options);
    for (int k = i + 1; k < argc; ++k) {
        if (!Add(writer, argv[k])) {
            return 1;
        }
    }
    if (writer.Finish() != lzh::Status::kOk || !sink.Close()) {
        std::fprintf(stderr, "lzh_pack: cannot write %s\n", argv[i]);
        return 1;
    }
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("%.3f\n", s);
    return 0;
}
