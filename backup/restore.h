// Putting a product back to its state before an update, from the newest backup set.
#pragma once

#include <string>
#include <vector>

namespace backup {

struct RestoreOutcome {
    bool found = false;               // there was a set to put back
    std::vector<std::string> failed;  // what could not be put back; empty: all of it
};

// The newest set of `productFolder` (ending in a separator), every change undone in reverse
// order: saved files back, new files removed, new folders removed when empty. A set put
// back in full is retired; one with failures stays, so that the next attempt can finish.
RestoreOutcome RestoreNewestSet(const std::string& productFolder);

}  // namespace backup
