// Times the update run over a prepared update disk against the same work done bare: the
// archiver's extraction and CopyFileA, nothing else; the run over an installed
// product with its backup set against the run without one, the restore against the run, the
// space the set takes, the master conversion with its backups against it without them, and
// the run with its progress window (made ahead, as the wizard does, or in the run, as /SILENT
// may) against the run without it, and the run with its checks before each disk's first change
// against the run without them.
// Usage: renovo_bench_update DISK [checks] where DISK holds SYS01.lzh ... and FILE01.DAT ...
// (tools/bench-update.sh makes it); "checks" times the checks alone.
#include <windows.h>

#include <algorithm>
#include <optional>
#include <array>
#include <cstdio>
#include <string>
#include <type_traits>
#include <vector>

#include "archiver/archiver.h"
#include "backup/backup_set.h"
#include "framework/directory.h"
#include "framework/handles.h"
#include "backup/journal.h"
#include "backup/restore.h"
#include "backup/texts.h"
#include "replace/replace_file.h"
#include "settings/masters.h"
#include "engine/program_folder.h"
#include "engine/texts.h"
#include "engine/update_run.h"
#include "tests/support/test_support.h"
#include "wizard/answering_run.h"
#include "wizard/progress_window.h"

namespace {

// A run differs by a fifth from the next: enough rounds for medians a few per cent apart.
constexpr int kRounds = 15;
// The conversion takes a quarter of the run: more rounds for as steady a median.
constexpr int kConversionRounds = 27;
// The window's cost is a few per cent of a run: more runs of each kind.
constexpr int kShownRuns = 5;  // a round
// The checks' cost too: pairs of runs, each with and without them, taking turns at going first.
constexpr int kCheckPairs = 25;
// Before each timed run, as long as the user at least looks at the confirmation page; the
// bare extraction waits as long, so that both start from the same quiet.
constexpr DWORD kPageRead = 200;  // ms

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

// The wizard makes the window while the confirmation page is read; /SILENT makes it a moment
// before the run, which here is at the run's first entry.
struct WizardSeam : ProgressSeam {
    WizardSeam() { window.Prepare(); }
};
using SilentSeam = ProgressSeam;

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
        ctx.entryKind[ctx.entryCount] = engine::EntryKind::kArchive;
        ctx.entryName[ctx.entryCount] = a;
        ctx.entrySubFolder[ctx.entryCount++] = "SYS\\";
    }
    for (const std::string& f : files) {
        ctx.entryDisk[ctx.entryCount] = 1;
        ctx.entryKind[ctx.entryCount] = engine::EntryKind::kPlainFile;
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

template <typename Seam = CountingSeam>
double TimeRun(const std::string& product, const std::vector<std::string>& archives,
               const std::vector<std::string>& files,
               engine::Backups backups = engine::Backups::kNotKept,
               engine::Checks checks = engine::Checks::kMade) {
    engine::UpdateContext ctx = MakeContext(product, archives, files);
    ctx.digitizerOption = "1";  // the settings file is written too
    Seam seam;
    Sleep(kPageRead);
    // On a worker thread, as in every mode; this thread owns the window and paints it.
    const double start = Now();
    wizard::CAnsweringRun answering;
    wizard::CWindowThreadSeam relayed(answering, seam);
    bool ended = false;
    answering.Run([&] { ended = engine::RunUpdate(ctx, ctx.destFolder, relayed, backups, checks); });
    const double took = Now() - start;
    if (!ended || seam.count != 1 || seam.last != engine::kUpdated) {
        std::fprintf(stderr, "update run failed: %s\n", seam.last.c_str());
        std::exit(1);
    }
    return took;
}

// The Unix name of a Windows path; the benchmark runs under Wine only.
std::string UnixName(const std::string& path) {
    using ToUnix = char*(CDECL*)(const wchar_t*);
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    std::wstring wide(path.size() + 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    char* name = toUnix != nullptr ? toUnix(wide.c_str()) : nullptr;
    if (name == nullptr) {
        std::fprintf(stderr, "no Unix name for %s: run under Wine\n", path.c_str());
        std::exit(1);
    }
    std::string unixName = name;
    HeapFree(GetProcessHeap(), 0, name);
    return unixName;
}

// In the field the installed product has long been on disk, and out of memory; here it was
// written a moment ago. Its files are written out and dropped from the page cache (dd's
// nocache, started as a Unix program through Wine), so that no timed run pays for the setup's
// writes, nor reuses the memory of the old files it replaces: a run that keeps them cannot,
// and on this virtual machine a page not used for a while costs a fault on the host, several
// times the copy into it (new files were written at a third of the speed).
void SettleWrites(const std::string& folder) {
    // Wine cannot wait for a Unix process: it says it is done by a file beside the folder.
    const std::string done = folder.substr(0, folder.size() - 1) + ".settled";
    std::string command = "Z:\\bin\\sh -c \"sync && find '" + UnixName(folder) +
                          "' -type f -exec dd if={} iflag=nocache count=0 status=none ';' && " +
                          "touch '" + UnixName(done) + "'\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "cannot settle %s: error %lu\n", folder.c_str(), GetLastError());
        std::exit(1);
    }
    const framework::KernelObject thread(process.hThread), owned(process.hProcess);
    for (DWORD waited = 0; GetFileAttributesA(done.c_str()) == INVALID_FILE_ATTRIBUTES; ++waited) {
        if (waited > 60000) {
            std::fprintf(stderr, "settling %s did not end\n", folder.c_str());
            std::exit(1);
        }
        Sleep(1);
    }
    DeleteFileA(done.c_str());
}

// The same update over a product that already holds every file, so that each one is replaced
// (and, with the checks, tested for use).
double TimeUpdateOver(const std::string& product, const std::vector<std::string>& archives,
                      const std::vector<std::string>& files, engine::Backups backups,
                      engine::Checks checks = engine::Checks::kMade) {
    MakeProduct(product);
    TimeRun(product, archives, files);
    SettleWrites(product);
    return TimeRun(product, archives, files, backups, checks);
}

uint64_t SizeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// What the newest set holds: its journal, the files it had to copy (written in place
// afterwards: the settings file) and those it keeps by a second name (no byte written).
void PrintSetSpace(const std::string& product) {
    const std::string set = backup::NewestSet(product);
    const std::string journalPath = set + "\\" + backup::kJournalName;
    const backup::Journal journal = backup::ParseJournal(testing_support::ReadFile(journalPath));
    uint64_t copied = 0, linked = 0;
    for (const backup::Change& change : journal.changes) {
        if (change.kind == backup::ChangeKind::kSaved) {
            const uint64_t size = SizeOf(set + "\\" + change.saved);
            const bool settings = change.path == framework::FullPath(product + "tovaka1.ini");
            (settings ? copied : linked) += size;
        }
    }
    std::printf(
        "backup set: journal %llu bytes, copied %llu bytes (settings file); "
        "%llu bytes of old files kept by a second name, not copied\n",
        static_cast<unsigned long long>(SizeOf(journalPath)),
        static_cast<unsigned long long>(copied), static_cast<unsigned long long>(linked));
}

constexpr int kMasterFiles = 20;

// Master files of about 240 KB each, records the size rule shortens and the type rule changes.
void MakeMasters(const std::string& prefix) {
    std::string records;
    for (int i = 0; i < 1200; ++i) {
        records += "400400000107 A" + std::string(173, 'x') + "\r\n";
    }
    testing_support::MakeDir(prefix + "1");
    for (int i = 0; i < kMasterFiles; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "1\\zai%03d-3.mst", i);
        testing_support::WriteFile(prefix + name, records);
    }
}

