// renovo-lzh.exe: runs the rest of its command line as one archiver command, prints the
// archiver's text whole and exits with its result.
#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>

#include "archiver/command.h"
#include "archiver/run_command.h"
#include "archiver/texts.h"
#include "framework/wide.h"

namespace {

// Bytes as they are: a file or pipe gets the cp932 text it always had.
void WriteBytes(HANDLE out, const std::string& text) {
    for (size_t at = 0; at < text.size();) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - at, 1 << 20));
        if (!WriteFile(out, text.data() + at, chunk, &written, nullptr) || written == 0) {
            return;
        }
        at += written;
    }
}

// A console shows UTF-16 whatever its code page; WriteConsoleW takes at most 64 KB a call.
void WriteToConsole(HANDLE out, const std::wstring& text) {
    for (size_t at = 0; at < text.size();) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - at, 8192));
        if (!WriteConsoleW(out, text.data() + at, chunk, &written, nullptr) || written == 0) {
            return;
        }
        at += written;
    }
}

void Print(HANDLE out, const std::string& text) {
    DWORD mode = 0;
    if (GetConsoleMode(out, &mode)) {
        WriteToConsole(out, framework::Wide(text));
    } else {
        WriteBytes(out, text);
    }
}

}  // namespace

int main() {
    const std::optional<std::string> line = framework::Narrow(GetCommandLineW());
    if (!line) {
        const std::string shown = framework::NarrowShown(GetCommandLineW());
        Print(GetStdHandle(STD_ERROR_HANDLE), archiver::kCommandLineNotCp932 +
                                                  std::string(archiver::SkipProgramName(shown)) +
                                                  "\r\n");
        return static_cast<int>(archiver::Result::kBadCommand);
    }
    const archiver::Outcome outcome = archiver::RunCommand(archiver::SkipProgramName(*line));
    const bool done = outcome.result == archiver::Result::kDone;
    Print(GetStdHandle(done ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE), outcome.text + "\r\n");
    return static_cast<int>(outcome.result);
}
