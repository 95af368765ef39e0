// The record of one update: what the manifest says, the chosen destination folder and the
// file list. The view holds it for the program's whole life; every step reads it from here.
#pragma once

#include <array>
#include <string>

namespace engine {

constexpr int kMaxEntries = 100;
constexpr int kKeyCount = 15;

// One file-list entry, gathered from the context's parallel arrays.
struct FileEntry {
    int disk = 0;
    int kind = 0;  // 1 = LZH archive to extract, anything else = plain file to copy
    std::string name;
    std::string subFolder;
};

struct UpdateContext {
    std::string destFolder;
    std::string settingsFile;
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
    std::array<int, kMaxEntries> entryKind{};
    int entryCount = 0;
    std::array<std::string, kKeyCount> systemNames;
    int systemNumber = 0;

    FileEntry Entry(int i) const {
        return {entryDisk[i], entryKind[i], entryName[i], entrySubFolder[i]};
    }
};

}  // namespace engine
