// renovo-lzh.exe: runs the rest of its command line as one archiver command, prints the
// archiver's text whole and exits with its result.
#include <windows.h>

#include <algorithm>
#include <string>

#include "archiver/command.h"
#include "archiver/run_command.h"

namespace {

void Print(HANDLE out, const std::string& text) {
    for (size_t at = 0; at < text.size();) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - at, 1 << 20));
        if (!WriteFile(out, text.data() + at, chunk, &written, nullptr) || written == 0) {
            return;
        }
        at += written;
    }
}

}  // namespace

int main() {
    const archiver::Outcome outcome =
        archiver::RunCommand(archiver::SkipProgramName(GetCommandLineA()));
    const bool done = outcome.result == archiver::Result::kDone;
    Print(GetStdHandle(done ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE), outcome.text + "\r\n");
    return static_cast<int>(outcome.result);
}
