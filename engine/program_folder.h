// The folder the program runs from (the first update disk): drive and directory ending in a
// separator, or just "A:" at a drive root. Every file of the update disk is named by appending
// to it. Start-up sets it once; afterwards it is only read (tests point it at their own folder).
#pragma once

#include <string>

namespace engine {

const std::string& ProgramFolder();
void SetProgramFolder(std::string folder);

}  // namespace engine
