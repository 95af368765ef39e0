// The main window's longest wait for an answer during a 300 MB master conversion (both rules,
// as the update run does them), and the conversion's time, with the run on a thread of its own
// (the change; wizard/answering_run.h) and on the window's thread (as before it). In the probed
// runs a thread of this process sends WM_NULL to the window through SendMessageTimeout every
// 10 ms, as Windows and other programs do; the conversion's time comes from runs without it.
// Prints each run and the medians; asserts nothing.
// Usage: renovo_answering_bench [folder ("": the temporary folder)] [runs of each kind]
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/message_seam.h"
#include "settings/masters.h"
#include "tests/support/answer_prober.h"
#include "wizard/answering_run.h"

namespace {

constexpr long long kFileBytes = 100LL << 20;  // three files: 300 MB
constexpr int kRecordBytes = 185;

using testing_support::AnswerProber;
using testing_support::Now;

// The seam of the window: the conversion step tells it which rule runs.
class QuietSeam : public engine::MessageSeam {
public:
    int ShowMessage(const std::string&, const std::string&, engine::Buttons) override {
        return engine::kAnswerOk;
    }
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
};

// Every other record a candidate of the size rule; type letters A, B and C in turn.
bool WriteMaster(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    std::string chunk;
    long long total = 0;
    bool ok = true;
    for (unsigned n = 0; ok && total < kFileBytes; ++n) {
        char line[256];
        std::snprintf(line, sizeof line, "%s %c%0*u\r\n", n % 2 ? "400400000107" : "500500000200",
                      'A' + n % 3, kRecordBytes - 14 - (n % 2), n);
        chunk += line;
        if (chunk.size() >= (1 << 20)) {
            DWORD written = 0;
            ok = WriteFile(h, chunk.data(), static_cast<DWORD>(chunk.size()), &written, nullptr);
            total += static_cast<long long>(chunk.size());
            chunk.clear();
        }
    }
    return CloseHandle(h) && ok;
}

// The update run's conversion step: the size rule, then the type rule, each told to the seam.
bool ConvertBoth(engine::MessageSeam& seam, const std::string& settings) {
    engine::WaitCursor wait(seam);
    seam.ShowConversion("size");
    const bool size = settings::ConvertMaterialSize(settings);
    seam.ShowConversion("type");
    return settings::ConvertMaterialType(settings) && size;
}

struct Result {
    double seconds = 0;
    double longest = 0;
    bool converted = false;
};

// `probed`: a thread sends WM_NULL to the window every 10 ms and the longest wait for an answer
// is kept. The conversion's time is taken from runs without it: under Wine each probe is a
// round trip through the server, which the conversion would pay for on two cores.
Result Measure(HWND window, const std::string& settings, bool ownThread, bool probed) {
    QuietSeam inner;
    wizard::CAnsweringRun run;
    wizard::CWindowThreadSeam seam(run, inner);
    std::unique_ptr<AnswerProber> prober;
    if (probed) {
        prober = std::make_unique<AnswerProber>(window);
        Sleep(50);
    }
    Result r;
    const double start = Now();
    if (ownThread) {
        run.Run([&] { r.converted = ConvertBoth(seam, settings); });
    } else {
        r.converted = ConvertBoth(inner, settings);
    }
    r.seconds = Now() - start;
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // answers the probe that waited
    r.longest = prober ? prober->Stop() : 0;
    return r;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(sizeof temp, temp);
    const std::string folder = argc > 1 ? argv[1] : "";
    const std::string root =
        (folder.empty() ? std::string(temp) : folder + "\\") + "renovo-bench-answering\\";
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    CreateDirectoryA(root.c_str(), nullptr);
    if (!SetCurrentDirectoryA(root.c_str())) {
        std::printf("cannot use %s\n", root.c_str());
        return 1;
    }
    // Relative master folders keep the search patterns within the product's 63 bytes.
    CreateDirectoryA("M1", nullptr);
    CreateDirectoryA("M21", nullptr);
    const std::string settings = root + "bench.ini";
    HANDLE ini =
        CreateFileA(settings.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(ini, "[DIR]\r\nMASTER=M\r\n", 17, &written, nullptr);
    CloseHandle(ini);
    for (const char* file : {"M1\\zai001-3.mst", "M1\\zai002-3.mst", "M21\\zai101-3.mst"}) {
        if (!WriteMaster(file)) {
            std::printf("cannot write %s\n", file);
            return 1;
        }
    }
    std::printf(
        "master files: 3 x %lld MB; both rules each run; %d runs of each kind, "
        "alternating\n",
        kFileBytes >> 20, runs);

    HWND window = CreateWindowExA(0, "STATIC", "frame", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    std::vector<double> timeAfter, timeBefore, longestAfter, longestBefore;
    for (int i = 0; i < runs; ++i) {
        for (bool probed : {false, true}) {
            for (bool ownThread : {i % 2 == 0, i % 2 != 0}) {
                const Result r = Measure(window, settings, ownThread, probed);
                std::printf("run %d %-24s conversion %.2f s%s", i + 1,
                            ownThread ? "on a thread of its own:" : "on the window's thread:",
                            r.seconds, r.converted ? "" : " (FAILED)");
                if (probed) {
                    std::printf(", probed: longest wait for an answer %.3f s", r.longest);
                    (ownThread ? longestAfter : longestBefore).push_back(r.longest);
                } else {
                    (ownThread ? timeAfter : timeBefore).push_back(r.seconds);
                }
                std::printf("\n");
                std::fflush(stdout);
            }
        }
    }
    DestroyWindow(window);
    const double after = Median(timeAfter), before = Median(timeBefore);
    std::printf(
        "the run on a thread of its own (the change): conversion %.2f s (median), "
        "longest wait %.3f s (median; worst %.3f s; goal <= 0.5 s)\n",
        after, Median(longestAfter), *std::max_element(longestAfter.begin(), longestAfter.end()));
    std::printf(
        "the run on the window's thread (before):     conversion %.2f s (median), "
        "longest wait %.3f s (median)\n",
        before, Median(longestBefore));
    std::printf("conversion time with the change / without: %.3f (expected <= 1.1)\n",
                after / before);
    for (const char* file : {"M1\\zai001-3.mst", "M1\\zai002-3.mst", "M21\\zai101-3.mst"}) {
        DeleteFileA(file);
    }
    RemoveDirectoryA("M1");
    RemoveDirectoryA("M21");
    DeleteFileA(settings.c_str());
    SetCurrentDirectoryA(temp);
    RemoveDirectoryA(root.c_str());
    return 0;
}
