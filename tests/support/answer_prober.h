// How long a window keeps Windows waiting: a thread of its own sends it WM_NULL over and over,
// as Windows and other programs do, and keeps the longest wait for an answer. Shared by the
// tests and the benchmark that measure it.
#pragma once

#include <windows.h>

#include <algorithm>
#include <atomic>

#include "framework/handles.h"

namespace testing_support {

// Seconds on the performance counter.
inline double Now() {
    LARGE_INTEGER now, freq;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&freq);
    return static_cast<double>(now.QuadPart) / static_cast<double>(freq.QuadPart);
}

class AnswerProber {
public:
    explicit AnswerProber(HWND window) : window_(window) {
        thread_.Reset(::CreateThread(nullptr, 0, &AnswerProber::Probe, this, 0, nullptr));
    }
    ~AnswerProber() { Stop(); }
    AnswerProber(const AnswerProber&) = delete;
    AnswerProber& operator=(const AnswerProber&) = delete;

    // Seconds of the longest wait. The probe that may be waiting is answered meanwhile.
    double Stop() {
        stop_ = true;
        if (thread_) {
            const HANDLE thread = thread_.Get();
            while (::MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) ==
                   WAIT_OBJECT_0 + 1) {
                MSG msg;
                ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            }
            thread_.Reset();
        }
        return longest_;
    }
    int answered() const { return answered_; }

private:
    static DWORD WINAPI Probe(void* self) {
        auto* p = static_cast<AnswerProber*>(self);
        while (!p->stop_) {
            const double sent = Now();
            DWORD_PTR result = 0;
            if (::SendMessageTimeoutW(p->window_, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result)) {
                ++p->answered_;
            }
            p->longest_ = std::max(p->longest_, Now() - sent);
            ::Sleep(5);
        }
        return 0;
    }

    HWND window_;
    std::atomic<bool> stop_{false};
    double longest_ = 0;
    std::atomic<int> answered_{0};
    framework::KernelObject thread_;
};

}  // namespace testing_support
