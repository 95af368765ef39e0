// libFuzzer target: the archiver's command parser over any bytes, and an extraction command
// as support staff write it, read back. The input is the command line itself; split at its 0
// bytes it also gives the four insertions of the extraction command (Windows folder, archive
// folder, archive name, destination), which must come back from the parser as they went in.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "archiver/command.h"

namespace {

// Any answer will do as long as it is the same for the same path.
bool Exists(const std::string& path) {
    return path.size() % 3 == 0;
}

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

std::vector<std::string> Fields(std::string_view input) {
    std::vector<std::string> fields(1);
    for (char c : input) {
        if (c == '\0') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// What the callers insert: no quotes anywhere, and a Windows folder that neither starts nor
// ends with a blank.
bool Insertable(const std::vector<std::string>& f) {
    for (const std::string& s : f) {
        if (s.find('"') != std::string::npos) {
            return false;
        }
    }
    return !f[0].empty() && !IsBlank(f[0].front()) && !IsBlank(f[0].back()) &&
           !(f[1] + f[2]).empty();
}

void RoundTrip(const std::vector<std::string>& f) {
    const std::string text = "e -mcw" + f[0] + " \"" + f[1] + f[2] + "\" \"" + f[3] + "\"";
    archiver::Command command;
    std::string error;
    Check(archiver::ParseCommand(text, Exists, command, error));
    Check(command.kind == archiver::CommandKind::kExtract && command.noQuestions &&
          command.replaceAlways);
    Check(command.workFolder == f[0]);
    Check(command.archive == archiver::ArchiveFileName(f[1] + f[2], Exists));
    Check(command.destination == f[3]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    archiver::Command command;
    std::string error;
    bool parsed = archiver::ParseCommand(input, Exists, command, error);
    Check(parsed ? !command.archive.empty() : !error.empty());

    std::vector<std::string> fields = Fields(input);
    if (fields.size() == 4 && Insertable(fields)) {
        RoundTrip(fields);
    }
    return 0;
}
