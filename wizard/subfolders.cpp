#include "wizard/subfolders.h"

#include <direct.h>

#include <array>

#include "framework/files.h"
#include "framework/wide.h"

namespace wizard {

std::vector<std::string> ListSubfolders(const std::string& pattern) {
    std::vector<std::string> names{".."};
    framework::FileFind find;
    if (!find.FindFile(pattern)) {
        return names;
    }
    do {
        // A name cp932 cannot carry is left out: no folder below it can be the product's,
        // whose every path the update names in cp932.
        if (find.IsDirectory() && !find.IsDots() && find.NameFits() &&
            find.FileName().size() <= kMaxSubfolderName) {
            names.push_back(find.FileName());
        }
    } while (names.size() < kMaxSubfolders && find.Next());
    return names;
}

std::optional<std::string> CurrentDirectory() {
    // Room for what the edit shows in cp932 is room enough in UTF-16.
    std::array<wchar_t, kMaxCurrentDirectory + 1> buffer{};
    if (!::_wgetcwd(buffer.data(), static_cast<int>(buffer.size()))) {
        return std::nullopt;
    }
    std::optional<std::string> path = framework::Narrow(buffer.data());
    if (path && path->size() > kMaxCurrentDirectory) {
        return std::nullopt;
    }
    return path;
}

}  // namespace wizard
