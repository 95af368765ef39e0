// What the command line asks of the program: the wizard (no switches), the unattended run
// support staff roll out with /SILENT or /VERYSILENT, or /RESTORE; with /LOG= any of them
// writes the installation log.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "engine/command_line.h"

namespace app {

// Reads the command line, runs what it asks for and returns the process's exit code: the
// wizard's is 0; otherwise see engine/command_line.h.
int RunCommandLine(HINSTANCE instance, std::string_view line);

// The same for the command line as Windows holds it (GetCommandLineW: the program's name
// first), read in UTF-16: one that cp932 cannot carry is refused by name before anything else.
int RunProgramCommandLine(HINSTANCE instance, std::wstring_view whole);

// What follows the program's name (quoted or not) and the blanks after it, as the runtime
// hands it to WinMain.
std::wstring_view ArgumentsOf(std::wstring_view whole);

}  // namespace app
