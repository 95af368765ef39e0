// Installs the product's voice data: the archive "音声\wave" of the destination folder is
// unpacked into the folder named by key "WAV" of section "DIR" of the product's settings file.
#pragma once

#include <string>

#include "engine/message_seam.h"

namespace replace {
class Observer;
}

namespace engine {

// `folder` is the update run's working destination folder (ending in its separator), `voice`
// the voice folder the run's plan accepted (engine/plan.h). Shows the archiver's whole text
// under "確認" when it fails, and then returns false; silently does nothing without a voice
// folder. `observer` (may be null) is told of every file replaced.
bool InstallVoiceData(MessageSeam& seam, const std::string& folder, const std::string& voice,
                      replace::Observer* observer);

// The folder the voice data goes into, as the settings file names it (without a separator
// added); empty when there is none on disk, and then nothing is installed.
std::string VoiceFolder(const std::string& folder, const std::string& settingsFile);
// The voice archive's file below the destination folder.
std::string VoiceArchiveFile(const std::string& folder);

}  // namespace engine
