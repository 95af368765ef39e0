#include "engine/voice_data.h"

#include <windows.h>

#include <array>

#include "archiver/archiver.h"
#include "archiver/command.h"
#include "engine/install_log.h"
#include "engine/texts.h"
#include "framework/files.h"
#include "settings/folder_checks.h"
#include "settings/masters.h"

namespace engine {

namespace {

constexpr size_t kOutputSize = 100;

}  // namespace

std::string WindowsFolder() {
    std::string buffer(MAX_PATH + 1, '\0');
    for (;;) {
        const UINT n = GetWindowsDirectoryA(buffer.data(), static_cast<UINT>(buffer.size()));
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        buffer.assign(n + 1, '\0');
    }
}

std::string VoiceFolder(const std::string& folder, const std::string& settingsFile) {
    const std::string voice = settings::VoiceFolderSetting(folder + settingsFile);
    return !voice.empty() && framework::PathExists(voice) ? voice : std::string();
}

std::string VoiceArchiveFile(const std::string& folder) {
    return folder + kVoiceArchive + kArchiveExtension;
}

bool InstallVoiceData(MessageSeam& seam, const std::string& folder,
                      const std::string& settingsFile) {
    const std::string windows = WindowsFolder();
    const std::string voice = VoiceFolder(folder, settingsFile);
    if (voice.empty()) {
        return true;
    }
    std::string command;
    archiver::FormatExtractCommand(windows, folder, kVoiceArchive, voice, SIZE_MAX, command);
    std::array<char, kOutputSize> output{};
    if (archiver::RunArchiverCommand(seam.OwnerWindow(), command.c_str(), output.data(),
                                     output.size()) != 0) {
        LogLine("voice data " + VoiceArchiveFile(folder) + " into " + voice +
                " failed: " + output.data());
        seam.ShowMessage(output.data(), kCaptionConfirm, Buttons::kOk);
        return false;
    }
    LogLine("voice data installed into " + voice);
    return true;
}

}  // namespace engine
