#include "wizard/answering_run.h"

#include <exception>

#include "framework/handles.h"
#include "framework/window.h"

namespace wizard {

namespace {

constexpr char kRelayClass[] = "RenovoRelay";
// Sent by the run's thread: make the call in lParam.
constexpr UINT kCall = WM_APP + 1;
// Even with nothing to answer, the window's thread looks at its queue this often: Windows
// counts a thread that has not looked for 5 s as hung.
constexpr DWORD kLookInterval = 100;  // ms

struct Call {
    const std::function<void()>& call;
    std::exception_ptr error{};
};

struct Job {
    const std::function<void()>& work;
    std::exception_ptr error{};
};

// Sent messages are answered inside PeekMessage; a paint is taken off the queue and painted.
// Nothing else is taken: what was posted or typed waits, as it did while the run held the
// thread.
void AnswerUntil(HANDLE done) {
    for (;;) {
        const DWORD woke =
            ::MsgWaitForMultipleObjects(1, &done, FALSE, kLookInterval, QS_SENDMESSAGE | QS_PAINT);
        if (woke == WAIT_OBJECT_0) {
            return;
        }
        if (woke == WAIT_FAILED) {
            ::WaitForSingleObject(done, INFINITE);
            return;
        }
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        if (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT)) {
            ::DispatchMessageA(&msg);
        }
    }
}

}  // namespace

class CAnsweringRun::Relay : public framework::Window {
protected:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg != kCall) {
            return Window::OnMessage(msg, wp, lp);
        }
        auto* call = reinterpret_cast<Call*>(lp);
        try {
            call->call();
        } catch (...) {
            call->error = std::current_exception();
        }
        return 0;
    }
};

CAnsweringRun::CAnsweringRun()
    : windowThread_(::GetCurrentThreadId()), relay_(std::make_unique<Relay>()) {
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    if (!framework::Window::RegisterClass(instance, kRelayClass, nullptr, nullptr) ||
        !relay_->Create(instance, kRelayClass, "", 0, HWND_MESSAGE, nullptr)) {
        relay_.reset();  // the run then keeps this thread, as it always did
    }
}

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

void CAnsweringRun::Run(const std::function<void()>& work) {
    Job job{work};
    const framework::KernelObject thread(
        relay_ ? ::CreateThread(nullptr, 0, &CAnsweringRun::Work, &job, 0, nullptr) : nullptr);
    if (!thread) {
        work();
        return;
    }
    AnswerUntil(thread.Get());
    if (job.error) {
        std::rethrow_exception(job.error);
    }
}

void CAnsweringRun::OnWindowThread(const std::function<void()>& call) {
    if (::GetCurrentThreadId() == windowThread_ || !relay_) {
        call();
        return;
    }
    Call handed{call};
    ::SendMessageA(relay_->Handle(), kCall, 0, reinterpret_cast<LPARAM>(&handed));
    if (handed.error) {
        std::rethrow_exception(handed.error);
    }
}

int CWindowThreadSeam::ShowMessage(const std::string& text, const std::string& caption,
                                   engine::Buttons buttons) {
    int answer = 0;
    run_.OnWindowThread([&] { answer = inner_.ShowMessage(text, caption, buttons); });
    return answer;
}

void CWindowThreadSeam::BeginWaitCursor() {
    run_.OnWindowThread([&] { inner_.BeginWaitCursor(); });
}

void CWindowThreadSeam::EndWaitCursor() {
    run_.OnWindowThread([&] { inner_.EndWaitCursor(); });
}

void CWindowThreadSeam::ShowEntry(int number, int count, int disk, const std::string& name) {
    run_.OnWindowThread([&] { inner_.ShowEntry(number, count, disk, name); });
}

void CWindowThreadSeam::ShowFile(const std::string& name, uint64_t done, uint64_t total) {
    run_.OnWindowThread([&] { inner_.ShowFile(name, done, total); });
}

void CWindowThreadSeam::ShowConversion(const std::string& file) {
    run_.OnWindowThread([&] { inner_.ShowConversion(file); });
}

void CWindowThreadSeam::EndProgress() {
    run_.OnWindowThread([&] { inner_.EndProgress(); });
}

}  // namespace wizard
