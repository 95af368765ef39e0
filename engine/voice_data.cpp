#include "engine/voice_data.h"

#include "archiver/archiver.h"
#include "engine/install_log.h"
#include "engine/texts.h"
#include "framework/files.h"
#include "settings/folder_checks.h"
#include "settings/masters.h"

namespace engine {

std::string VoiceFolder(const std::string& folder, const std::string& settingsFile) {
    const std::string voice = settings::VoiceFolderSetting(folder + settingsFile);
    return !voice.empty() && framework::PathExists(voice) ? voice : std::string();
}

std::string VoiceArchiveFile(const std::string& folder) {
    return folder + kVoiceArchive + kArchiveExtension;
}

bool InstallVoiceData(MessageSeam& seam, const std::string& folder, const std::string& voice,
                      replace::Observer* observer) {
    if (voice.empty()) {
        return true;
    }
    const archiver::Outcome outcome =
        archiver::Extract(VoiceArchiveFile(folder), voice, {nullptr, observer});
    if (outcome.result != archiver::Result::kDone) {
        LogLine("voice data " + VoiceArchiveFile(folder) + " into " + voice +
                " failed: " + outcome.text);
        seam.ShowMessage(outcome.text, kCaptionConfirm, Buttons::kOk);
        return false;
    }
    LogLine("voice data installed into " + voice);
    return true;
}

}  // namespace engine
