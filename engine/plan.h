// One run's plan, made from the manifest and the folder the user chose before anything
// changes: the folder as the settings lookup completes it, the settings file found, the
// installed variant, and each entry's file on the disk and its folder. Every run (the wizard's
// each try, /SILENT, /VERYSILENT) makes its own; the manifest is only read.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/message_seam.h"
#include "engine/update_context.h"

namespace engine {

struct PlannedEntry {
    int disk = 0;
    EntryKind kind = EntryKind::kPlainFile;
    std::string name;    // as the file list names it; a "START" archive with the variant's number
    std::string source;  // the file on the update disk
    std::string folder;  // where it goes: the plan's folder and the entry's subfolder
    std::string target;  // a plain file's path there (empty for an archive)
};

struct Plan {
    std::string folder;        // ends in its separator wherever the lookup had to add one
    std::string settingsFile;  // the name found, never "NULL"
    int systemNumber = -1;     // 0, 1 to 15, or 99
    bool digitizer = false;
    bool masterAdjust = false;
    // The folders the settings name that the run writes into, each accepted for this run
    // (trust/access.h): the voice folder (empty: no voice data installed) and the master
    // folders that exist; empty unless the run installs the option or converts the masters.
    std::string voiceFolder;
    std::vector<std::string> masterFolders;
    std::vector<PlannedEntry> entries;
};

// The checks made before anything changes (subfolders inside the product, settings file,
// menu files, version, variant, the folders the settings name), each logged; a refusal is shown with "エラー" and gives none.
std::optional<Plan> MakePlan(const UpdateContext& manifest, const std::string& chosenFolder,
                             MessageSeam& seam);

// The first of `entries` whose file is not on the update disk; none when all are there.
std::optional<std::string> FirstMissingSource(const std::vector<PlannedEntry>& entries);

}  // namespace engine
