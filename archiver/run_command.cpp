#include "archiver/run_command.h"

#include <windows.h>

#include <new>
#include <string>

#include "archiver/command.h"
#include "archiver/extract.h"
#include "archiver/texts.h"
#include "framework/files.h"

namespace archiver {

namespace {

bool IsFile(const std::string& path) {
    DWORD attributes = framework::AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

Outcome Run(std::string_view text) {
    Command command;
    std::string error;
    if (!ParseCommand(text, IsFile, command, error)) {
        return {Result::kBadCommand, error};
    }
    if (command.kind == CommandKind::kList) {
        return ListArchive(command.archive);
    }
    return Extract(command.archive, command.destination, Callbacks{},
                   command.replaceAlways ? Replace::kAlways : Replace::kUnlessNewer);
}

}  // namespace

Outcome RunCommand(std::string_view command) {
    try {
        return Run(command);
    } catch (const std::bad_alloc&) {
        return {Result::kWriteFailed, kOutOfMemory};
    }
}

}  // namespace archiver
