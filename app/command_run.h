// What the command line asks of the program: the wizard (no switches), the unattended run
// support staff roll out with /SILENT or /VERYSILENT, or /RESTORE; with /LOG= any of them
// writes the installation log.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "engine/command_line.h"
#include "engine/update_context.h"

namespace app {

// Reads the command line, runs what it asks for and returns the process's exit code: the
// wizard's is 0; otherwise see engine/command_line.h.
int RunCommandLine(HINSTANCE instance, std::string_view line);

// The folder the destination page would propose: the product's Uninstall entry, else the
// manifest's default folder.
std::string ProposedFolder(const engine::UpdateContext& ctx);

// A message of a run without the wizard: shown unless the run is silent, and logged.
int ShowOrLog(engine::Quiet quiet, const std::string& text, const char* caption, UINT buttons);

}  // namespace app
