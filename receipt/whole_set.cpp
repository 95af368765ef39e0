#include "receipt/whole_set.h"

#include <algorithm>

#include "text/cp932.h"

namespace receipt {
namespace {

constexpr char kStartArchive[] = "START";
constexpr char kArchiveExtension[] = ".lzh";

// The part of `name` before its last '\' (that '\' included), found on character boundaries.
std::string FolderOf(const std::string& name) {
    size_t last = std::string::npos;
    for (size_t at = text::FindChar(name, '\\'); at != std::string::npos;
         at = text::FindChar(name, '\\', at + 1)) {
        last = at;
    }
    return last == std::string::npos ? std::string() : name.substr(0, last + 1);
}

}  // namespace

std::string FileOnDisk(const SetEntry& entry, int systemNumber) {
    if (entry.kind != 1) {
        return entry.name;
    }
    std::string file = entry.name;
    if (text::SplitPath(file).fname == kStartArchive) {
        file += std::to_string(systemNumber);
    }
    return file + kArchiveExtension;
}

std::vector<std::string> FoldersToList(const std::vector<SetEntry>& entries) {
    std::vector<std::string> folders;
    for (const SetEntry& e : entries) {
        std::string folder = text::ToUpperAscii(FolderOf(e.name));
        if (std::find(folders.begin(), folders.end(), folder) == folders.end()) {
            folders.push_back(folder);
        }
    }
    return folders;
}

bool HoldsWholeSet(const std::vector<SetEntry>& entries, int systemNumber,
                   const std::vector<std::string>& listing) {
    return std::all_of(entries.begin(), entries.end(), [&](const SetEntry& e) {
        const std::string file = FileOnDisk(e, systemNumber);
        return std::any_of(listing.begin(), listing.end(), [&](const std::string& listed) {
            return text::EqualsIgnoreCase(listed, file);
        });
    });
}

}  // namespace receipt
