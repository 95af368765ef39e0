// Renovo's own LZH archiver, driven by one-line commands such as
//   e -mcwC:\WINDOWS "A:SYS01" "C:\PRODUCT\SYSTEM\"
// 0 = the command succeeded; any other value = it failed and `output` holds the text to show.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace archiver {

// Called once by each caller before its commands.
void PrepareArchiver();

// Runs `command` synchronously. Writes a zero-terminated text into `output`, never more than
// `size` bytes, terminator included (nothing when size is 0). `owner` is the window that
// owns any message of the archiver's own (may be null).
int RunArchiverCommand(void* owner, const char* command, char* output, size_t size);

// Told while an extraction writes, so that a caller on the user-interface thread can show
// how far it is: the member being written and the bytes of all the archive's members
// written so far, of their total. Called at each member's start and a few times within.
class Progress {
public:
    virtual void Advance(const std::string& member, uint64_t done, uint64_t total) = 0;

protected:
    ~Progress() = default;
};

// Installs `progress` for the commands run while it lives (the command is one line of text,
// so it cannot carry it), and puts the one before it back afterwards.
class ScopedProgress {
public:
    explicit ScopedProgress(Progress& progress);
    ~ScopedProgress();
    ScopedProgress(const ScopedProgress&) = delete;
    ScopedProgress& operator=(const ScopedProgress&) = delete;

private:
    Progress* previous_;
};

}  // namespace archiver
