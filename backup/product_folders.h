// The folders of one installed product that a backup set may name, as the product's settings
// name them.
#pragma once

#include <string>

#include "backup/paths.h"

namespace backup {

// `productFolder` itself; the voice folder ([DIR] WAV of `settingsFile` in it, or of
// tovaka1.ini and vestima1.ini when no settings file is named); both master folders ([DIR]
// MASTER of tovaka1.ini, followed by "1" and by "21"). A value that names no full path on a
// drive names no folder here.
Confinement ProductFolders(const std::string& productFolder, const std::string& settingsFile);

// The full form of `path` (GetFullPathName: ".." resolved, '/' made '\'); empty when it has
// no cp932 form. The one way the backup takes full paths.
std::string FullFormOf(const std::string& path);

}  // namespace backup
