// Times the update run over a prepared update disk against the same work done bare: the
// archiver's extraction command and CopyFileA, nothing else. Usage: renovo_bench_update DISK
// where DISK holds SYS01.lzh ... and FILE01.DAT ... (tools/bench-update.sh makes it).
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "archiver/archiver.h"
#include "engine/program_folder.h"
#include "engine/texts.h"
#include "engine/update_run.h"
#include "tests/support/test_support.h"
#include "wizard/progress_window.h"

namespace {

constexpr int kRounds = 5;

class CountingSeam : public engine::MessageSeam {
public:
    int ShowMessage(const std::string& text, const std::string&, engine::Buttons) override {
        last = text;
        ++count;
        return engine::kAnswerOk;
    }
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    std::string last;
    int count = 0;
};

// The same seam with the progress window the user sees while the run works.
class ProgressSeam : public CountingSeam {
public:
    void ShowEntry(int number, int count, int disk, const std::string& name) override {
        window.ShowEntry(number, count, disk, name);
    }
    void ShowFile(const std::string& name, uint64_t done, uint64_t total) override {
        window.ShowFile(name, done, total);
    }
    void ShowConversion(const std::string& file) override { window.ShowConversion(file); }
    void EndProgress() override { window.Close(); }
    wizard::CProgressWindow window;
};

double Now() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// The disk's archives (names without ".lzh") and plain files, in name order.
void ListDisk(const std::string& disk, std::vector<std::string>& archives,
              std::vector<std::string>& files) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((disk + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        std::string name = fd.cFileName;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            continue;
        }
        if (name.size() > 4 && name.substr(name.size() - 4) == ".lzh") {
            archives.push_back(name.substr(0, name.size() - 4));
        } else {
            files.push_back(name);
        }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    std::sort(archives.begin(), archives.end());
    std::sort(files.begin(), files.end());
}

engine::UpdateContext MakeContext(const std::string& product,
                                  const std::vector<std::string>& archives,
                                  const std::vector<std::string>& files) {
    engine::UpdateContext ctx;
    ctx.destFolder = product;
    ctx.settingsFile = "tovaka1.ini";
    ctx.requiredVersion = "2";
    ctx.systemNames[0] = "BENCH";
    for (const std::string& a : archives) {
        ctx.entryDisk[ctx.entryCount] = 1;
        ctx.entryKind[ctx.entryCount] = 1;
        ctx.entryName[ctx.entryCount] = a;
        ctx.entrySubFolder[ctx.entryCount++] = "SYS\\";
    }
    for (const std::string& f : files) {
        ctx.entryDisk[ctx.entryCount] = 1;
        ctx.entryKind[ctx.entryCount] = 2;
        ctx.entryName[ctx.entryCount] = f;
        ctx.entrySubFolder[ctx.entryCount++] = "DAT\\";
    }
    return ctx;
}

void MakeProduct(const std::string& product) {
    testing_support::MakeDir(product);
    testing_support::WriteFile(product + "tovaka1.ini", "[SYSTEM]\r\nTITLE=BENCH\r\n");
    testing_support::WriteFile(product + "tv2menu.ini", "");
}

template <typename Seam>
double TimeRun(const std::string& product, const std::vector<std::string>& archives,
               const std::vector<std::string>& files) {
    MakeProduct(product);
    engine::UpdateContext ctx = MakeContext(product, archives, files);
    Seam seam;
    const double start = Now();
    const int result = engine::RunUpdate(ctx, seam);
    const double took = Now() - start;
    if (result != 1 || seam.count != 1 || seam.last != engine::kUpdated) {
        std::fprintf(stderr, "update run failed: %s\n", seam.last.c_str());
        std::exit(1);
    }
    return took;
}

double TimeBare(const std::string& disk, const std::string& dest,
                const std::vector<std::string>& archives, const std::vector<std::string>& files) {
    testing_support::MakeDir(dest);
    char windows[MAX_PATH + 1] = {};
    const double start = Now();
    GetWindowsDirectoryA(windows, sizeof windows);
    archiver::PrepareArchiver();
    const std::string sys = dest + "SYS\\";
    const std::string dat = dest + "DAT\\";
    CreateDirectoryA(sys.c_str(), nullptr);
    CreateDirectoryA(dat.c_str(), nullptr);
    std::array<char, 256> output{};
    for (const std::string& a : archives) {
        const std::string command =
            std::string("e -mcw") + windows + " \"" + disk + a + "\" \"" + sys + "\"";
        if (archiver::RunArchiverCommand(nullptr, command.c_str(), output.data(), output.size())) {
            std::fprintf(stderr, "archiver failed: %s\n", output.data());
            std::exit(1);
        }
    }
    for (const std::string& f : files) {
        if (!CopyFileA((disk + f).c_str(), (dat + f).c_str(), FALSE)) {
            std::fprintf(stderr, "copy failed: %s\n", f.c_str());
            std::exit(1);
        }
    }
    return Now() - start;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: renovo_bench_update DISK-FOLDER\n");
        return 2;
    }
    std::string disk = argv[1];
    if (disk.back() != '\\') {
        disk += '\\';
    }
    std::vector<std::string> archives, files;
    ListDisk(disk, archives, files);
    engine::SetProgramFolder(disk);
    testing_support::TempDir work;

    std::vector<double> run, bare, shown;
    TimeBare(disk, work / "warm\\", archives, files);  // fills the cache for both
    for (int i = 0; i < kRounds; ++i) {
        const std::string round = std::to_string(i);
        bare.push_back(TimeBare(disk, work / ("bare" + round + "\\"), archives, files));
        run.push_back(TimeRun<CountingSeam>(work / ("run" + round + "\\"), archives, files));
        shown.push_back(TimeRun<ProgressSeam>(work / ("shown" + round + "\\"), archives, files));
    }
    std::printf("update: %zu archives, %zu plain files, %d rounds (median)\n", archives.size(),
                files.size(), kRounds);
    std::printf("bare archiver + CopyFileA: %.3f s\n", Median(bare));
    std::printf("update run:                %.3f s\n", Median(run));
    std::printf("ratio run/bare:            %.2fx (goal <= 1.20x)\n", Median(run) / Median(bare));
    std::printf("update run, progress shown: %.3f s\n", Median(shown));
    std::printf("ratio shown/run:           %.2fx (goal <= 1.05x)\n", Median(shown) / Median(run));
    return 0;
}
