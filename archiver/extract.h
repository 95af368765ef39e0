// The archiver's commands on the file system (Win32).
#pragma once

#include <string>

#include "archiver/command.h"

namespace archiver {

inline constexpr int kResultBadCommand = 1;
inline constexpr int kResultBadArchive = 2;  // nothing of the archive was written
inline constexpr int kResultWriteFailed = 3;

struct Outcome {
    int result = 0;
    std::string text;
};

// Checks every member (headers, names, data and CRC) before writing any of them, then writes
// each regular file under its bare name into the destination through a temporary file there.
Outcome ExtractArchive(const Command& command);

// One line per member: sizes, method, CRC and stored path.
Outcome ListArchive(const Command& command);

}  // namespace archiver
