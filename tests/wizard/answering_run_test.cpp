// The run on a thread of its own: the window's thread answers a sent message within a few
// milliseconds however long the work takes, every call of the run on the seam is made on the
// window's thread in the run's order, only questions are waited for, what was posted to the
// window's thread by others stays queued, and exceptions come back.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/handles.h"
#include "tests/support/answer_prober.h"
#include "wizard/answering_run.h"

namespace {

using wizard::CAnsweringRun;

using testing_support::AnswerProber;
using testing_support::Now;

// Work that keeps its thread busy for `seconds`, as a long conversion does.
void BusyFor(double seconds) {
    const double until = Now() + seconds;
    volatile unsigned spin = 0;
    while (Now() < until) {
        for (int i = 0; i < 10000; ++i) {
            spin = spin + 1;
        }
    }
}

class AnsweringRun : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = ::CreateWindowExA(0, "STATIC", "frame", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100,
                                    nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override { ::DestroyWindow(window_); }
    HWND window_ = nullptr;
};

// The probe itself: the same work on the window's thread leaves the window silent throughout.
TEST_F(AnsweringRun, TheProbeSeesAWindowWhoseThreadIsBusy) {
    AnswerProber prober(window_);
    ::Sleep(50);
    BusyFor(1.0);
    MSG msg;
    ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // answers the probe that waited
    EXPECT_GT(prober.Stop(), 0.8);
}

TEST_F(AnsweringRun, TheWindowAnswersWhileTheWorkRuns) {
    CAnsweringRun run;
    AnswerProber prober(window_);
    DWORD workThread = 0;
    run.Run([&] {
        workThread = ::GetCurrentThreadId();
        BusyFor(1.5);
    });
    const double longest = prober.Stop();
    EXPECT_NE(workThread, ::GetCurrentThreadId());
    EXPECT_LT(longest, 0.1) << "the window went " << longest << " s without answering";
}

// Every call of the run on the seam, in the run's order, on the window's thread.
class RecordingSeam : public engine::MessageSeam {
public:
    int ShowMessage(const std::string& text, const std::string&, engine::Buttons) override {
        Note("message " + text);
        return engine::kAnswerCancel;
    }
    void BeginWaitCursor() override { Note("wait"); }
    void EndWaitCursor() override { Note("end wait"); }
    void ShowEntry(int number, int count, int disk, const std::string& name) override {
        Note("entry " + std::to_string(number) + "/" + std::to_string(count) + " disk " +
             std::to_string(disk) + " " + name);
    }
    void ShowFile(const std::string& name, uint64_t done, uint64_t total) override {
        Note("file " + name + " " + std::to_string(done) + "/" + std::to_string(total));
    }
    void ShowConversion(const std::string& file) override { Note("conversion " + file); }
    void EndProgress() override { Note("end"); }

    std::vector<std::string> calls;
    std::vector<DWORD> threads;

private:
    void Note(const std::string& call) {
        calls.push_back(call);
        threads.push_back(::GetCurrentThreadId());
    }
};

TEST_F(AnsweringRun, EverySeamCallIsMadeOnTheWindowThreadInOrder) {
    CAnsweringRun run;
    RecordingSeam inner;
    wizard::CWindowThreadSeam seam(run, inner);
    int answer = 0;
    run.Run([&] {
        seam.BeginWaitCursor();
        seam.ShowEntry(1, 2, 1, "SYS01");
        seam.ShowFile("A.DAT", 5, 10);
        answer = seam.ShowMessage("2 枚目", "確認", engine::Buttons::kOkCancel);
        seam.ShowConversion("zai001-3.mst");
        seam.EndProgress();
        seam.EndWaitCursor();
    });
    EXPECT_EQ(inner.calls, (std::vector<std::string>{
                               "wait", "entry 1/2 disk 1 SYS01", "file A.DAT 5/10",
                               "message 2 枚目", "conversion zai001-3.mst", "end", "end wait"}));
    EXPECT_EQ(inner.threads, std::vector<DWORD>(inner.calls.size(), ::GetCurrentThreadId()));
    EXPECT_EQ(answer, engine::kAnswerCancel);
}

// The window's thread slow at showing progress: the run does not wait for it, a question comes
// after what was shown before it, and of a burst of pictures of the same file only the newest
// need be shown.
class SlowPictures : public RecordingSeam {
public:
    void ShowEntry(int number, int count, int disk, const std::string& name) override {
        ::Sleep(300);
        RecordingSeam::ShowEntry(number, count, disk, name);
    }
};

TEST_F(AnsweringRun, ProgressIsPostedOnlyQuestionsWait) {
    CAnsweringRun run;
    SlowPictures inner;
    wizard::CWindowThreadSeam seam(run, inner);
    double posting = 0;
    run.Run([&] {
        const double start = Now();
        seam.ShowEntry(1, 1, 1, "SYS01");
        for (int i = 1; i <= 1000; ++i) {
            seam.ShowFile("A.DAT", i, 1000);
        }
        posting = Now() - start;
        seam.ShowMessage("done", "確認", engine::Buttons::kOk);
    });
    EXPECT_LT(posting, 0.2);
    ASSERT_GE(inner.calls.size(), 3u);
    EXPECT_LT(inner.calls.size(), 100u);
    EXPECT_EQ(inner.calls.front(), "entry 1/1 disk 1 SYS01");
    EXPECT_EQ(inner.calls[inner.calls.size() - 2], "file A.DAT 1000/1000");
    EXPECT_EQ(inner.calls.back(), "message done");
}

// Posted messages and input wait, as they did while the run held the thread: nothing
// re-enters the run. A window that needs painting is painted meanwhile.
TEST_F(AnsweringRun, PostedMessagesWaitAndPaintsArePainted) {
    CAnsweringRun run;
    ::PostMessageA(window_, WM_APP + 7, 0, 0);
    ::ValidateRect(window_, nullptr);
    bool painted = false;
    run.Run([&] {
        ::InvalidateRect(window_, nullptr, TRUE);
        for (int i = 0; i < 200 && !painted; ++i) {
            painted = ::GetUpdateRect(window_, nullptr, FALSE) == 0;
            ::Sleep(10);
        }
    });
    EXPECT_TRUE(painted);
    MSG msg;
    EXPECT_TRUE(::PeekMessageA(&msg, window_, WM_APP + 7, WM_APP + 7, PM_REMOVE));
}

TEST_F(AnsweringRun, ExceptionsComeBackToTheirCaller) {
    CAnsweringRun run;
    EXPECT_THROW(run.Run([] { throw std::runtime_error("work"); }), std::runtime_error);
    bool caught = false;
    run.Run([&] {
        try {
            run.OnWindowThread([] { throw std::bad_alloc(); });
        } catch (const std::bad_alloc&) {
            caught = true;
        }
    });
    EXPECT_TRUE(caught);
}

}  // namespace
