// The update run on a worker thread of its own, in every mode, so that the window's thread goes
// on answering Windows. Run on the window's thread, a master conversion of 300 MB left the main
// frame without an answer to a sent message for over 2 s; at 5 s Windows calls the window hung,
// writes "(応答なし)" in its caption and offers to end the program half-way. A floppy read or a
// copy of a large file blocks as long, and no loop of the run can answer inside those.
//
// The window's thread owns every window, the progress window included. What the run tells
// (progress, the wait cursor) is posted to it in order and never waited for; only a question
// (a message box) waits for its answer, after everything posted before it has been carried
// out. Meanwhile the window's thread takes up only the run's posts, what is sent to its windows
// (Windows' own questions) and their painting: posted messages and input stay queued, as they
// did while the run held the thread, so nothing re-enters the run.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "engine/message_seam.h"

namespace wizard {

class CAnsweringRun {
public:
    // On the window's thread.
    CAnsweringRun();
    ~CAnsweringRun();
    CAnsweringRun(const CAnsweringRun&) = delete;
    CAnsweringRun& operator=(const CAnsweringRun&) = delete;

    // Runs `work` on a thread of its own and returns once it has ended and all it posted has
    // been carried out; an exception of `work` is thrown here. Where no thread can be had,
    // `work` runs here.
    void Run(const std::function<void()>& work);
    // From `work`: `call` is carried out on the window's thread after everything posted before
    // it; returns at once. A call of the same nonzero `kind` still waiting is replaced, so that
    // a fast run queues no backlog of pictures.
    void Post(std::function<void()> call, int kind = 0);
    // From `work`: runs `call` on the window's thread after everything posted before it, and
    // returns once it has; an exception of `call` is thrown here.
    void OnWindowThread(const std::function<void()>& call);

private:
    struct Queue;  // what the run posted, not yet carried out
    static DWORD WINAPI Work(void* job);
    bool OnThisThread() const;
    void CarryOut();
    void AnswerUntil(HANDLE ended);

    const DWORD windowThread_;
    DWORD workThread_ = 0;
    std::unique_ptr<Queue> queue_;
};

// Every call of the run on `inner` is made on the window's thread of `run`: questions wait for
// their answer, everything else is posted.
class CWindowThreadSeam : public engine::MessageSeam {
public:
    CWindowThreadSeam(CAnsweringRun& run, engine::MessageSeam& inner) : run_(run), inner_(inner) {}
    int ShowMessage(const std::string& text, const std::string& caption,
                    engine::Buttons buttons) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    void ShowEntry(int number, int count, int disk, const std::string& name) override;
    void ShowFile(const std::string& name, uint64_t done, uint64_t total) override;
    void ShowConversion(const std::string& file) override;
    void EndProgress() override;

private:
    CAnsweringRun& run_;
    engine::MessageSeam& inner_;
};

}  // namespace wizard
