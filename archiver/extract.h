// What the support console does besides extracting (Win32).
#pragma once

#include <string>

#include "archiver/archiver.h"

namespace archiver {

// One line per member: sizes, method, CRC and stored path.
Outcome ListArchive(const std::string& archive);

}  // namespace archiver
