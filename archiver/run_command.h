// The archiver's command language (archiver/command.h) carried out: where a command line really
// comes in, the support console renovo-lzh.
#pragma once

#include <string_view>

#include "archiver/archiver.h"

namespace archiver {

// Parses and runs one command; a command that does not parse gives Result::kBadCommand and
// its reason. Nothing is told while it runs.
Outcome RunCommand(std::string_view command);

}  // namespace archiver
