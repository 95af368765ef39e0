// Files as the program sees them: a directory search and a text file read line by line.
#pragma once

#include <windows.h>

#include <string>

#include "framework/handles.h"
#include "text/line_reader.h"

namespace framework {

// True when a file or folder of that path exists.
bool PathExists(const std::string& path);

// The file calls the program makes, for cp932 paths: each crosses to Windows in UTF-16 (see
// wide.h), so a name means the same file on any system code page.
HANDLE OpenPath(const std::string& path, DWORD access, DWORD share, DWORD creation, DWORD flags,
                SECURITY_ATTRIBUTES* security = nullptr);
DWORD AttributesOf(const std::string& path);  // INVALID_FILE_ATTRIBUTES when not there
bool StatusOf(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& status);
bool SetAttributesOf(const std::string& path, DWORD attributes);
bool DeletePath(const std::string& path);
bool MakeFolder(const std::string& path, SECURITY_ATTRIBUTES* security = nullptr);
bool RemoveFolder(const std::string& path);
bool MovePath(const std::string& from, const std::string& to, DWORD flags = 0);

// Walks the entries that match a pattern such as "c:\*.*". After a successful FindFile the
// first entry is current; Next moves on and is false after the last one. A name cp932 cannot
// carry is still listed (NameFits false, FileName with '?' in its place), so that a caller
// can refuse it by name rather than miss it.
class FileFind {
public:
    bool FindFile(const std::string& pattern);
    bool Next();
    void Close() { handle_.Reset(); }

    const std::string& FileName() const { return name_; }
    bool NameFits() const { return fits_; }
    DWORD Attributes() const { return data_.dwFileAttributes; }
    bool IsDirectory() const { return (data_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    bool IsDots() const;
    const WIN32_FIND_DATAW& Data() const { return data_; }

private:
    void TakeName();

    FindHandle handle_;
    WIN32_FIND_DATAW data_{};
    std::string name_;
    bool fits_ = false;
};

// A text file read in the C runtime's text mode, one line at a time without its line end.
class TextFile {
public:
    bool Open(const std::string& path);
    // False at the end of the file or on a read error.
    bool ReadString(std::string& line) {
        return reader_.ReadLine(line) == text::LineReader::Status::kLine;
    }

private:
    text::LineReader reader_;
};

}  // namespace framework
