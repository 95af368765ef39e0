// The journal of one backup set: one line per change, written before the change is made, so
// that a run killed part-way can be put back from the lines that reached the disk. Pure.
//
// Lines end in CR LF; fields are separated by a TAB (no Windows path holds one):
//   BEGUN<TAB>01DB4A1F2C3D4E5F      when the run began (a FILETIME, hex), the first line
//   SAVED<TAB>00001<TAB>C:\PRODUCT\SYSTEM\TOVAKA.EXE   the old file is kept as 00001 in the set
//   NEW<TAB>C:\PRODUCT\SYSTEM\NEW.DLL                   the file did not exist before
//   FOLDER<TAB>C:\PRODUCT\NEWDIR                        the folder did not exist before
//   READONLY<TAB>C:\PRODUCT\SYSTEM\TOVAKA.EXE            the file was read-only (before its SAVED
//                                                       line: a second name shares the
//                                                       attribute, which the replace clears)
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace backup {

enum class ChangeKind { kSaved, kCreated, kFolder, kReadOnly };

struct Change {
    ChangeKind kind = ChangeKind::kCreated;
    std::string path;   // full path of the product's file or folder
    std::string saved;  // kSaved: the name of the old file in the set
    bool operator==(const Change&) const = default;
};

struct Journal {
    uint64_t begun = 0;           // FILETIME of the run's start; 0 when the line is missing
    std::vector<Change> changes;  // in the order they were made
    std::vector<size_t> damaged;  // 1-based numbers of whole lines that name no change
};

std::string FormatChange(const Change& change);
std::string FormatBegun(uint64_t fileTime);

// A last line without its CR LF was cut off while it was written: its change never began
// and it is left out. An empty text is a set whose run changed nothing.
Journal ParseJournal(std::string_view text);

// The names the replace module and the master conversion give their work files ("rpl" and
// one to four hex digits, ".tmp"; "temp.mst"): a run killed while one was being written
// leaves it behind.
bool IsWorkFileName(std::string_view name);

// The name of the n-th saved file of a set (n from 1): "00001".
std::string SavedName(int n);

// Set folders are named by their number, four digits ("0001"); other names are no set.
std::string SetName(int number);
int SetNumber(std::string_view name);  // 0 when `name` names no set

// Of the numbers of the sets present, those to remove so that the `keep` newest remain.
std::vector<int> SetsToPrune(std::vector<int> numbers, size_t keep);

}  // namespace backup
