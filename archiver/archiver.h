// Renovo's own LZH archiver, called as a function: what it tells while it works (progress,
// each replace for the backups) goes in with the call, and the outcome with its whole message
// comes back. Nothing lives between calls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace replace {
class Observer;
}

namespace archiver {

// Told while an extraction writes: the member being written and the bytes of all the
// archive's members written so far, of their total. Called at each member's start and a few
// times within, on the caller's thread.
class Progress {
public:
    virtual void Advance(const std::string& member, uint64_t done, uint64_t total) = 0;

protected:
    ~Progress() = default;
};

struct Callbacks {
    Progress* progress = nullptr;           // may be null
    replace::Observer* observer = nullptr;  // told of every file replaced; may be null
};

// The values are the support console's exit codes.
enum class Result {
    kDone = 0,
    kBadCommand = 1,
    kBadArchive = 2,   // nothing of the archive was written
    kWriteFailed = 3,  // writing failed part-way
};

struct Outcome {
    Result result = Result::kDone;
    // On failure the message to show, whole: the reason, the member, the archive and what
    // state the destination is left in, one a line. On success what was done.
    std::string text;
};

enum class Replace {
    kAlways,       // an installed file is replaced whatever its time
    kUnlessNewer,  // an installed file newer than the member stays
};

// Checks every member of `archive` (the file itself, ".lzh" included; headers, names, data and
// CRC) before writing any of them, then writes each regular file under its bare name into
// `destination` (created when missing; with or without its trailing separator) through a
// temporary file there.
Outcome Extract(const std::string& archive, const std::string& destination,
                const Callbacks& callbacks, Replace replace = Replace::kAlways);

// The files an extraction of `archive` into `destination` would write, read from the member
// headers alone; false when the archive cannot be read through. Each name is tested as
// extraction tests it, before any path is made from it: a member extraction would refuse
// stops the listing with false and its refusal, the archiver's own text naming the member, in
// `refusal` (when given; empty for an archive that cannot be read through).
bool ListTargets(const std::string& archive, const std::string& destination,
                 std::vector<std::string>& targets, std::string* refusal = nullptr);

}  // namespace archiver
