// Helpers shared by the test programs: a private folder that disappears afterwards, and
// whole-file reads and writes with cp932 paths.
#pragma once

#include <string>

namespace testing_support {

// A fresh, empty folder under the system's temporary folder, removed with its contents when
// the object goes. path() ends in a separator.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
void MakeDir(const std::string& path);
void RemoveTree(const std::string& path);

}  // namespace testing_support
