// Conversion of the product's material master files "zai???-3.mst" in both master folders.
#pragma once

#include <string>
#include <vector>

#include "settings/master_rules.h"

namespace replace {
class Observer;
}

namespace settings {


// How many master files a pass rewrote in each folder it searched, for the installation log.
struct FolderCount {
    std::string folder;
    int files = 0;
};
using ConversionReport = std::vector<FolderCount>;

// Both master folders (prefix + "1\", then prefix + "21\" only when the first passed), the
// prefix read from key "MASTER" of section "DIR" of `settingsPath`. True when every master
// file found was rewritten (also when there was none). `report`, when given, gets a line for
// each folder searched. `observer`, when given, is told of every master file replaced (the
// run's backups).
bool ConvertMaterialSize(const std::string& settingsPath, ConversionReport* report = nullptr,
                         replace::Observer* observer = nullptr);
bool ConvertMaterialType(const std::string& settingsPath, ConversionReport* report = nullptr,
                         replace::Observer* observer = nullptr);

// The two master folders, prefix + "1\" and prefix + "21\", the prefix read whole from key
// "MASTER" of section "DIR" of `settingsPath`.
// The one place they are derived (the update run, its checks and the backups' confinement).
std::vector<std::string> MasterFolders(const std::string& settingsPath);

// The voice data's folder as key "WAV" of section "DIR" of `settingsPath` names it, read
// whole, nothing added; empty when it names none. The one place it is derived.
std::string VoiceFolderSetting(const std::string& settingsPath);

// One pass over one master folder (ending in a backslash); `converted` counts the files
// rewritten, also when a later one fails.
bool ConvertMasterFolder(const std::string& folder, LineRule rule, int* converted = nullptr,
                         replace::Observer* observer = nullptr);

// The names (no folder) matching `pattern`, at most 1000; returns how many. A pattern that
// Windows cannot take finds nothing. A matching name cp932 cannot carry is not listed: the
// first such goes to `unfit` as shown ('?' in its place), so that a caller can refuse it.
int ListMasterFiles(const std::string& pattern, std::vector<std::string>& names,
                    std::string* unfit = nullptr);

}  // namespace settings
