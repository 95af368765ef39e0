// GoogleTest's port hook, used in the cross builds. The win32 thread model's libstdc++ has no
// std::mutex; GoogleTest keeps its own Windows mutexes and handles, and only its thread start
// gate, written with std::mutex, needs another form.
#pragma once

#include <atomic>

extern "C" __declspec(dllimport) void __stdcall Sleep(unsigned long milliseconds);

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
public:
    Notification() = default;
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { notified_.store(true, std::memory_order_release); }
    void WaitForNotification() {
        while (!notified_.load(std::memory_order_acquire)) {
            Sleep(1);
        }
    }

private:
    std::atomic<bool> notified_{false};
};

}  // namespace testing::internal
