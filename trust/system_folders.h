// Folders no setting of a product may send a write to, whoever could have written the
// setting: the Windows folder and everything below it, a drive's root, a Program Files folder
// itself, the profiles folder and a user's profile folder itself. Pure.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace trust {

struct SystemFolders {
    std::string windows;                    // "C:\Windows"
    std::vector<std::string> programFiles;  // both views: "C:\Program Files", "...(x86)"
    std::vector<std::string> profiles;      // "C:\Users" and each user's "C:\Users\name"
};

enum class Forbidden { kNone, kWindows, kDriveRoot, kProgramFiles, kProfile };

// `folder` is a full path (a trailing separator or not; case ignored). Anything not on a
// drive ("\\server\share", a relative name) counts as a drive's root: a setting must name a
// folder on a drive.
Forbidden ForbiddenFolder(std::string_view folder, const SystemFolders& system);

// For the log: what kind of folder it is.
const char* ForbiddenName(Forbidden forbidden);

}  // namespace trust
