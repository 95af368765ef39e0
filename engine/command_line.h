// The program's switches, read from the whole command line. Support staff start it with
// /SILENT or /VERYSILENT, /DIR= and /LOG= to roll one update out to many PCs; /RESTORE puts
// the newest update back. Pure: the same rules on every platform.
#pragma once

#include <string>
#include <string_view>

namespace engine {

enum class Quiet { kNone, kSilent, kVerySilent };

struct CommandLine {
    Quiet quiet = Quiet::kNone;
    bool restore = false;
    bool hasDir = false;
    std::string dir;  // quotes taken off
    std::string log;  // empty: no log
    // Set when the line cannot be read: the text to show (cp932). Then only `quiet` counts.
    std::string error;
};

// Switches are case-insensitive and come in any order; a value with blanks stands in double
// quotes (`/DIR="C:\Program Files\X"` or `"/DIR=C:\Program Files\X"`). A folder after
// /RESTORE is taken as /DIR. An unknown switch, a switch given twice with different values,
// or one without its value is an error.
CommandLine ParseCommandLine(std::string_view line);

// The exit codes the unattended run and /RESTORE end with.
inline constexpr int kExitDone = 0;
inline constexpr int kExitRefused = 1;
inline constexpr int kExitStopped = 2;
inline constexpr int kExitCancelled = 3;
inline constexpr int kExitBadCommandLine = 4;
inline constexpr int kExitInUse = 5;       // files in use: nothing of that disk changed
inline constexpr int kExitStepFailed = 6;  // updated, but a conversion or the voice data failed

}  // namespace engine
