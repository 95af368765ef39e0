#include "wizard/subfolders.h"

#include <direct.h>

#include <array>

#include "framework/files.h"

namespace wizard {

std::vector<std::string> ListSubfolders(const std::string& pattern) {
    std::vector<std::string> names{".."};
    framework::FileFind find;
    if (!find.FindFile(pattern)) {
        return names;
    }
    do {
        if (find.IsDirectory() && !find.IsDots() && find.FileName().size() <= kMaxSubfolderName) {
            names.push_back(find.FileName());
        }
    } while (names.size() < kMaxSubfolders && find.Next());
    return names;
}

std::optional<std::string> CurrentDirectory() {
    std::array<char, kMaxCurrentDirectory + 1> buffer{};
    if (!::_getcwd(buffer.data(), static_cast<int>(buffer.size()))) {
        return std::nullopt;
    }
    return std::string(buffer.data());
}

}  // namespace wizard
