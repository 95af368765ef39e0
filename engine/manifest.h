// The update manifest "info.txt": 41 positional lines, then the file list.
#pragma once

#include <string>
#include <string_view>

#include "engine/update_context.h"
#include "text/line_reader.h"

namespace engine {

// A file-list field holds at most this many bytes; a longer field is cut on a character
// boundary and the rest of it up to the next comma is dropped.
constexpr size_t kFieldLimit = 31;

// Reads the program folder's "info.txt" into `ctx`: true when it was opened and read, false
// when it cannot be opened or a read error stops it part-way (the context is then left fresh,
// so that a half-read file list can never be installed). File-list lines past the 100th are
// ignored.
inline constexpr char kManifestFile[] = "info.txt";
bool ReadManifest(UpdateContext& ctx);
bool ReadManifestFile(const std::string& path, UpdateContext& ctx);
// The same over an opened reader (the fuzz target feeds whole files from memory).
bool ReadManifestLines(text::LineReader& reader, UpdateContext& ctx);

// The four text fields of a file-list line. They live across the whole list: a field that a
// line does not supply keeps the previous line's value.
struct FileListFields {
    std::string disk;
    std::string kind;
    std::string name;
    std::string subFolder;
};

// Scans one file-list line like sscanf's "%[^,],%[^,],%[^,],%[^,]": fields are runs of one
// or more non-comma bytes, blanks kept; the scan stops at the first empty or missing field.
// Stops at a NUL byte, as the C scan would. Returns how many fields were scanned.
int ScanFileListLine(std::string_view line, FileListFields& fields);

// A file-list subfolder that keeps what it receives inside the installation folder: no
// absolute, drive-relative or UNC folder (no leading separator, no ':'), and no part made of
// dots and blanks only (".." and what Windows reads as it), whichever separator ('\' or '/')
// divides the parts. "." and an empty subfolder stay inside.
bool SubFolderStaysInside(std::string_view subFolder);
// The first entry whose subfolder leaves the installation folder, or -1.
int FirstEscapingEntry(const UpdateContext& ctx);

// A TAB and the character after it become CR LF, at most 100 times, keeping the length.
// A TAB at the very end has no character to overwrite and becomes a lone CR.
void TabsToLineBreaks(std::string& s);

}  // namespace engine
