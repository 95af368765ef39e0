// Renovo's own LZH archiver, driven by one-line commands such as
//   e -mcwC:\WINDOWS "A:SYS01" "C:\PRODUCT\SYSTEM\"
// 0 = the command succeeded; any other value = it failed and `output` holds the text to show.
#pragma once

#include <cstddef>

namespace archiver {

// Called once by each caller before its commands.
void PrepareArchiver();

// Runs `command` synchronously. Writes a zero-terminated text into `output`, never more than
// `size` bytes, terminator included (nothing when size is 0). `owner` is the window that
// owns any message of the archiver's own (may be null).
int RunArchiverCommand(void* owner, const char* command, char* output, size_t size);

}  // namespace archiver
