// Files as the program sees them: a directory search and a text file read line by line.
#pragma once

#include <windows.h>

#include <string>

#include "framework/handles.h"
#include "text/line_reader.h"

namespace framework {

// True when a file or folder of that path exists.
bool PathExists(const std::string& path);

// Walks the entries that match a pattern such as "c:\*.*". After a successful FindFile the
// first entry is current; Next moves on and is false after the last one.
class FileFind {
public:
    bool FindFile(const std::string& pattern);
    bool Next();
    void Close() { handle_.Reset(); }

    std::string FileName() const { return data_.cFileName; }
    bool IsDirectory() const { return (data_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    bool IsDots() const;

private:
    FindHandle handle_;
    WIN32_FIND_DATAA data_{};
};

// A text file read in the C runtime's text mode, one line at a time without its line end.
class TextFile {
public:
    bool Open(const std::string& path) { return reader_.Open(path); }
    // False at the end of the file or on a read error.
    bool ReadString(std::string& line) {
        return reader_.ReadLine(line) == text::LineReader::Status::kLine;
    }

private:
    text::LineReader reader_;
};

}  // namespace framework
