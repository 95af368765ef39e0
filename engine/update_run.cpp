#include "engine/update_run.h"

#include <windows.h>

#include <array>
#include <cstdio>
#include <string>

#include "archiver/archiver.h"
#include "archiver/command.h"
#include "backup/backup_set.h"
#include "engine/program_folder.h"
#include "engine/texts.h"
#include "engine/voice_data.h"
#include "replace/replace_file.h"
#include "settings/folder_checks.h"
#include "settings/masters.h"
#include "settings/profile.h"
#include "settings/texts.h"
#include "settings/version_checks.h"
#include "text/cp932.h"

namespace engine {

namespace {

// The archiver's command and output buffers hold this many bytes, terminator included.
constexpr size_t kCommandBuffer = 256;

// What one run holds besides the context.
struct Run {
    UpdateContext& ctx;
    MessageSeam& seam;
    std::string folder;  // working copy of destFolder, completed by the settings lookup
    std::string windowsFolder;
    int currentDisk = 1;
    bool master21Copied = false;
    backup::BackupSet* backup = nullptr;  // the run's way back, from its first change on
};

// printf-style formatting into a string of whatever length the result needs.
template <typename... Args>
std::string Format(const char* format, Args... args) {
    const int n = std::snprintf(nullptr, 0, format, args...);
    if (n <= 0) {
        return {};
    }
    std::string out(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(out.data(), out.size(), format, args...);
    out.pop_back();
    return out;
}

int Refuse(Run& run, const char* text) {
    run.seam.ShowMessage(text, kCaptionError, Buttons::kOk);
    return 0;
}

void Report(Run& run, const std::string& text) {
    run.seam.ShowMessage(text, kCaptionConfirm, Buttons::kOk);
}

// "NULL" leaves the name open: tovaka1.ini, then vestima1.ini; the last name tried stays.
bool LocateSettingsFile(Run& run) {
    std::string& name = run.ctx.settingsFile;
    if (name != settings::kAnyName) {
        return settings::FindSettingsFile(run.folder, name) == 1;
    }
    name = settings::kTovakaIni;
    if (settings::FindSettingsFile(run.folder, name) == 1) {
        return true;
    }
    name = settings::kVestimaIni;
    return settings::FindSettingsFile(run.folder, name) == 1;
}

// Nothing on disk changes here; every refusal returns 0.
int Preflight(Run& run) {
    UpdateContext& ctx = run.ctx;
    if (!LocateSettingsFile(run)) {
        return Refuse(run, kWrongFolder);
    }
    if (settings::CheckMenuSettings(run.folder, ctx.settingsFile) != 1 ||
        settings::CheckInstalledVersion(ctx.requiredVersion, run.folder) != 1) {
        return Refuse(run, kCannotUpdate);
    }
    ctx.systemNumber = settings::GetSystemNumber(ctx.systemNames, run.folder, ctx.settingsFile);
    if (ctx.systemNumber == -1) {
        return Refuse(run, kCannotUpdate);
    }
    return 1;
}

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

// The root of the folder's drive ("A:" and "A:\UPD\" both give "A:\"); empty when the
// folder names no drive letter.
std::string DriveRoot(const std::string& folder) {
    if (folder.size() >= 2 && folder[1] == ':') {
        return folder.substr(0, 2) + "\\";
    }
    return {};
}

bool ProgramOnRemovableMedia() {
    const std::string root = DriveRoot(ProgramFolder());
    return !root.empty() && GetDriveTypeA(root.c_str()) == DRIVE_REMOVABLE;
}

// The file whose presence shows that the entry's disk is in the drive: the very file the
// entry installs (a "START" archive already carries its system number).
std::string SourceOnDisk(const UpdateContext& ctx, int i) {
    std::string source = ProgramFolder() + ctx.entryName[i];
    if (ctx.entryKind[i] == 1) {
        source += kArchiveExtension;
    }
    return source;
}

// false: the user cancelled (already told so).
bool AskForDisk(Run& run, int i) {
    const int disk = run.ctx.entryDisk[i];
    if (disk == 1 || disk == run.currentDisk || !ProgramOnRemovableMedia()) {
        return true;
    }
    const std::string prompt = Format(kInsertDisk, disk);
    const std::string source = SourceOnDisk(run.ctx, i);
    while (run.seam.ShowMessage(prompt, kCaptionConfirm, Buttons::kOkCancel) == kAnswerOk) {
        if (settings::PathExists(source)) {
            run.currentDisk = disk;
            return true;
        }
    }
    Report(run, kCancelled);
    return false;
}

// One level only; a failure shows up in the extraction or copy that follows.
void EnsureFolder(const std::string& folder) {
    if (!settings::PathExists(folder)) {
        CreateDirectoryA(folder.c_str(), nullptr);
    }
}

// Archive "START" (in any folder of the disk) exists once per system variant.
void ApplyStartRule(UpdateContext& ctx, int i) {
    if (text::SplitPath(ctx.entryName[i]).fname == kStartArchive) {
        ctx.entryName[i] += std::to_string(ctx.systemNumber);
    }
}

bool ExtractArchive(Run& run, int i, const std::string& entryFolder) {
    const std::string& name = run.ctx.entryName[i];
    std::string command;
    if (!archiver::FormatExtractCommand(run.windowsFolder, ProgramFolder(), name, entryFolder,
                                        kCommandBuffer, command)) {
        Report(run, Format(kCommandTooLong, (ProgramFolder() + name).c_str()));
        return false;
    }
    std::array<char, kCommandBuffer> output{};
    if (archiver::RunArchiverCommand(run.seam.OwnerWindow(), command.c_str(), output.data(),
                                     output.size()) != 0) {
        output.back() = '\0';
        Report(run, output.data());
        return false;
    }
    return true;
}

// Files copied from a write-protected disk must end up writable; their times stay.
bool ClearAttributes(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA status;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &status)) {
        return false;
    }
    return SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL) != 0;
}

