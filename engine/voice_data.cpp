#include "engine/voice_data.h"

#include <windows.h>
#include <io.h>

#include "archiver/archiver.h"
#include "archiver/command.h"
#include "engine/texts.h"
#include "settings/profile.h"

namespace engine {

namespace {

constexpr size_t kWindowsFolderSize = 64;
constexpr size_t kVoiceFolderSize = 100;
constexpr size_t kCommandSize = 100;
constexpr size_t kOutputSize = 100;

// Empty when the Windows folder does not fit its buffer.
std::string WindowsFolder() {
    char buf[kWindowsFolderSize] = {};
    UINT n = GetWindowsDirectoryA(buf, sizeof buf);
    return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
}

std::string VoiceFolder(const std::string& settingsPath) {
    return settings::ReadProfileString(settingsPath, kSectionDir, kKeyWav, "", kVoiceFolderSize);
}

}  // namespace

void InstallVoiceData(MessageSeam& seam, const std::string& folder,
                      const std::string& settingsFile) {
    std::string settingsPath = folder + settingsFile;
    std::string windows = WindowsFolder();
    archiver::PrepareArchiver();
    std::string voice = VoiceFolder(settingsPath);
    if (voice.empty() || _access(voice.c_str(), 0) != 0) {
        return;
    }
    std::string command;
    if (windows.empty() || !archiver::FormatExtractCommand(windows, folder, kVoiceArchive, voice,
                                                           kCommandSize, command)) {
        seam.ShowMessage(kVoiceCommandTooLong, kCaptionConfirm, Buttons::kOk);
        return;
    }
    char output[kOutputSize] = {};
    if (archiver::RunArchiverCommand(seam.OwnerWindow(), command.c_str(), output, sizeof output) !=
        0) {
        seam.ShowMessage(output, kCaptionConfirm, Buttons::kOk);
    }
}

}  // namespace engine
