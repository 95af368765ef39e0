// Making and checking update disks: the project file, the layout of the disks and the checks of
// a disk set as Renovo will read it. Everything here is pure apart from the file calls of
// platform.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace disk {

constexpr uint64_t kFloppyCapacity = 1457664;  // data clusters of a 1.44 MB FAT12 floppy
constexpr uint64_t kCluster = 512;
constexpr size_t kFieldLimit = 31;

struct Diagnostic {
    std::string file;
    int line = 0;  // 0 = the file as a whole
    std::string text;
    bool warning = false;
};

class Diagnostics {
public:
    void Error(const std::string& file, int line, const std::string& text) {
        items.push_back({file, line, text, false});
    }
    void Warn(const std::string& file, int line, const std::string& text) {
        items.push_back({file, line, text, true});
    }
    bool HasErrors() const;
    // One line each: "file:line: what is wrong" ("warning: " before warnings).
    std::string Format() const;
    std::vector<Diagnostic> items;
};

struct Source {
    std::string variant;  // the number a START archive's variant carries; empty otherwise
    std::string path;     // a file or a folder (an archive packs a folder's files)
};

struct ProjectEntry {
    int line = 0;
    bool archive = false;
    bool newDisk = false;  // starts a new disk even when the one before has room
    std::string name;       // cp932, as on the disk (an archive without ".lzh")
    std::string subFolder;  // cp932, with its trailing '\'
    std::vector<Source> sources;
};

struct Picture {
    std::string source;  // platform path; empty when the project names none
    std::string name;    // cp932 name on disk 1
    int line = 0;
};

struct SigningKey {
    std::string pfx;           // PKCS#12 file with the certificate and its key; empty: unsigned
    std::string passwordFile;  // its password on the first line; empty: none
    std::string timestampUrl;  // an RFC 3161 time-stamp server; empty: no time stamp
};

// The project, its texts already in cp932 and its paths resolved against the project's folder.
struct Project {
    std::string path;  // the project file, for messages
    std::vector<std::string> uninstallKeys;
    std::string destFolder;
    std::string version;
    std::string masterAdjust = "0";
    std::string settingsFile = "NULL";
    std::string digitizerOption = "0";
    Picture pictures[4];  // view, start, destination, confirmation
    std::string startNotes;  // line breaks coded as TAB pairs
    std::string destNotes;
    std::vector<std::string> systemNames;
    uint64_t capacity = kFloppyCapacity;
    std::string program;  // where Renovo.exe comes from
    int programLine = 0;
    SigningKey signing;  // from the command line
    std::vector<ProjectEntry> entries;
};

// Reads a project file; refusals name its lines.
bool ParseProject(const std::string& path, Project& project, Diagnostics& out);

// A name Renovo can install and a FAT disk can hold: cp932 characters, no separators,
// wildcards, commas or control characters, not a device name. Empty when it is safe, else why not.
std::string UnsafeName(const std::string& cp932);

// The info.txt of the project with each entry on its disk (`diskOf` by entry), CR LF lines.
std::string ManifestText(const Project& project, const std::vector<int>& diskOf);

// Writes disk1/, disk2/... under `outDir`, then checks them. `work` holds the packed archives.
bool MakeDisks(const Project& project, const std::string& outDir, Diagnostics& out,
               std::vector<std::string>& disks);

// Writes every disk's files of the same layout into the one folder `dir` (a set for a share,
// a fleet tool's cache or a USB stick), then checks it. Two disks' files of one name are an error.
bool MakeOneFolder(const Project& project, const std::string& dir, Diagnostics& out);

// Checks a disk set (folders, disk 1 first) as Renovo will read it.
void CheckDisks(const std::vector<std::string>& disks, uint64_t capacity, Diagnostics& out);
// Checks a folder that holds every disk's files, as CheckDisks checks disks (no capacity).
void CheckOneFolder(const std::string& dir, Diagnostics& out);

// The detection rule for fleet tools of the set whose disk 1 (or one folder) is `disk1`: the
// receipt key a run of that set writes. Nothing when its manifest cannot be read.
std::optional<std::string> DetectionRuleFor(const std::string& disk1);

}  // namespace disk
