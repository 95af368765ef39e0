#include "wizard/answering_run.h"

#include <deque>
#include <exception>

#include "framework/handles.h"

namespace wizard {

namespace {

// Even with nothing to answer, the window's thread looks at its queue this often: Windows
// counts a thread that has not looked for 5 s as hung.
constexpr DWORD kLookInterval = 100;  // ms
constexpr int kFileKind = 1;          // ShowFile's pictures: only the newest counts

struct Job {
    const std::function<void()>& work;
    std::exception_ptr error{};
};

}  // namespace

struct CAnsweringRun::Queue {
    struct Call {
        std::function<void()> call;
        int kind;
    };
    framework::CriticalSection lock;  // over `calls`
    std::deque<Call> calls;
    std::exception_ptr error{};  // of a posted call; window's thread only
    const framework::KernelObject posted{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
};

CAnsweringRun::CAnsweringRun()
    : windowThread_(::GetCurrentThreadId()), queue_(std::make_unique<Queue>()) {}

CAnsweringRun::~CAnsweringRun() = default;

DWORD WINAPI CAnsweringRun::Work(void* handed) {
    auto* job = static_cast<Job*>(handed);
    try {
        job->work();
    } catch (...) {
        job->error = std::current_exception();
    }
    return 0;
}

bool CAnsweringRun::OnThisThread() const {
    return workThread_ == 0 || ::GetCurrentThreadId() == windowThread_;
}

void CAnsweringRun::Run(const std::function<void()>& work) {
    Job job{work};
    const framework::KernelObject thread(
        queue_->posted ? ::CreateThread(nullptr, 0, &CAnsweringRun::Work, &job, CREATE_SUSPENDED,
                                        &workThread_)
                       : nullptr);
    if (!thread) {
        workThread_ = 0;
        work();
        return;
    }
    ::ResumeThread(thread.Get());
    AnswerUntil(thread.Get());
    CarryOut();  // what the run posted last
    workThread_ = 0;
    const std::exception_ptr error = job.error ? job.error : queue_->error;
    queue_->error = nullptr;
    if (error) {
        std::rethrow_exception(error);
    }
}

// Sent messages are answered inside PeekMessage; a paint is taken off the queue and painted.
// Nothing else is taken: what was posted or typed waits, as it did while the run held the
// thread.
void CAnsweringRun::AnswerUntil(HANDLE ended) {
    const HANDLE objects[] = {ended, queue_->posted.Get()};
    for (;;) {
        const DWORD woke = ::MsgWaitForMultipleObjects(2, objects, FALSE, kLookInterval,
                                                       QS_SENDMESSAGE | QS_PAINT);
        if (woke == WAIT_OBJECT_0) {
            return;
        }
        if (woke == WAIT_OBJECT_0 + 1) {
            CarryOut();
            continue;
        }
        if (woke == WAIT_FAILED) {
            ::Sleep(kLookInterval);  // the run's posts are still carried out, less often
            CarryOut();
            continue;
        }
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        if (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT)) {
            ::DispatchMessageW(&msg);
        }
    }
}

// One call at a time, the lock not held while it runs: a message box may take minutes. A call
// that throws is kept to be thrown once the run has ended.
void CAnsweringRun::CarryOut() {
    for (;;) {
        std::function<void()> call;
        {
            framework::CriticalSection::Lock held(queue_->lock);
            if (queue_->calls.empty()) {
                return;
            }
            call = std::move(queue_->calls.front().call);
            queue_->calls.pop_front();
        }
        try {
            call();
        } catch (...) {
            if (!queue_->error) {
                queue_->error = std::current_exception();
            }
        }
    }
}

void CAnsweringRun::Post(std::function<void()> call, int kind) {
    if (OnThisThread()) {
        call();
        return;
    }
    bool first = false;
    {
        framework::CriticalSection::Lock held(queue_->lock);
        std::deque<Queue::Call>& calls = queue_->calls;
        first = calls.empty();
        if (kind != 0 && !first && calls.back().kind == kind) {
            calls.back().call = std::move(call);
        } else {
            calls.push_back({std::move(call), kind});
        }
    }
    // The window's thread takes up the calls until none is left: only the first wakes it (an
    // event costs the run a trip to the system, under Wine to its server).
    if (first) {
        ::SetEvent(queue_->posted.Get());
    }
}

void CAnsweringRun::OnWindowThread(const std::function<void()>& call) {
    if (OnThisThread()) {
        call();
        return;
    }
    const framework::KernelObject answered(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::exception_ptr error;
    Post([&] {
        try {
            call();
        } catch (...) {
            error = std::current_exception();
        }
        ::SetEvent(answered.Get());
    });
    ::WaitForSingleObject(answered.Get(), INFINITE);
    if (error) {
        std::rethrow_exception(error);
    }
}

int CWindowThreadSeam::ShowMessage(const std::string& text, const std::string& caption,
                                   engine::Buttons buttons) {
    int answer = 0;
    run_.OnWindowThread([&] { answer = inner_.ShowMessage(text, caption, buttons); });
    return answer;
}

void CWindowThreadSeam::BeginWaitCursor() {
    run_.Post([this] { inner_.BeginWaitCursor(); });
}

void CWindowThreadSeam::EndWaitCursor() {
    run_.Post([this] { inner_.EndWaitCursor(); });
}

void CWindowThreadSeam::ShowEntry(int number, int count, int disk, const std::string& name) {
    run_.Post([this, number, count, disk, name] { inner_.ShowEntry(number, count, disk, name); });
}

void CWindowThreadSeam::ShowFile(const std::string& name, uint64_t done, uint64_t total) {
    run_.Post([this, name, done, total] { inner_.ShowFile(name, done, total); }, kFileKind);
}

void CWindowThreadSeam::ShowConversion(const std::string& file) {
    run_.Post([this, file] { inner_.ShowConversion(file); });
}

void CWindowThreadSeam::EndProgress() {
    run_.Post([this] { inner_.EndProgress(); });
}

}  // namespace wizard
