// The checks made when an update disk is in, before anything of it changes (with disk 1,
// before anything at all changes): does every path the run makes fit what Windows takes, may
// every folder it writes into take a new file, and is any file it will replace or rewrite held
// open by another program? A held file is named, with the program that holds it where Windows'
// Restart Manager can say (Vista and later), and the user may close it and try again.
#pragma once

#include <string>
#include <vector>

#include "engine/message_seam.h"

namespace trust {
class HeldWay;
}

namespace engine {

// What one update disk (with disk 1: the whole run) will write.
struct ChangeList {
    // Folders files are written into, each ending in its separator; a folder that does not
    // exist yet is one the run creates.
    std::vector<std::string> folders;
    // Files replaced or written in place (the disk's targets, the settings file, the master
    // files, the voice data): each must fit, and one that exists must be free.
    std::vector<std::string> files;
    // Other paths the run makes, whose length alone is checked (the backup set's journal, the
    // files of later disks).
    std::vector<std::string> made;
    // Where each folder's way is checked from: below the product folder (taken as the user
    // named it), and from each voice or master folder (held itself); without a separator.
    std::string product;
    std::vector<std::string> roots;
    // Files found on the disk whose names cp932 cannot carry ('?' in place of what it lacks):
    // the run could name them to no Windows call, so they refuse it first.
    std::vector<std::string> unfit;
};

enum class CheckResult {
    kPassed,     // nothing found
    kRefused,    // a name cp932 lacks, a path too long, a link on the way or a folder that may
                 // not be written: told
    kCancelled,  // files in use, and the user cancelled (/VERYSILENT always does)
};

// The checks of `changes`, in that order: names cp932 cannot carry; path lengths; with `way`,
// no junction or symbolic link on the way of any folder, each folder that exists held there
// until `way` lets go; folders that take files; files in use. A refusal is shown with
// `caption` ("エラー" before anything changed, "確認" at a later disk); files in use are
// shown with Retry and Cancel, and tested again on Retry. The log names each path found.
CheckResult CheckBeforeChanges(const ChangeList& changes, MessageSeam& seam, const char* caption,
                               trust::HeldWay* way = nullptr);

// Holds every folder of `changes` that exists, from its root down (a folder in none of the
// roots is not held); the first junction or symbolic link on the way, or empty when none.
std::string FirstLinkOnTheWay(const ChangeList& changes, trust::HeldWay& way);

// --- The parts, for the tests ---------------------------------------------------------------

// A folder (ending in its separator) in which the replace can make its temporary files:
// GetTempFileNameA takes at most MAX_PATH - 14 characters.
bool FolderFits(const std::string& folder);

// May a file be created and removed in `folder` (or, when it does not exist yet, in the
// nearest folder above it that does)? false sets the last error.
bool FolderTakesFiles(const std::string& folder);

struct HeldFile {
    std::string path;
    std::string programs;  // as Restart Manager names them, joined by "、"; empty: not known
};

// The files of `files` that exist and cannot be opened for writing and deletion with no
// sharing, because another program has them open. A file held only for a moment (a virus
// scanner) is tested again for up to a second before it counts.
std::vector<HeldFile> FindHeldFiles(const std::vector<std::string>& files);

// The programs that hold `path` open, joined by "、"; empty where Windows cannot say (no
// Restart Manager before Vista, or it knows of none).
std::string ProgramsHolding(const std::string& path);

// The message that names the held files (at most kHeldFilesShown of them, then how many more).
inline constexpr size_t kHeldFilesShown = 10;
std::string HeldFilesMessage(const std::vector<HeldFile>& held);

}  // namespace engine
