// One run per product: an update and a restore of the same product exclude each other, across
// processes and sessions. The lock is a named mutex derived from the product folder, plus a
// lock file in the product's backup folder opened without sharing (which also parts two runs
// in one process, and runs that name the folder by another drive or share).
#pragma once

#include <string>

#include "framework/handles.h"

namespace trust {

enum class Lock {
    kTaken,   // this run holds it until the RunLock goes
    kBusy,    // another run holds it: change nothing, say so (exit kExitAnotherRun unattended)
};

class RunLock {
public:
    RunLock() = default;
    // `productFolder` as the run names it (a trailing separator or not).
    Lock Take(const std::string& productFolder);
    void Release();
    bool held() const { return taken_; }
    ~RunLock() { Release(); }
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

private:
    framework::KernelObject mutex_;
    framework::File file_;
    bool owned_ = false;
    bool taken_ = false;
};

// The mutex's name for a product folder: the folder's full, long, upper-cased form, hashed
// (a kernel object's name may hold no backslash). Pure apart from the folder's long form.
std::string LockNameFor(const std::string& productFolder);

}  // namespace trust
