// Where is the product installed? Its Uninstall entry's "UninstallString" carries, after
// " -f", the path of a file in the product's folder.
#pragma once

#include <array>
#include <optional>
#include <string>

namespace wizard {

// Longest tail after " -f", and longest directory part, that give a proposal. A longer one
// would have to be cut, which proposes a folder that is not the product's: it gives none.
constexpr size_t kTailLimit = 63;

// true with the drive and directory of the path after " -f" written over `text` (the tail ends
// before a later " -"); false with `text` unchanged when there is no " -f" or it is too long.
bool FolderFromUninstallString(std::string& text);

// What a lookup gives: a folder, or none. An entry that names its folder in characters cp932
// cannot carry gives none and `unusable`, that folder shown with '?' in their place: no run
// can name it, and none may take another folder in its stead unasked.
struct FolderLookup {
    std::optional<std::string> folder;
    std::string unusable;
};

// The folder proposed by the first of `keys` (up to the first empty one) whose Uninstall key
// opens, without its trailing "\"; no folder when no key opens or its value gives none.
FolderLookup FindInstalledFolder(const std::array<std::string, 15>& keys);

// The folder proposed to the user, and taken by a run without the wizard that names none: the
// Uninstall entry's, else `manifestFolder` (the manifest's default); none when it is unusable.
FolderLookup ProposedFolder(const std::array<std::string, 15>& keys,
                            const std::string& manifestFolder);

}  // namespace wizard
