// Extracts an LZH archive into a folder (each member under its bare name, written with the
// standard library) and prints the bytes written, the time taken, the throughput and the
// peak resident memory of the process.
// Usage: lzh_bench ARCHIVE FOLDER
#include <sys/resource.h>

#include <time.h>

#include <cstdio>

#include "bench/lzh/extract_to_disk.h"

namespace {

// <chrono> does not build with the cp932 execution character set.
double Now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: lzh_bench ARCHIVE FOLDER\n");
        return 2;
    }
    double start = Now();
    bench::ExtractResult r = bench::ExtractArchive(argv[1], argv[2]);
    double seconds = Now() - start;
    if (r.status != lzh::Status::kOk) {
        std::fprintf(stderr, "lzh_bench: %s: %s\n", r.member.c_str(), lzh::StatusName(r.status));
        return 1;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("files %d bytes %llu seconds %.3f MB/s %.1f maxrss_kib %ld\n", r.files, r.bytes,
                seconds, r.bytes / 1e6 / seconds, usage.ru_maxrss);
    return 0;
}
