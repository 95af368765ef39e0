// Material master conversion against the platform's plain file copy, and the peak working set
// while one 200 MB master file converts. Prints figures; asserts nothing.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "settings/masters.h"

namespace {

constexpr int kFilesPerFolder = 500;  // two folders: 1000 master files
constexpr int kRecordsPerFile = 200;
constexpr size_t kRecordBytes = 185;
constexpr long long kBigFileBytes = 200LL * 1024 * 1024;

// Every fourth record is a size candidate one byte too long; type letters cycle A, B, C.
std::string MakeRecord(long long n) {
    std::string r(kRecordBytes, '0');
    for (size_t i = 0; i < r.size(); ++i) {
        r[i] = static_cast<char>('0' + (n + static_cast<long long>(i)) % 43);
    }
    if (n % 4 == 0) {
        r.replace(0, 12, "400400000107");
        r.push_back('x');
    }
    r[13] = static_cast<char>('A' + n % 3);
    return r + "\r\n";
}

bool WriteAll(HANDLE h, const std::string& bytes) {
    DWORD written = 0;
    return WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// Writes records until the file holds at least `bytes`, through a small buffer so that the
// generator itself does not raise the peak working set.
bool WriteMaster(const std::string& path, long long bytes) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool ok = true;
    std::string chunk;
    long long total = 0;
    for (long long n = 0; ok && total < bytes; ++n) {
        chunk += MakeRecord(n);
        if (chunk.size() >= 65536) {
            total += static_cast<long long>(chunk.size());
            ok = WriteAll(h, chunk);
            chunk.clear();
        }
    }
    ok = ok && WriteAll(h, chunk);
    return CloseHandle(h) && ok;
}

bool WriteText(const std::string& path, const std::string& text) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool ok = WriteAll(h, text);
    return CloseHandle(h) && ok;
}

double Seconds() {
    LARGE_INTEGER now, freq;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&freq);
    return static_cast<double>(now.QuadPart) / static_cast<double>(freq.QuadPart);
}