double TimeConversion(const std::string& product, bool backups) {
    MakeProduct(product);
    const std::string settings = product + "tovaka1.ini";
    WritePrivateProfileStringA("DIR", "MASTER", (product + "MST").c_str(), settings.c_str());
    MakeMasters(product + "MST");
    SettleWrites(product);
    backup::BackupSet set(product);
    replace::Observer* observer = nullptr;
    if (backups) {
        // In the run the set is open from its first disk on, which keeps the settings file.
        if (!set.BeforeWriteInPlace(settings)) {
            std::fprintf(stderr, "backup set not opened\n");
            std::exit(1);
        }
        observer = &set;
    }
    const double start = Now();
    if (!settings::ConvertMaterialSize(settings, nullptr, observer) ||
        !settings::ConvertMaterialType(settings, nullptr, observer)) {
        std::fprintf(stderr, "master conversion failed\n");
        std::exit(1);
    }
    return Now() - start;
}

double TimeBare(const std::string& disk, const std::string& dest,
                const std::vector<std::string>& archives, const std::vector<std::string>& files) {
    testing_support::MakeDir(dest);
    SettleWrites(dest);
    Sleep(kPageRead);
    const double start = Now();
    const std::string sys = dest + "SYS\\";
    const std::string dat = dest + "DAT\\";
    CreateDirectoryA(sys.c_str(), nullptr);
    CreateDirectoryA(dat.c_str(), nullptr);
    for (const std::string& a : archives) {
        const archiver::Outcome outcome = archiver::Extract(disk + a + ".lzh", sys, {});
        if (outcome.result != archiver::Result::kDone) {
            std::fprintf(stderr, "archiver failed: %s\n", outcome.text.c_str());
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

// Each of two timings goes first in every other round: the one after pays for the other's
// writeback.
template <typename First, typename Second>
void InTurn(int round, const First& first, const Second& second) {
    if (round % 2 == 0) {
        first();
        second();
    } else {
        second();
        first();
    }
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The run as it ships (its backups kept) over an installed product, with its checks against
// it without them, in pairs that take turns at going first; each product removed once timed.
void TimeChecks(const std::string& work, const std::vector<std::string>& archives,
                const std::vector<std::string>& files) {
    std::vector<double> with, without, ratio;
    for (int i = 0; i < kCheckPairs; ++i) {
        const std::string round = std::to_string(i);
        double checked = 0, unchecked = 0;
        const auto timeChecked = [&] {
            const std::string product = work + "chk" + round + "\\";
            checked = TimeUpdateOver(product, archives, files, engine::Backups::kKept);
            testing_support::RemoveTree(product);
        };
        const auto timeUnchecked = [&] {
            const std::string product = work + "unchk" + round + "\\";
            unchecked = TimeUpdateOver(product, archives, files, engine::Backups::kKept,
                                       engine::Checks::kSkipped);
            testing_support::RemoveTree(product);
        };
        InTurn(i, timeChecked, timeUnchecked);
        with.push_back(checked);
        without.push_back(unchecked);
        ratio.push_back(checked / unchecked);
    }
    std::printf(
        "checks before each disk's first change, %zu archives and %zu plain files over the "
        "installed product, backups kept, %d pairs (median):\n",
        archives.size(), files.size(), kCheckPairs);
    std::printf("  run without the checks:  %.3f s\n", Median(without));
    std::printf("  run with the checks:     %.3f s\n", Median(with));
    std::printf("  ratio with/without:      %.3fx (median of the pairs' ratios; goal <= 1.10x)\n",
                Median(ratio));
}

}  // namespace

int main(int argc, char** argv) {
    const bool checksOnly = argc == 3 && std::string(argv[2]) == "checks";
    if (argc != 2 && !checksOnly) {
        std::fprintf(stderr, "usage: renovo_bench_update DISK-FOLDER [checks]\n");
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
    if (checksOnly) {
        TimeBare(disk, work / "warm\\", archives, files);  // fills the cache
        TimeChecks(work.path(), archives, files);
        return 0;
    }

    std::vector<double> run, bare, kept, notKept, restore, masters, mastersKept;
    std::vector<double> wizardRatio, silentRatio;      // shown against the plain run beside it
    TimeBare(disk, work / "warm\\", archives, files);  // fills the cache for both
    for (int i = 0; i < kRounds; ++i) {
        const std::string round = std::to_string(i);
        bare.push_back(TimeBare(disk, work / ("bare" + round + "\\"), archives, files));
        for (int pair = 0; pair < kShownRuns; ++pair) {
            const std::string name = round + "-" + std::to_string(pair) + "\\";
            // Each product goes once timed, so that the later runs have as much memory as the
            // first.
            const auto timed = [&](auto seam, const char* kind) {  // seam: its type only
                const std::string product = work / (kind + name);
                MakeProduct(product);
                SettleWrites(product);
                const double took =
                    TimeRun<typename decltype(seam)::type>(product, archives, files);
                testing_support::RemoveTree(product);
                return took;
            };
            // The three take turns at going first: the one after pays for the other's writeback.
            double plain = 0, wizardShown = 0, silentShown = 0;
            for (int turn = 0; turn < 3; ++turn) {
                switch ((i * kShownRuns + pair + turn) % 3) {
                    case 0:
                        plain = timed(std::type_identity<CountingSeam>{}, "run");
                        break;
                    case 1:
                        wizardShown = timed(std::type_identity<WizardSeam>{}, "wizard");
                        break;
                    default:
                        silentShown = timed(std::type_identity<SilentSeam>{}, "silent");
                        break;
                }
            }
            run.push_back(plain);
            wizardRatio.push_back(wizardShown / plain);
            silentRatio.push_back(silentShown / plain);
        }
        const std::string over = work / ("over" + round + "\\");
        const auto timePlain = [&] {
            notKept.push_back(TimeUpdateOver(work / ("plain" + round + "\\"), archives, files,
                                             engine::Backups::kNotKept));
        };
        const auto timeKept = [&] {
            kept.push_back(TimeUpdateOver(over, archives, files, engine::Backups::kKept));
        };
        InTurn(i, timePlain, timeKept);
        if (i == 0) {
            PrintSetSpace(over);
        }
        const double start = Now();
        if (!backup::RestoreNewestSet(over).failed.empty()) {
            std::fprintf(stderr, "restore failed\n");
            return 1;
        }
        restore.push_back(Now() - start);
    }
    for (int i = 0; i < kConversionRounds; ++i) {
        const std::string round = std::to_string(i);
        const auto timePlain = [&] {
            masters.push_back(TimeConversion(work / ("mst" + round + "\\"), false));
        };
        const auto timeKept = [&] {
            mastersKept.push_back(TimeConversion(work / ("mstk" + round + "\\"), true));
        };
        InTurn(i, timePlain, timeKept);
    }
    std::printf(
        "update: %zu archives, %zu plain files, %d rounds (median; with and without the "
        "progress window %d runs of each)\n",
        archives.size(), files.size(), kRounds, kRounds * kShownRuns);
    std::printf("bare archiver + CopyFileA: %.3f s\n", Median(bare));
    std::printf("update run:                %.3f s\n", Median(run));
    std::printf("ratio run/bare:            %.2fx (goal <= 1.20x)\n", Median(run) / Median(bare));
    std::printf("progress window, each run against the run without it just before or after:\n");
    std::printf("  made with the last page (wizard): %.3fx (goal <= 1.05x)\n", Median(wizardRatio));
    std::printf("  made as the run starts (/SILENT): %.3fx\n", Median(silentRatio));
    std::printf("update over the installed product, every file replaced:\n");
    std::printf("  without backups:         %.3f s\n", Median(notKept));
    std::printf("  with backups:            %.3f s\n", Median(kept));
    std::printf("  ratio with/without:      %.2fx (goal <= 1.10x)\n",
                Median(kept) / Median(notKept));
    std::printf("  restore of that update:  %.3f s (%.2fx the update)\n", Median(restore),
                Median(restore) / Median(kept));
    std::printf("master conversion, %d files of %llu bytes, both rules, %d rounds (median):\n",
                kMasterFiles, static_cast<unsigned long long>(1200 * 189), kConversionRounds);
    std::printf("  without backups:         %.3f s\n", Median(masters));
    std::printf("  with backups:            %.3f s\n", Median(mastersKept));
    std::printf("  ratio with/without:      %.2fx (goal <= 1.10x)\n",
                Median(mastersKept) / Median(masters));
    TimeChecks(work.path(), archives, files);
    return 0;
}
