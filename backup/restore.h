// Putting a product back to its state before an update, from the newest backup set.
#pragma once

#include <string>
#include <vector>

namespace backup {

// Why a set was not acted on at all.
enum class Refusal {
    kNone,
    kNotAdminOnly,  // the restore is elevated, and others than administrators could change the set
    kDamaged,       // a journal line names no change, or a path outside the product's folders
    kLink,          // a path of the set leads through a junction or symbolic link
};

// A file the update wrote and someone changed since: its content was kept under another name.
struct KeptChange {
    std::string path;
    std::string keptAs;
};

struct RestoreOutcome {
    bool found = false;                // there was a set to put back
    std::string set;                   // its folder
    Refusal refusal = Refusal::kNone;  // not kNone: nothing was changed
    std::string refused;               // what the refusal names: the set, the journal, the link
    std::string why;                   // for the log: the line, the owner or entry, the link
    std::vector<std::string> failed;   // what could not be put back; empty: all of it
    std::vector<KeptChange> kept;
    bool busy = false;  // another update or restore of the product runs: nothing was changed
};

// The newest set of `productFolder` (ending in a separator), every change undone in reverse
// order: saved files back, new files removed, new folders removed when empty. A set put
// back in full is retired; one with failures stays, so that the next attempt can finish.
//
// Before anything changes: an elevated restore refuses a set that others than administrators
// could change (set_security.h); every path of the journal must be a plain full path in the
// product's folders (product_folders.h), and no folder on the way to it a link; one that is
// not refuses the whole set. A file whose content differs from what the update left in it
// (its WRITTEN line) is kept beside itself as "<name>.KEPT" (or .KEPT2, ...) before the old
// one comes back, and a file the update created and someone changed since is renamed so.
// A set that records its folders (ROOT lines) is confined to them rather than to today's
// settings. The product's run lock (trust/run_lock.h) is held throughout; when another run
// holds it, `busy` and nothing changes.
RestoreOutcome RestoreNewestSet(const std::string& productFolder);

}  // namespace backup
