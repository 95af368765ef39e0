// Changes of the current directory, made as the Windows runtime makes them. The process has
// one current directory; where "X:name" points on another drive X comes from the environment
// variable "=X:", which the runtime's _chdir writes and SetCurrentDirectory does not (nor does
// Wine's _chdir, so only this way does a run under Wine resolve such paths as Windows does).
#pragma once

#include <string>

namespace framework {

// As the runtime's _chdir: `path` may be "\" (the current drive's root), "A:\" (a drive's
// root, which makes it the current drive), "A:" or "A:name" (relative to the directory drive
// A: is at) or any full path. The new directory is recorded as its drive's in "=X:". False,
// with nothing changed, when it cannot be entered.
bool ChangeDirectory(const std::string& path);

// The full form of a path as the platform resolves it now (the current directory, "=X:").
std::string FullPath(const std::string& path);

// Where "X:name" resolves on one drive, kept when made and put back by Restore, so that names
// on that drive mean the same files again whatever changes of directory came between.
class DriveDirectory {
public:
    explicit DriveDirectory(char letter);
    void Restore() const;

private:
    wchar_t letter_;
    std::wstring directory_;  // as Windows gives it: cp932 need not carry it
};

}  // namespace framework
