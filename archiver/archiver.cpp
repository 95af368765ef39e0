#include "archiver/archiver.h"

#include <windows.h>

#include <new>

#include "archiver/command.h"
#include "archiver/extract.h"
#include "archiver/texts.h"

namespace archiver {

namespace {

bool IsFile(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

Outcome Run(const char* text) {
    Command command;
    std::string error;
    if (!ParseCommand(text != nullptr ? text : "", IsFile, command, error)) {
        return {kResultBadCommand, error};
    }
    return command.kind == CommandKind::kList ? ListArchive(command) : ExtractArchive(command);
}

}  // namespace

// The archiver keeps no state between commands, so there is nothing to set up.
void PrepareArchiver() {}

int RunArchiverCommand(void* /*owner: no window of our own*/, const char* command, char* output,
                       size_t size) {
    Outcome outcome;
    try {
        outcome = Run(command);
    } catch (const std::bad_alloc&) {
        outcome = {kResultWriteFailed, kOutOfMemory};
    }
    CopyOutput(outcome.text, output, size);
    return outcome.result;
}

}  // namespace archiver
