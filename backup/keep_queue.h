// Keeping the old files of a backup set: a second name on the same volume, else a copy that
// has reached the disk. Under Wine a second name costs round trips to its server, some 0.3 ms
// each, so the files a disk will replace are kept on a thread of their own while
// the run decodes, each before the run replaces it.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <deque>
#include <string>

#include "framework/handles.h"

namespace backup {

// `to` appears only once it holds the whole of `from`. false: GetLastError says why.
bool KeepOldFile(const std::string& from, const std::string& to, bool linkAllowed);

class KeepQueue {
public:
    KeepQueue() = default;
    KeepQueue(const KeepQueue&) = delete;
    KeepQueue& operator=(const KeepQueue&) = delete;
    ~KeepQueue();  // waits for the thread

    // Queues one file to keep; the index to wait for. Kept from the next Start on.
    size_t Add(std::string from, std::string to, bool linkAllowed);
    // Keeps what was added since the last Start, on the thread (in this one if it cannot run).
    void Start();
    // Waits until the file of `index` is kept; false: it could not be, GetLastError says why.
    bool Wait(size_t index);

private:
    struct Job {
        std::string from, to;
        bool linkAllowed = false;
        bool kept = false;
        DWORD error = 0;
    };
    static DWORD WINAPI Work(void* self);
    void KeepThrough(size_t end);
    void Join();

    std::deque<Job> jobs_;           // added only while no thread runs
    size_t started_ = 0;             // jobs_[0, started_) are handed to a thread or done
    std::atomic<size_t> done_{0};    // jobs_[0, done_) are done, their results written
    size_t end_ = 0;                 // the running thread's last job, one past
    framework::KernelObject thread_;
    framework::KernelObject progress_;  // set after each job
};

}  // namespace backup
