// The journal of one backup set: one line per change, written before the change is made, so
// that a run killed part-way can be put back from the lines that reached the disk. Pure.
//
// Lines end in CR LF; fields are separated by a TAB (no path the journal may name holds one):
//   BEGUN<TAB>01DB4A1F2C3D4E5F      when the run began (a FILETIME, hex), the first line
//   PRODUCT<TAB>C:\PRODUCT          the product folder as the run named it
//   SETTINGS<TAB>tovaka1.ini        the settings file whose voice folder the run used
//   ROOT<TAB>D:\VOICE               a folder the run's paths may lie in (the product folder,
//                                   its voice and master folders), one line each
//   SAVED<TAB>00001<TAB>C:\PRODUCT\SYSTEM\TOVAKA.EXE   the old file is kept as 00001 in the set
//   NEW<TAB>C:\PRODUCT\SYSTEM\NEW.DLL                   the file did not exist before
//   FOLDER<TAB>C:\PRODUCT\NEWDIR                        the folder did not exist before
//   READONLY<TAB>C:\PRODUCT\SYSTEM\TOVAKA.EXE            the file was read-only (before its SAVED
//                                                       line: a second name shares the
//                                                       attribute, which the replace clears)
//   WRITTEN<TAB>4096<TAB>1A2B3C4D<TAB>C:\PRODUCT\SYSTEM\TOVAKA.EXE
//                                   what the run left in the file: its size and CRC-32 (hex);
//                                   written once it is in place, so a file without this line
//                                   was never reached or its run was killed around it
// Sets written before PRODUCT, SETTINGS, ROOT and WRITTEN existed read as sets without them.
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
    size_t line = 0;    // where it stands in the journal (1-based); 0 when made, not read
    bool operator==(const Change& o) const {
        return kind == o.kind && path == o.path && saved == o.saved;
    }
};

// What the run left in a file it put in place or wrote in place.
struct Written {
    std::string path;
    uint64_t size = 0;
    uint32_t crc = 0;
    size_t line = 0;
    bool operator==(const Written& o) const {
        return path == o.path && size == o.size && crc == o.crc;
    }
};

struct Journal {
    uint64_t begun = 0;            // FILETIME of the run's start; 0 when the line is missing
    std::string product;           // PRODUCT; empty in sets made before it
    size_t productLine = 0;        // where it stands (1-based)
    std::string settings;          // SETTINGS; empty when the run named none
    size_t settingsLine = 0;       // where it stands (1-based)
    std::vector<std::string> roots;  // ROOT lines; empty in sets made before them
    std::vector<size_t> rootLines;   // where each stands (1-based)
    std::vector<Change> changes;   // in the order they were made
    std::vector<Written> written;  // in the order the files were put in place
    std::vector<size_t> damaged;   // 1-based numbers of whole lines that name no change
};

std::string FormatChange(const Change& change);
std::string FormatBegun(uint64_t fileTime);
std::string FormatProduct(const std::string& folder);
std::string FormatSettings(const std::string& fileName);
std::string FormatRoot(const std::string& folder);
std::string FormatWritten(const Written& written);

// A last line without its CR LF was cut off while it was written: its change never began
// and it is left out. An empty text is a set whose run changed nothing.
Journal ParseJournal(std::string_view text);

// Line `number` (1-based) of a journal's text, without its line end; empty past the end.
std::string_view JournalLine(std::string_view text, size_t number);

// The names the replace module and the master conversion give their work files ("rpl" and
// one to four hex digits, ".tmp"; "temp.mst"): a run killed while one was being written
// leaves it behind.
bool IsWorkFileName(std::string_view name);

// The name of the n-th saved file of a set (n from 1): "00001".
std::string SavedName(int n);

// Set folders are named by their number, four digits ("0001"); other names are no set.
std::string SetName(int number);
int SetNumber(std::string_view name);  // 0 when `name` names no set
// A set being retired is renamed "0001.OLD" first: true for such a name.
bool IsRetiredSetName(std::string_view name);

// Of the numbers of the sets present, those to remove so that the `keep` newest remain.
std::vector<int> SetsToPrune(std::vector<int> numbers, size_t keep);

}  // namespace backup
