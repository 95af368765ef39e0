// The folder list's source: the subfolders that a search pattern finds, and the current
// directory, both within the limits of the destination page's tables.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace wizard {

// The table holds ".." and at most 999 more names of at most 31 bytes each.
constexpr size_t kMaxSubfolders = 1000;
constexpr size_t kMaxSubfolderName = 31;
// The longest current directory the path edit shows.
constexpr size_t kMaxCurrentDirectory = 99;

// ".." first, then the bare names of the directories that `pattern` (such as "c:.\*.*")
// finds, in the file system's order. A longer name is left out: cut short it would name a
// folder that is not there; so is a name cp932 cannot carry.
std::vector<std::string> ListSubfolders(const std::string& pattern);

// The full current directory; nothing when it is longer than kMaxCurrentDirectory bytes of
// cp932 or cp932 cannot carry it.
std::optional<std::string> CurrentDirectory();

}  // namespace wizard
