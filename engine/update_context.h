// What the manifest of one update says: read once, then only read. Each run makes its own
// plan from it (engine/plan.h); nothing a run finds is written back here.
#pragma once

#include <array>
#include <string>

namespace engine {

constexpr int kMaxEntries = 100;
constexpr int kKeyCount = 15;

// A file-list entry's kind number 1 is an LZH archive to extract; any other, a plain file.
enum class EntryKind { kPlainFile, kArchive };

struct UpdateContext {
    std::string destFolder;    // the default the destination page proposes
    std::string settingsFile;  // "NULL": tovaka1.ini, else vestima1.ini
    std::array<std::string, kKeyCount> uninstallKeys;
    std::string requiredVersion;
    std::string masterAdjust;     // flag as text
    std::string digitizerOption;  // flag as text
    std::string viewBitmap;
    std::string startBitmap;
    std::string destBitmap;
    std::string confirmBitmap;
    std::string startNotes;
    std::string destNotes;
    std::array<std::string, kMaxEntries> entryName;
    std::array<std::string, kMaxEntries> entrySubFolder;
    std::array<int, kMaxEntries> entryDisk{};
    std::array<EntryKind, kMaxEntries> entryKind{};
    int entryCount = 0;
    std::array<std::string, kKeyCount> systemNames;
    // Names this disk set on a PC (receipt/identity.h): taken from disk 1's manifest as it was
    // read, before any disk is swapped; empty when it was not read.
    std::string updateId;
};

}  // namespace engine
