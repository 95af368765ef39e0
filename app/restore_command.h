// `Renovo.exe /RESTORE ["product folder"]`: puts the product back to its state before the
// newest update, for users and support staff, without the wizard.
#pragma once

#include <string>

#include "engine/command_line.h"

namespace app {

// Asks, puts back, tells the user; returns the exit code: 0 put back, 1 nothing to put back,
// cancelled, or the set refused before anything changed (an elevated restore and a set others
// may change, a damaged journal, a link on the way), 2 some files could not be put back (the
// set stays for another attempt). Files changed since the update are named as they are kept.
// An empty folder means the one the destination page would propose. /SILENT and /VERYSILENT
// show nothing: the question counts as answered OK, every message goes to the log only.
int RunRestore(const std::string& folder, engine::Quiet quiet);

}  // namespace app
