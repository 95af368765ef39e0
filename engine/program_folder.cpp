#include "engine/program_folder.h"

#include <utility>

namespace engine {

namespace {
std::string& Storage() {
    static std::string folder;
    return folder;
}
}  // namespace

const std::string& ProgramFolder() { return Storage(); }

void SetProgramFolder(std::string folder) { Storage() = std::move(folder); }

}  // namespace engine
