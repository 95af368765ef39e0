// The archiver's commands on the file system (Win32).
#pragma once

#include <string>
#include <vector>

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

// The files an extraction of `archive` into `destination` would write, read from the member
// headers alone; false when the archive cannot be read through. Each name is tested as
// extraction tests it, before any path is made from it: a member extraction would refuse
// stops the listing with false and its refusal, the archiver's own text naming the member, in
// `refusal` (when given; empty for an archive that cannot be read through).
bool ListTargets(const std::string& archive, const std::string& destination,
                 std::vector<std::string>& targets, std::string* refusal = nullptr);

// One line per member: sizes, method, CRC and stored path.
Outcome ListArchive(const Command& command);

}  // namespace archiver
