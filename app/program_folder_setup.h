// Where the program folder comes from: the drive and directory of the running executable.
#pragma once

#include <string>
#include <string_view>

namespace app {

// Drive and directory of `exePath` joined ("C:\UPD\" for C:\UPD\RENOVO.EXE); a drive root
// of exactly three characters keeps only the drive ("A:" for A:\RENOVO.EXE), so that names
// appended to it resolve against that drive's current directory.
// The drive and directory are kept whole, however long: cutting them would name the wrong
// files on the update disk, and everything that appends to the folder grows as needed.
std::string ProgramFolderFromPath(std::string_view exePath);

// The full path of the running executable, however long, as Windows gives it (UTF-16: it may
// hold characters that cp932 cannot carry).
std::wstring ModuleFileName();

}  // namespace app
