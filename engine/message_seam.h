// The one seam through which the update run and the voice data installation talk to the
// user: a modal message with text, caption and buttons, and the wait cursor. The view
// implements it with MessageBoxA on its own window; tests script the answers and record
// every message.
#pragma once

#include <cstdint>
#include <string>

namespace engine {

enum class Buttons { kOk = 0, kOkCancel = 1, kRetryCancel = 5 };  // MB_OK, ..., MB_RETRYCANCEL

constexpr int kAnswerOk = 1;      // IDOK
constexpr int kAnswerCancel = 2;  // IDCANCEL
constexpr int kAnswerRetry = 4;   // IDRETRY

class MessageSeam {
public:
    virtual ~MessageSeam() = default;
    // Shows one modal message (no icon) and returns the button pressed (kAnswerOk, ...).
    virtual int ShowMessage(const std::string& text, const std::string& caption,
                            Buttons buttons) = 0;
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;

    // How far the run is, for a seam that shows it; the defaults show nothing. An entry
    // (number from 1 of count, on disk), the file being written with the bytes of the entry
    // done so far, the master file being converted, and the end (before the last message).
    virtual void ShowEntry(int /*number*/, int /*count*/, int /*disk*/,
                           const std::string& /*name*/) {}
    virtual void ShowFile(const std::string& /*name*/, uint64_t /*done*/, uint64_t /*total*/) {}
    virtual void ShowConversion(const std::string& /*file*/) {}
    virtual void EndProgress() {}
};

// Shows the wait cursor for the lifetime of the object.
class WaitCursor {
public:
    explicit WaitCursor(MessageSeam& seam) : seam_(seam) { seam_.BeginWaitCursor(); }
    ~WaitCursor() { seam_.EndWaitCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    MessageSeam& seam_;
};

}  // namespace engine
