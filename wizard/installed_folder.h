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

// 1 with the drive and directory of the path after " -f" written over `text` (the tail ends
// before a later " -"); 0 with `text` unchanged when there is no " -f" or the path is too long.
int FolderFromUninstallString(std::string& text);

// The folder proposed by the first of `keys` (up to the first empty one) whose Uninstall key
// opens, without its trailing "\"; nothing when no key opens or its value gives no folder.
std::optional<std::string> FindInstalledFolder(const std::array<std::string, 15>& keys);

}  // namespace wizard
