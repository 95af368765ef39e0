// Installs the product's voice data: the archive "音声\wave" of the destination folder is
// unpacked into the folder named by key "WAV" of section "DIR" of the product's settings file.
#pragma once

#include <string>

#include "engine/message_seam.h"

namespace engine {

// `folder` is the update run's working destination folder (ending in its separator). Shows
// the archiver's text under "確認" when it fails; silently does nothing without a voice folder.
void InstallVoiceData(MessageSeam& seam, const std::string& folder,
                      const std::string& settingsFile);

}  // namespace engine
