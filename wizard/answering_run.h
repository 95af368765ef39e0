// The update run on a thread of its own, so that the window's thread goes on answering Windows.
// Run on the window's thread, a master conversion of 300 MB left the main frame without an
// answer to a sent message for over 2 s; at 5 s Windows calls the window hung, writes
// "(応答なし)" in its caption and offers to end the program half-way. A floppy read or a copy
// of a large file blocks as long, and no loop of the run can answer inside those.
//
// The run's thread hands every call it makes on the seam to the window's thread and waits for
// it, so each message box, the wait cursor and the progress shown happen where and in the order
// they did before, modal and owned as before. The window's thread meanwhile takes up only what
// is sent to its windows (Windows' own questions, the run's calls) and their painting: posted
// messages and input stay queued, as they did while the run held the thread, so nothing
// re-enters the run; the progress window keeps the frame disabled throughout.
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

    // Runs `work` on a thread of its own and returns once it has ended, answering meanwhile;
    // an exception of `work` is thrown here. Where no thread can be had, `work` runs here.
    void Run(const std::function<void()>& work);
    // From `work`: runs `call` on the window's thread and returns once it has; an exception of
    // `call` is thrown here.
    void OnWindowThread(const std::function<void()>& call);

private:
    class Relay;  // a message-only window of the window's thread that makes the calls
    static DWORD WINAPI Work(void* job);

    const DWORD windowThread_;
    std::unique_ptr<Relay> relay_;
};

// Every call of the run on `inner` is made on the window's thread of `run`.
class CWindowThreadSeam : public engine::MessageSeam {
public:
    CWindowThreadSeam(CAnsweringRun& run, engine::MessageSeam& inner) : run_(run), inner_(inner) {}
    int ShowMessage(const std::string& text, const std::string& caption,
                    engine::Buttons buttons) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    void* OwnerWindow() const override { return inner_.OwnerWindow(); }  // a handle: read anywhere
    void ShowEntry(int number, int count, int disk, const std::string& name) override;
    void ShowFile(const std::string& name, uint64_t done, uint64_t total) override;
    void ShowConversion(const std::string& file) override;
    void EndProgress() override;

private:
    CAnsweringRun& run_;
    engine::MessageSeam& inner_;
};

}  // namespace wizard
