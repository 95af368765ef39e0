// The little the disk tool needs of the platform: folders, file sizes and text conversion.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace disk {

// The names in a folder (no "." or ".."); nothing when it cannot be listed.
std::optional<std::vector<std::string>> ListFolder(const std::string& path);
bool IsFolder(const std::string& path);
std::optional<uint64_t> FileSize(const std::string& path);
// Creates a folder; true also when it is there already.
bool MakeFolder(const std::string& path);
// Removes an empty folder (the runtime's remove() takes no folder on Windows).
bool RemoveFolder(const std::string& path);
// A file's modification time: seconds since 1970 (UTC) and the MS-DOS stamp of the local clock.
bool FileTimes(const std::string& path, int64_t& unixTime, uint32_t& dosTime);
// UTF-8 to cp932; nothing when a character has no cp932 form.
std::optional<std::string> ToCp932(const std::string& utf8);
// A path given in the project file (UTF-8) as the platform's file calls take it.
std::optional<std::string> ToPlatformPath(const std::string& utf8);
// A name of the file system as an archive stores it (cp932).
std::string StoredName(const std::string& name);
// A cp932 text as the console shows it.
std::string ForConsole(const std::string& cp932);
// Runs a program found on the PATH with `argv`, its output (standard and error) into `output`:
// its exit code, or nothing when it could not be run. Only on Linux, where the signing tools are.
std::optional<int> RunTool(const std::vector<std::string>& argv, std::string& output);
// A new empty folder for the tools' files; nothing when none can be made.
std::optional<std::string> MakeTempFolder();

}  // namespace disk
