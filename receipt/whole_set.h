// Whether the folder Renovo runs from holds a whole disk set: every entry's file, whatever disk
// the manifest puts it on. A set copied into one folder (a share, a cache, a USB stick) then
// needs no disk prompt, even on removable media; a real floppy holds only its own disk's files.
// Pure: the caller lists the folder.
#pragma once

#include <string>
#include <vector>

namespace receipt {

// One file-list entry as the manifest names it.
struct SetEntry {
    int kind = 0;      // 1 = an LZH archive, named without ".lzh"
    std::string name;  // cp932, may hold folders ('\' between them)
};

// The file that stands for the entry on its disk, relative to the disk's folder: the name, plus
// the system number for an archive "START", plus ".lzh" for an archive.
std::string FileOnDisk(const SetEntry& entry, int systemNumber);

// The folders (relative, "" for the folder itself, else with a trailing '\') whose files the
// caller must list for HoldsWholeSet.
std::vector<std::string> FoldersToList(const std::vector<SetEntry>& entries);

// True when `listing` (relative paths of the files in the folder and in FoldersToList's folders)
// holds every entry's FileOnDisk. Names compare as FAT compares them: ASCII case ignored.
bool HoldsWholeSet(const std::vector<SetEntry>& entries, int systemNumber,
                   const std::vector<std::string>& listing);

}  // namespace receipt
