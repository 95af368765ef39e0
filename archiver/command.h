// The archiver's command language, parsed without touching the system (pure, no <windows.h>):
//   e [-m] [-c] [-w<folder>] <archive> [<destination>]   extract every file by its bare name
//   l <archive>                                           list the members
// Switches may run together (-mcw<folder>); paths are double-quoted, or bare when blank-free.
// The folder of -w is written unquoted by its callers, so it runs up to the blank before the
// next quoted argument, blanks included.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "text/path.h"

namespace archiver {

enum class CommandKind { kExtract, kList };

struct Command {
    CommandKind kind = CommandKind::kExtract;
    bool noQuestions = false;    // -m: we never ask anyway
    bool replaceAlways = false;  // -c: replace a target even when it is newer than the member
    std::string workFolder;      // -w: accepted; temporary files go beside their targets
    std::string archive;         // the archive file, as ArchiveFileName resolves the path
    std::string destination;     // as given; empty means the current folder
};

// Whether a file of that path exists; the parser asks it about dotted archive names only.
using FileExists = std::function<bool(const std::string& path)>;

// Parses `text`. On failure returns false with a short cp932 reason in `error`.
bool ParseCommand(std::string_view text, const FileExists& exists, Command& command,
                  std::string& error);

// The archive file a command's path means: the path plus ".lzh" when its last component has
// no extension, or has a dot and that file exists ("UPD1.0" names UPD1.0.lzh); otherwise the
// path itself.
std::string ArchiveFileName(std::string_view path, const FileExists& exists);

// The path helpers live in text/path.h.
using text::EndsWithSeparator;
using text::IsSafeBareName;
using text::JoinPath;

// The command line after the program's own name (quoted or not) and the blanks after it.
std::string_view SkipProgramName(std::string_view commandLine);

}  // namespace archiver
