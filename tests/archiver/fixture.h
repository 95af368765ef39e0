// Helpers shared by the archiver's Win32 tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace archiver_test {

// A host path (as CMake knows it) as Wine's Z: drive shows it.
std::string WinePath(const std::string& hostPath);

// A fixture archive of tests/archiver/data, by file name.
std::string DataFile(const std::string& name);

// The contents the fixture archives hold (see tools/make-archiver-fixtures.sh).
std::string NumbersText();
std::string BinaryData();

// Names of the entries of `folder` (no "." or ".."), sorted.
std::vector<std::string> ListFolder(const std::string& folder);

// One command of the support console's language, carried out.
struct RunResult {
    int result = 0;
    std::string text;
};
RunResult RunCommand(const std::string& command);

// Builds a level-0 archive of stored (-lh0-) members with whatever names the test needs.
class StoredArchive {
public:
    StoredArchive& Add(const std::string& name, const std::string& data,
                       const char* method = "-lh0-");
    std::string Bytes() const { return bytes_ + std::string(1, '\0'); }

private:
    std::string bytes_;
};

uint16_t Crc16(const std::string& data);

}  // namespace archiver_test
