// `Renovo.exe /RESTORE ["product folder"]`: puts the product back to its state before the
// newest update, for users and support staff, without the wizard.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace app {

// The folder named after /RESTORE (quotes taken off; empty when none is named), or nothing
// when the command line asks for no restore.
std::optional<std::string> RestoreRequest(std::string_view commandLine);

// Asks, puts back, tells the user; returns the exit code: 0 put back, 1 nothing to put back
// or cancelled, 2 some files could not be put back (the set stays for another attempt).
// An empty folder means the one the destination page would propose.
int RunRestore(const std::string& folder);

}  // namespace app