bool CopyPlainFile(Run& run, int i, const std::string& entryFolder) {
    const std::string source = ProgramFolder() + run.ctx.entryName[i];
    const text::PathParts parts = text::SplitPath(source);
    if (parts.fname.starts_with(kMaster21Prefix)) {
        run.master21Copied = true;
    }
    const std::string target = entryFolder + parts.fname + parts.ext;
    if (!replace::ReplaceWithCopy(source, target)) {
        Report(run, Format(kUpdateFailed, target.c_str()));
        return false;
    }
    if (!ClearAttributes(target)) {
        Report(run, Format(kAttributeFailed, source.c_str()));
        return false;
    }
    return true;
}

bool InstallEntry(Run& run, int i) {
    if (run.ctx.entryKind[i] == 1) {
        ApplyStartRule(run.ctx, i);
    }
    if (!AskForDisk(run, i)) {
        return false;
    }
    const std::string entryFolder = run.folder + run.ctx.entrySubFolder[i];
    if (!run.backup->BeforeCreateFolder(entryFolder)) {
        Report(run, Format(kUpdateFailed, entryFolder.c_str()));
        return false;
    }
    EnsureFolder(entryFolder);
    if (run.ctx.entryKind[i] == 1) {
        return ExtractArchive(run, i, entryFolder);
    }
    return CopyPlainFile(run, i, entryFolder);
}

bool InstallEntries(Run& run) {
    run.windowsFolder = WindowsFolder();
    archiver::PrepareArchiver();
    for (int i = 0; i < run.ctx.entryCount; ++i) {
        if (!InstallEntry(run, i)) {
            return false;
        }
    }
    return true;
}

// The whole value, however long: a title is never written back cut short.
std::string ReadWholeValue(const std::string& path, const char* section, const char* key) {
    for (size_t size = 256;; size *= 2) {
        std::string value = settings::ReadProfileString(path, section, key, "", size);
        if (value.size() + 1 < size) {
            return value;
        }
    }
}

// A read-only settings file is refused as Windows refuses it; Wine run as root would write it.
bool WriteSystemKey(const std::string& path, const char* key, const std::string& value) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        return false;
    }
    return WritePrivateProfileStringA(kSectionSystem, key, value.c_str(), path.c_str()) != 0;
}

// The suffix goes on once only, however often the option is installed.
bool ExtendTitle(const std::string& path) {
    const std::string title = ReadWholeValue(path, kSectionSystem, kKeyTitle);
    if (text::FindOnBoundary(title, kTitleMark) != std::string::npos) {
        return true;
    }
    return WriteSystemKey(path, kKeyTitle, title + kTitleSuffix);
}

// false: a write failed (already reported).
bool RecordDigitizer(Run& run) {
    const std::string path = run.folder + run.ctx.settingsFile;
    const bool written = run.backup->BeforeWriteInPlace(path) &&
                         WriteSystemKey(path, kKeyDigitizer, kOn) &&
                         (!run.master21Copied || WriteSystemKey(path, kKeyDigitizerMaster, kOn)) &&
                         ExtendTitle(path);
    if (!written) {
        Report(run, Format(kUpdateFailed, path.c_str()));
        return false;
    }
    InstallVoiceData(run.seam, run.folder, run.ctx.settingsFile);
    return true;
}

// Both conversions read tovaka1.ini, whatever the settings file is; neither stops the run.
void ConvertMasters(Run& run) {
    WaitCursor wait(run.seam);
    const std::string path = run.folder + settings::kTovakaIni;
    if (settings::ConvertMaterialSize(path) == 0) {
        Report(run, kSizeConversionFailed);
    }
    if (settings::ConvertMaterialType(path) == 0) {
        Report(run, kTypeConversionFailed);
    }
}

}  // namespace

int RunUpdate(UpdateContext& ctx, MessageSeam& seam) {
    WaitCursor wait(seam);
    Run run{ctx, seam, ctx.destFolder, {}};
    if (Preflight(run) == 0) {
        return 0;
    }
    backup::BackupSet backup(run.folder);
    replace::ScopedObserver keepOld(backup);
    run.backup = &backup;
    if (!InstallEntries(run)) {
        return 1;
    }
    if (text::FlagIsOn(ctx.digitizerOption) && !RecordDigitizer(run)) {
        return 1;
    }
    if (text::FlagIsOn(ctx.masterAdjust)) {
        ConvertMasters(run);
    }
    Report(run, kUpdated);
    return 1;
}

}  // namespace engine