double PeakWorkingSetMb() {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return static_cast<double>(pmc.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

std::string MasterName(int i) {
    char name[16];
    std::snprintf(name, sizeof name, "zai%03d-3.mst", i);
    return name;
}

void RemoveFolder(const std::string& folder) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            DeleteFileA((folder + entry.cFileName).c_str());
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

// One 200 MB master file, converted by both rules; run first, while the peak is still low.
bool BigFile(const std::string& root) {
    CreateDirectoryA("B1", nullptr);
    if (!WriteMaster("B1\\zai001-3.mst", kBigFileBytes) ||
        !WriteText(root + "big.ini", "[DIR]\r\nMASTER=B\r\n")) {
        std::printf("cannot write the 200 MB master file\n");
        return false;
    }
    const double before = PeakWorkingSetMb();
    const double start = Seconds();
    const int size = settings::ConvertMaterialSize(root + "big.ini");
    const int type = settings::ConvertMaterialType(root + "big.ini");
    const double took = Seconds() - start;
    std::printf("200 MB master file: size+type %.2f s (results %d %d)\n", took, size, type);
    std::printf("peak working set: %.1f MB before conversion, %.1f MB after (goal < 16 MB)\n",
                before, PeakWorkingSetMb());
    RemoveFolder("B1\\");
    return size == 1 && type == 1;
}

// Written anew before every round, so that each round's passes change every file as the
// first real conversion does (a converted file would pass through unchanged).
bool MakeFolderPair() {
    for (const char* folder : {"M1\\", "M21\\", "C1\\", "C21\\"}) {
        CreateDirectoryA(folder, nullptr);
    }
    for (const char* folder : {"M1\\", "M21\\"}) {
        for (int i = 0; i < kFilesPerFolder; ++i) {
            const long long bytes = kRecordsPerFile * static_cast<long long>(kRecordBytes + 2);
            if (!WriteMaster(folder + MasterName(i), bytes - 1)) {
                return false;
            }
        }
    }
    return true;
}

double CopyFolderPair() {
    const double start = Seconds();
    for (const auto& [from, to] : {std::pair{"M1\\", "C1\\"}, std::pair{"M21\\", "C21\\"}}) {
        for (int i = 0; i < kFilesPerFolder; ++i) {
            CopyFileA((std::string(from) + MasterName(i)).c_str(),
                      (std::string(to) + MasterName(i)).c_str(), FALSE);
        }
    }
    return Seconds() - start;
}

struct Times {
    double copyNew = 1e9, copyOver = 1e9, size = 1e9, type = 1e9, replace = 1e9;
};

// Copies into empty folders, as a first installation would; the old copies go untimed.
double TimedCopyToNew() {
    for (const char* folder : {"C1\\", "C21\\"}) {
        RemoveFolder(folder);
        CreateDirectoryA(folder, nullptr);
    }
    return CopyFolderPair();
}

// The least any safe rewrite costs: a whole new copy put over each master file in one step.
double TimedCopyAndReplace() {
    const double start = Seconds();
    for (const char* folder : {"M1\\", "M21\\"}) {
        const std::string work = std::string(folder) + "temp.mst";
        for (int i = 0; i < kFilesPerFolder; ++i) {
            const std::string master = folder + MasterName(i);
            CopyFileA(master.c_str(), work.c_str(), FALSE);
            MoveFileExA(work.c_str(), master.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        }
    }
    return Seconds() - start;
}

double Timed(bool (*convert)(const std::string&, settings::ConversionReport*, replace::Observer*),
             const std::string& settingsPath, int& result) {
    const double start = Seconds();
    result = convert(settingsPath, nullptr, nullptr) ? 1 : 0;
    return Seconds() - start;
}

void PrintBest(const Times& best, int rounds) {
    const double both = best.size + best.type;
    std::printf("1000 master files (%.1f MB), best of %d rounds:\n",
                2.0 * kFilesPerFolder * kRecordsPerFile * (kRecordBytes + 2) / 1e6, rounds);
    std::printf("  CopyFileA to new files %.3f s, over existing files %.3f s\n", best.copyNew,
                best.copyOver);
    std::printf("  size rule %.3f s + type rule %.3f s = %.3f s\n", best.size, best.type, both);
    std::printf("  (size + type) / copy: %.2f to new files, %.2f over existing (goal <= 2)\n",
                both / best.copyNew, both / best.copyOver);
    std::printf(
        "  CopyFileA to temp.mst + MoveFileExA over the master: %.3f s; one rule pass "
        "/ that: %.2f\n",
        best.replace, both / 2 / best.replace);
}

void FolderPair(const std::string& root, int rounds) {
    const std::string settingsPath = root + "pair.ini";
    if (!WriteText(settingsPath, "[DIR]\r\nMASTER=M\r\n")) {
        std::printf("cannot write the settings file\n");
        return;
    }
    Times best;
    for (int round = 1; round <= rounds; ++round) {
        if (!MakeFolderPair()) {
            std::printf("cannot write the master folders\n");
            return;
        }
        Times t;
        int size = 0;
        int type = 0;
        t.copyNew = TimedCopyToNew();
        t.copyOver = CopyFolderPair();
        t.size = Timed(settings::ConvertMaterialSize, settingsPath, size);
        t.type = Timed(settings::ConvertMaterialType, settingsPath, type);
        t.replace = TimedCopyAndReplace();
        std::printf(
            "round %d: copy new %.3f s, copy over %.3f s, size %.3f s, type %.3f s (results %d "
            "%d), copy+replace %.3f s\n",
            round, t.copyNew, t.copyOver, t.size, t.type, size, type, t.replace);
        best = {std::min(best.copyNew, t.copyNew), std::min(best.copyOver, t.copyOver),
                std::min(best.size, t.size), std::min(best.type, t.type),
                std::min(best.replace, t.replace)};
    }
    PrintBest(best, rounds);
    for (const char* folder : {"M1\\", "M21\\", "C1\\", "C21\\"}) {
        RemoveFolder(folder);
    }
}

}  // namespace

int main(int argc, char** argv) {
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(sizeof temp, temp);
    std::string root = argc > 1 ? std::string(argv[1]) + "\\" : std::string(temp);
    root += "renovo-bench-masters\\";
    CreateDirectoryA(root.c_str(), nullptr);
    // Relative master prefixes keep the search patterns within the product's 63 bytes.
    if (!SetCurrentDirectoryA(root.c_str())) {
        std::printf("cannot use %s\n", root.c_str());
        return 1;
    }
    const bool big = BigFile(root);
    FolderPair(root, 5);
    DeleteFileA((root + "big.ini").c_str());
    DeleteFileA((root + "pair.ini").c_str());
    SetCurrentDirectoryA(temp);
    RemoveDirectoryA(root.c_str());
    return big ? 0 : 1;
}
