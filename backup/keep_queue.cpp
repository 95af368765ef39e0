#include "backup/keep_queue.h"

#include "framework/files.h"
#include "framework/wide.h"

namespace backup {

namespace {

// Copied under a work name and renamed once it has reached the disk, so that a kept file under
// its own name is always whole. A read-only copy could not be flushed (Windows opens it for
// reading only); the journal's own line puts the bit back on the restored file.
bool CopyDurably(const std::string& from, const std::string& to) {
    const std::string part = to + ".part";
    if (!CopyFileW(framework::Wide(from).c_str(), framework::Wide(part).c_str(), FALSE)) {
        return false;
    }
    const DWORD attributes = framework::AttributesOf(part);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        const DWORD cleared = attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
        framework::SetAttributesOf(part, cleared != 0 ? cleared : FILE_ATTRIBUTE_NORMAL);
    }
    framework::File copy(
        framework::OpenPath(part, GENERIC_WRITE, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
    bool kept = copy && FlushFileBuffers(copy.Get());
    copy.Reset();
    kept = kept && framework::MovePath(part, to, MOVEFILE_WRITE_THROUGH);
    if (!kept) {
        const DWORD error = GetLastError();
        framework::DeletePath(part);
        SetLastError(error);
    }
    return kept;
}

}  // namespace

bool KeepOldFile(const std::string& from, const std::string& to, bool linkAllowed) {
    return (linkAllowed &&
            CreateHardLinkW(framework::Wide(to).c_str(), framework::Wide(from).c_str(), nullptr)) ||
           CopyDurably(from, to);
}

KeepQueue::~KeepQueue() {
    Join();
}

size_t KeepQueue::Add(std::string from, std::string to, bool linkAllowed) {
    Join();  // the thread reads the queue
    jobs_.push_back(Job{std::move(from), std::move(to), linkAllowed});
    return jobs_.size() - 1;
}

void KeepQueue::Start() {
    if (started_ == jobs_.size()) {
        return;
    }
    Join();
    started_ = end_ = jobs_.size();
    if (!progress_) {
        progress_.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    }
    if (progress_) {
        thread_.Reset(CreateThread(nullptr, 0, &KeepQueue::Work, this, 0, nullptr));
    }
    if (!thread_) {
        KeepThrough(end_);
    }
}

bool KeepQueue::Wait(size_t index) {
    if (index >= started_) {
        Start();
    }
    while (done_.load() <= index) {
        WaitForSingleObject(progress_.Get(), INFINITE);
    }
    const Job& job = jobs_[index];
    if (!job.kept) {
        SetLastError(job.error);
    }
    return job.kept;
}

DWORD WINAPI KeepQueue::Work(void* self) {
    auto* queue = static_cast<KeepQueue*>(self);
    queue->KeepThrough(queue->end_);
    return 0;
}

// The results are written before the count that publishes them.
void KeepQueue::KeepThrough(size_t end) {
    for (size_t i = done_.load(); i < end; ++i) {
        Job& job = jobs_[i];
        job.kept = KeepOldFile(job.from, job.to, job.linkAllowed);
        job.error = job.kept ? 0 : GetLastError();
        done_.store(i + 1);
        if (progress_) {
            SetEvent(progress_.Get());
        }
    }
}

void KeepQueue::Join() {
    if (thread_) {
        WaitForSingleObject(thread_.Get(), INFINITE);
        thread_.Reset();
    }
}

}  // namespace backup
