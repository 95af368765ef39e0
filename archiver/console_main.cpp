// renovo-lzh.exe: runs the rest of its command line as one archiver command, prints the
// archiver's text and exits with its result.
#include <windows.h>

#include <string>
#include <vector>

#include "archiver/archiver.h"
#include "archiver/command.h"

namespace {

void Print(HANDLE out, const std::string& text) {
    DWORD written = 0;
    WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace

int main() {
    std::string command(archiver::SkipProgramName(GetCommandLineA()));
    // Listings of large archives need more room than the installer's 256 bytes.
    std::vector<char> output(1 << 20);
    archiver::PrepareArchiver();
    int result =
        archiver::RunArchiverCommand(nullptr, command.c_str(), output.data(), output.size());
    HANDLE out = GetStdHandle(result == 0 ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    Print(out, std::string(output.data()) + "\r\n");
    return result;
}
