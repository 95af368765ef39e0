// Helpers shared by the test programs: a private folder that disappears afterwards, and
// whole-file reads and writes with cp932 paths.
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif

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

#ifdef _WIN32
// A fresh folder on the small file system of its own that the test command mounts for the
// disk-full tests (tools/small-disk.sh; its host path in RENOVO_SMALL_DISK), removed with its
// contents when the object goes. Mounting needs root: without it there is none, and
// unavailable() says so for the test's skip message.
class SmallDiskFolder {
public:
    SmallDiskFolder();
    ~SmallDiskFolder();
    SmallDiskFolder(const SmallDiskFolder&) = delete;
    SmallDiskFolder& operator=(const SmallDiskFolder&) = delete;

    const std::string& unavailable() const { return unavailable_; }
    const std::string& path() const { return path_; }  // ends in a separator
    std::string operator/(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
    std::string unavailable_;
};

// What Windows must hold for a cp932 text, converted with 932 on its own; and a window's text
// read through the W call, so that the runs at 1252 and 65001 see what a user would.
std::wstring From932(const std::string& cp932);
std::wstring WindowTextW(HWND window);

// The code page a run at another one names (RENOVO_CODE_PAGE), else the system's: the suites
// assert it first, so that a run meant for 1252 or 65001 cannot pass at 932 unseen.
UINT NamedCodePage();
#endif

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
void MakeDir(const std::string& path);
void RemoveTree(const std::string& path);

}  // namespace testing_support
