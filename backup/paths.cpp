#include "backup/paths.h"

#include "backup/texts.h"
#include "text/cp932.h"
#include "text/path.h"

namespace backup {

namespace {

bool IsDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The names after "X:\", split at backslashes that are characters of their own.
std::vector<std::string_view> Names(std::string_view path) {
    std::vector<std::string_view> names;
    for (size_t from = 3; from < path.size();) {
        const size_t sep = text::FindChar(path, '\\', from);
        const size_t end = sep == std::string_view::npos ? path.size() : sep;
        names.push_back(path.substr(from, end - from));
        from = end + 1;
    }
    return names;
}

// A backslash that is a character of its own ends `path` (a 0x5C trail byte does not).
bool EndsWithSeparator(std::string_view path) {
    return text::EndsWithSeparator(path) && path.back() == '\\';
}

// `path` equals `folder` or lies below it, ASCII case ignored; both plain and without
// trailing separator, except a drive's root.
bool IsAtOrBelow(std::string_view path, std::string_view folder) {
    if (path.size() < folder.size() ||
        !text::EqualsIgnoreCase(path.substr(0, folder.size()), folder)) {
        return false;
    }
    return path.size() == folder.size() || EndsWithSeparator(folder) || path[folder.size()] == '\\';
}

}  // namespace

bool IsPlainFullPath(std::string_view path) {
    if (path.size() < 3 || !IsDriveLetter(path[0]) || path[1] != ':' || path[2] != '\\') {
        return false;
    }
    std::string_view rest = path;
    if (rest.size() > 3 && EndsWithSeparator(rest)) {
        rest.remove_suffix(1);
    }
    for (std::string_view name : Names(rest)) {
        if (!text::IsSafeBareName(name) || text::EqualsIgnoreCase(name, kBackupFolder)) {
            return false;
        }
    }
    return true;
}

std::string WithoutTrailingSeparator(std::string_view path) {
    if (path.size() > 3 && EndsWithSeparator(path)) {
        path.remove_suffix(1);
    }
    return std::string(path);
}

void Confinement::AddRoot(std::string_view folder) {
    if (IsPlainFullPath(folder)) {
        roots_.push_back(WithoutTrailingSeparator(folder));
    }
}

std::string Confinement::RootOf(std::string_view path) const {
    if (!IsPlainFullPath(path) || (path.size() > 3 && EndsWithSeparator(path))) {
        return {};
    }
    std::string best;
    for (const std::string& root : roots_) {
        if (path.size() > root.size() && IsAtOrBelow(path, root) &&
            (best.empty() || root.size() < best.size())) {
            best = root;
        }
    }
    return best;
}

bool Confinement::Allows(std::string_view path) const {
    return !RootOf(path).empty();
}

std::vector<std::string> FoldersBetween(std::string_view root, std::string_view path) {
    std::vector<std::string> folders;
    const std::string base = WithoutTrailingSeparator(root);
    for (size_t from = base.size() + (EndsWithSeparator(base) ? 0 : 1); from < path.size();) {
        const size_t sep = text::FindChar(path, '\\', from);
        if (sep == std::string_view::npos) {
            break;
        }
        folders.emplace_back(path.substr(0, sep));
        from = sep + 1;
    }
    return folders;
}

}  // namespace backup
