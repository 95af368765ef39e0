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

}  // namespace app
