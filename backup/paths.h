// Which paths a backup set may name: the journal is read by a restore that may run with more
// rights than whoever could write the journal, so every path in it must be a plain full path
// inside the folders of that product. Pure.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace backup {

// "X:\" followed by plain file names (no device, stream, wildcard, control character, trailing
// dot or blank, "." or "..") joined by single backslashes, none of them the backup folder
// "RENOVO.BAK": not relative, not drive-relative, not UNC, not a device path. A root "X:\"
// alone passes; one trailing separator is allowed.
bool IsPlainFullPath(std::string_view path);

// `path` without one trailing separator ("C:\" stays as it is).
std::string WithoutTrailingSeparator(std::string_view path);

// The folders a set's paths must lie in: the product folder, its voice and master folders.
class Confinement {
public:
    // A folder that is no plain full path is no root (a relative voice folder, say).
    void AddRoot(std::string_view folder);
    const std::vector<std::string>& roots() const { return roots_; }
    // A plain full path strictly below one of the roots (ASCII case ignored).
    bool Allows(std::string_view path) const;
    // The root `path` lies below, the shortest when several hold it; empty when none.
    std::string RootOf(std::string_view path) const;

private:
    std::vector<std::string> roots_;  // without trailing separator, except a drive's root
};

// The folders between `root` and `path` (root excluded, path's own folder included), outermost
// first: "C:\P" and "C:\P\A\B\F.DAT" give "C:\P\A", "C:\P\A\B".
std::vector<std::string> FoldersBetween(std::string_view root, std::string_view path);

}  // namespace backup
