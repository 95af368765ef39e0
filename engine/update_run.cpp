#include "engine/update_run.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "archiver/archiver.h"
#include "archiver/command.h"
#include "backup/backup_set.h"
#include "backup/texts.h"
#include "engine/change_checks.h"
#include "engine/command_line.h"
#include "engine/install_log.h"
#include "engine/manifest.h"
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

// What one run holds besides the context.
struct Run {
    UpdateContext& ctx;
    MessageSeam& seam;
    std::string folder;  // working copy of destFolder, completed by the settings lookup
    Checks checks = Checks::kMade;
    int currentDisk = 1;
    bool master21Copied = false;
    int announcedThrough = -1;  // the last entry whose disk was checked and announced
    std::vector<std::vector<std::string>> entryTargets{};  // what each announced entry replaces
    backup::BackupSet* backup = nullptr;     // the run's way back, from its first change on
    replace::Observer* observer = nullptr;   // told of every file the run replaces
    RunOutcome stop = RunOutcome::kStopped;  // how the run ends when an entry fails
    std::vector<std::string> failedSteps{};  // conversions and voice data that failed
};

const char* AnswerName(int answer) {
    return answer == kAnswerOk       ? "OK"
           : answer == kAnswerCancel ? "Cancel"
           : answer == kAnswerRetry  ? "Retry"
                                     : "none";
}

// A message of several lines, on one line of the log.
std::string OneLine(std::string text) {
    for (size_t at = 0; (at = text.find('\n', at)) != std::string::npos;) {
        text.replace(at, 1, " / ");
    }
    return text;
}

// Every message the run shows (or, unattended, would show) goes into the log with its answer.
class LoggedSeam : public MessageSeam {
public:
    explicit LoggedSeam(MessageSeam& inner) : inner_(inner) {}
    int ShowMessage(const std::string& text, const std::string& caption, Buttons buttons) override {
        const int answer = inner_.ShowMessage(text, caption, buttons);
        LogLine("message [" + caption + "] " + OneLine(text) + " -> " + AnswerName(answer));
        return answer;
    }
    void BeginWaitCursor() override { inner_.BeginWaitCursor(); }
    void EndWaitCursor() override { inner_.EndWaitCursor(); }
    void* OwnerWindow() const override { return inner_.OwnerWindow(); }
    void ShowEntry(int number, int count, int disk, const std::string& name) override {
        inner_.ShowEntry(number, count, disk, name);
    }
    void ShowFile(const std::string& name, uint64_t done, uint64_t total) override {
        inner_.ShowFile(name, done, total);
    }
    void ShowConversion(const std::string& file) override { inner_.ShowConversion(file); }
    void EndProgress() override { inner_.EndProgress(); }

private:
    MessageSeam& inner_;
};

// The backup set keeps each old file; the log records each new one with its size.
class LoggedReplace : public replace::Observer {
public:
    explicit LoggedReplace(backup::BackupSet* backup) : backup_(backup) {}
    bool BeforePutInPlace(const std::string& target) override {
        const bool kept = backup_ == nullptr || backup_->BeforePutInPlace(target);
        if (!kept) {
            LogFailure("backup of " + target + " failed", GetLastError());
        }
        return kept;
    }
    bool BeforePutInPlaceAll(const std::vector<std::string>& targets) override {
        const bool kept = backup_ == nullptr || backup_->BeforePutInPlaceAll(targets);
        if (!kept) {
            LogFailure("backup of " + std::to_string(targets.size()) + " files from " +
                           targets.front() + " on failed",
                       GetLastError());
        }
        return kept;
    }
    void AfterPutInPlace(const std::string& target, uint64_t size, uint32_t crc) override {
        LogLine("written " + target + " (" + std::to_string(size) + " bytes)");
        if (backup_ != nullptr) {
            backup_->AfterPutInPlace(target, size, crc);
        }
    }

private:
    backup::BackupSet* backup_;  // null: a run measured without its backups
};

const char* Passed(bool passed) {
    return passed ? "passed" : "failed";
}

// The entry's folder is journalled, and the old files it replaces, kept on their own thread
// since its disk was announced, are waited for: a backup that fails stops the entry before
// anything of it is replaced.
bool KeepEntry(Run& run, int i, const std::string& folder) {
    return run.backup == nullptr ||
           (run.backup->BeforeCreateFolder(folder) &&
            run.backup->WaitUntilKept(run.entryTargets[static_cast<size_t>(i)]));
}

bool KeepSettings(Run& run, const std::string& path) {
    return run.backup == nullptr || run.backup->BeforeWriteInPlace(path);
}

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
    run.stop = RunOutcome::kRefused;
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
    if (const int escaping = FirstEscapingEntry(ctx); escaping >= 0) {
        LogLine("check subfolders: failed, entry " + std::to_string(escaping + 1) + " names " +
                ctx.entrySubFolder[escaping]);
        Refuse(run, Format(kSubFolderOutside, ctx.entrySubFolder[escaping].c_str()).c_str());
        return 0;
    }
    const bool located = LocateSettingsFile(run);
    LogLine("check settings file " + ctx.settingsFile + " in " + run.folder + ": " +
            Passed(located));
    if (!located) {
        return Refuse(run, kWrongFolder);
    }
    const bool menus = settings::CheckMenuSettings(run.folder, ctx.settingsFile) == 1;
    LogLine(std::string("check menu files: ") + Passed(menus));
    const bool version =
        menus && settings::CheckInstalledVersion(ctx.requiredVersion, run.folder) == 1;
    if (menus) {
        LogLine("check version " + ctx.requiredVersion + ": " + Passed(version));
    }
    if (!version) {
        return Refuse(run, kCannotUpdate);
    }
    ctx.systemNumber = settings::GetSystemNumber(ctx.systemNames, run.folder, ctx.settingsFile);
    LogLine("check system: " + (ctx.systemNumber == -1 ? std::string("not identified")
                                                       : std::to_string(ctx.systemNumber)));
    if (ctx.systemNumber == -1) {
        return Refuse(run, kCannotUpdate);
    }
    return 1;
}

// The root of the folder's drive ("A:" and "A:\UPD\" both give "A:\"); empty when the
// folder names no drive letter.
std::string DriveRoot(const std::string& folder) {
    if (folder.size() >= 2 && folder[1] == ':') {
        return folder.substr(0, 2) + "\\";
    }
    return {};
}

// Floppy disks, and CDs too: an update on several CDs asks for each as one on floppies does.
bool ProgramOnRemovableMedia() {
    const std::string root = DriveRoot(ProgramFolder());
    if (root.empty()) {
        return false;
    }
    const UINT type = GetDriveTypeA(root.c_str());
    return type == DRIVE_REMOVABLE || type == DRIVE_CDROM;
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
    run.stop = RunOutcome::kCancelled;
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

// The archiver's word on how far it is, passed on to whatever shows the run's progress.
class ArchiveProgress : public archiver::Progress {
public:
    explicit ArchiveProgress(MessageSeam& seam) : seam_(seam) {}
    void Advance(const std::string& member, uint64_t done, uint64_t total) override {
        seam_.ShowFile(member, done, total);
    }

private:
    MessageSeam& seam_;
};

bool ExtractArchive(Run& run, int i, const std::string& entryFolder) {
    const std::string archive = SourceOnDisk(run.ctx, i);
    ArchiveProgress progress(run.seam);
    const archiver::Outcome outcome =
        archiver::Extract(archive, entryFolder, {&progress, run.observer});
    if (outcome.result != archiver::Result::kDone) {
        LogLine("archive " + archive + " failed: " + OneLine(outcome.text));
        Report(run, outcome.text);
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

std::string PlainTarget(const Run& run, int i) {
    const text::PathParts parts = text::SplitPath(run.ctx.entryName[i]);
    return run.folder + run.ctx.entrySubFolder[i] + parts.fname + parts.ext;
}

bool CopyPlainFile(Run& run, int i, const std::string& entryFolder) {
    const std::string source = ProgramFolder() + run.ctx.entryName[i];
    const text::PathParts parts = text::SplitPath(source);
    if (parts.fname.starts_with(kMaster21Prefix)) {
        run.master21Copied = true;
    }
    const std::string target = entryFolder + parts.fname + parts.ext;
    run.seam.ShowFile(parts.fname + parts.ext, 0, 1);
    if (!replace::ReplaceWithCopy(source, target, run.observer)) {
        LogFailure("copy of " + source + " to " + target + " failed", GetLastError());
        Report(run, Format(kUpdateFailed, target.c_str()));
        return false;
    }
    run.seam.ShowFile(parts.fname + parts.ext, 1, 1);
    if (!ClearAttributes(target)) {
        LogFailure("attributes of " + target + " not set", GetLastError());
        Report(run, Format(kAttributeFailed, source.c_str()));
        return false;
    }
    return true;
}

// Told before the disk prompt, so that the prompt stands in front of the entry it is for.
void AnnounceEntry(Run& run, int i, const std::string& entryFolder) {
    const UpdateContext& ctx = run.ctx;
    LogLine("entry " + std::to_string(i + 1) + "/" + std::to_string(ctx.entryCount) + ": disk " +
            std::to_string(ctx.entryDisk[i]) + ", kind " + std::to_string(ctx.entryKind[i]) +
            ", source " + SourceOnDisk(ctx, i) + ", folder " + entryFolder);
    run.seam.ShowEntry(i + 1, ctx.entryCount, ctx.entryDisk[i], ctx.entryName[i]);
}

// What the entries from `i` on that lie on the same disk create and replace: their folders,
// the plain files and the archives' members (each entry's also kept in run.entryTargets). An
// archive that cannot be read through is left to its extraction, which reports it.
struct DiskChanges {
    int end = 0;  // the entry after the disk's last
    std::vector<std::string> folders;
    std::vector<std::string> files;
    std::string refusal;  // the archiver's text for a member name extraction would refuse
    std::string refused;  // and its archive
};

DiskChanges ListDisk(Run& run, int i) {
    const UpdateContext& ctx = run.ctx;
    DiskChanges disk;
    run.entryTargets.resize(static_cast<size_t>(ctx.entryCount));
    for (disk.end = i; disk.end < ctx.entryCount && ctx.entryDisk[disk.end] == ctx.entryDisk[i];
         ++disk.end) {
        const int e = disk.end;
        const std::string entryFolder = run.folder + ctx.entrySubFolder[e];
        disk.folders.push_back(entryFolder);
        std::vector<std::string>& targets = run.entryTargets[static_cast<size_t>(e)];
        if (ctx.entryKind[e] == 1) {
            if (!archiver::ListTargets(SourceOnDisk(ctx, e), entryFolder, targets, &disk.refusal) &&
                !disk.refusal.empty()) {
                disk.refused = SourceOnDisk(ctx, e);
                break;
            }
        } else {
            targets.push_back(PlainTarget(run, e));
        }
        disk.files.insert(disk.files.end(), targets.begin(), targets.end());
    }
    return disk;
}

std::string WithSeparator(const std::string& folder) {
    return folder.empty() || archiver::EndsWithSeparator(folder) ? folder : folder + "\\";
}

// With the first disk, what the rest of the run writes that is known before its disks are in:
// the product folder (the backup set goes there), every entry's folder and plain file, the
// settings file written in place, the voice data and the master files.
void AddRestOfRun(const Run& run, ChangeList& changes) {
    const UpdateContext& ctx = run.ctx;
    changes.folders.push_back(run.folder);
    changes.made.push_back(run.folder + backup::kBackupFolder + "\\0000\\" + backup::kJournalName);
    for (int i = 0; i < ctx.entryCount; ++i) {
        changes.folders.push_back(run.folder + ctx.entrySubFolder[i]);
        if (ctx.entryKind[i] != 1) {
            changes.made.push_back(PlainTarget(run, i));
        }
    }
    if (text::FlagIsOn(ctx.digitizerOption)) {
        changes.files.push_back(run.folder + ctx.settingsFile);
        const std::string voice = VoiceFolder(run.folder, ctx.settingsFile);
        if (!voice.empty()) {
            changes.folders.push_back(WithSeparator(voice));
            archiver::ListTargets(VoiceArchiveFile(run.folder), voice, changes.files);
        }
    }
    if (text::FlagIsOn(ctx.masterAdjust)) {
        for (const std::string& folder :
             settings::MasterFolders(run.folder + settings::kTovakaIni)) {
            if (!settings::PathExists(folder)) {
                continue;  // nothing to convert there
            }
            changes.folders.push_back(folder);
            changes.made.push_back(folder + settings::kMasterPattern);
            std::vector<std::string> names;
            settings::ListMasterFiles(folder + settings::kMasterPattern, names);
            for (const std::string& name : names) {
                changes.files.push_back(folder + name);
            }
        }
    }
}

// Before anything of the disk changes (with the first disk, before anything at all): a path
// too long or a folder that may not be written refuses; files in use ask to be closed. false:
// the run ends, the user told, run.stop set.
bool CheckDisk(Run& run, const DiskChanges& disk, bool first) {
    ChangeList changes{disk.folders, disk.files, {}};
    if (first) {
        AddRestOfRun(run, changes);
    }
    switch (CheckBeforeChanges(changes, run.seam, first ? kCaptionError : kCaptionConfirm)) {
        case CheckResult::kPassed:
            return true;
        case CheckResult::kRefused:
            run.stop = first ? RunOutcome::kRefused : RunOutcome::kStopped;
            return false;
        case CheckResult::kCancelled:
            if (!first) {
                Report(run, kCancelled);  // as the disk prompt's Cancel: the way back is there
            }
            run.stop = first ? RunOutcome::kInUse : RunOutcome::kInUseLater;
            return false;
    }
    return false;
}

// Once a disk is in the drive, it is checked; then the backups learn of everything its
// entries will create and replace (the folders, the plain files, the archives' members) in one
// go, so that the journal costs one flush a disk rather than one a file; with the first disk,
// the settings file the run writes at its end, which nothing before changes.
bool PrepareDisk(Run& run, int i) {
    const UpdateContext& ctx = run.ctx;
    if (i <= run.announcedThrough) {
        return true;
    }
    const bool first = run.announcedThrough < 0;
    const bool checked = run.checks == Checks::kMade;
    if (!checked && run.backup == nullptr) {
        run.announcedThrough = ctx.entryCount - 1;
        return true;
    }
    const DiskChanges disk = ListDisk(run, i);
    if (!disk.refusal.empty()) {
        // A name extraction would refuse: refused now, before anything opens a path made from it.
        LogLine("archive " + disk.refused + " refused: " + disk.refusal);
        Report(run, disk.refusal);
        return false;
    }
    if (checked && !CheckDisk(run, disk, first)) {
        return false;
    }
    run.announcedThrough = disk.end - 1;
    if (run.backup == nullptr) {
        return true;
    }
    std::vector<std::string> inPlace;
    if (first && text::FlagIsOn(ctx.digitizerOption)) {
        inPlace.push_back(run.folder + ctx.settingsFile);
    }
    if (!run.backup->BeforeInstalling(disk.folders, disk.files, inPlace)) {
        LogFailure("backup of disk " + std::to_string(ctx.entryDisk[i]) + " failed",
                   GetLastError());
        Report(run, Format(kUpdateFailed, (run.folder + ctx.entrySubFolder[i]).c_str()));
        return false;
    }
    return true;
}

bool InstallEntry(Run& run, int i) {
    const std::string entryFolder = run.folder + run.ctx.entrySubFolder[i];
    AnnounceEntry(run, i, entryFolder);
    if (!AskForDisk(run, i) || !PrepareDisk(run, i)) {
        return false;
    }
    if (!KeepEntry(run, i, entryFolder)) {
        LogFailure("backup of folder " + entryFolder + " failed", GetLastError());
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
    for (int i = 0; i < run.ctx.entryCount; ++i) {
        if (run.ctx.entryKind[i] == 1) {
            ApplyStartRule(run.ctx, i);
        }
    }
    if (run.ctx.entryCount == 0 && run.checks == Checks::kMade) {
        return CheckDisk(run, DiskChanges{}, true);  // the rest of the run all the same
    }
    for (int i = 0; i < run.ctx.entryCount; ++i) {
        if (!InstallEntry(run, i)) {
            return false;
        }
    }
    return true;
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
    // The whole value: a title is never written back cut short.
    const std::string title = settings::ReadWholeProfileString(path, kSectionSystem, kKeyTitle);
    if (text::FindOnBoundary(title, kTitleMark) != std::string::npos) {
        return true;
    }
    return WriteSystemKey(path, kKeyTitle, title + kTitleSuffix);
}

// false: a write failed (already reported).
bool RecordDigitizer(Run& run) {
    const std::string path = run.folder + run.ctx.settingsFile;
    const bool written = KeepSettings(run, path) && WriteSystemKey(path, kKeyDigitizer, kOn) &&
                         (!run.master21Copied || WriteSystemKey(path, kKeyDigitizerMaster, kOn)) &&
                         ExtendTitle(path);
    LogLine("digitizer option recorded in " + path + ": " + Passed(written));
    if (!written) {
        LogFailure("settings write failed", GetLastError());
        Report(run, Format(kUpdateFailed, path.c_str()));
        return false;
    }
    if (!InstallVoiceData(run.seam, run.folder, run.ctx.settingsFile, run.observer)) {
        run.failedSteps.push_back("voice data");
    }
    return true;
}

void LogConversion(const char* name, const std::string& path, bool passed,
                   const settings::ConversionReport& report) {
    LogLine(std::string(name) + " conversion (" + path + "): " + Passed(passed));
    for (const settings::FolderCount& folder : report) {
        LogLine("  master files converted in " + folder.folder + ": " +
                std::to_string(folder.files));
    }
}

// Both conversions read tovaka1.ini, whatever the settings file is; neither stops the run.
void ConvertMasters(Run& run) {
    WaitCursor wait(run.seam);
    const std::string path = run.folder + settings::kTovakaIni;
    run.seam.ShowConversion(kSizeConversionName);
    settings::ConversionReport report;
    const bool size = settings::ConvertMaterialSize(path, &report, run.observer) != 0;
    LogConversion("material size", path, size, report);
    if (!size) {
        run.failedSteps.push_back("material size conversion");
        Report(run, kSizeConversionFailed);
    }
    run.seam.ShowConversion(kTypeConversionName);
    report.clear();
    const bool type = settings::ConvertMaterialType(path, &report, run.observer) != 0;
    LogConversion("material type", path, type, report);
    if (!type) {
        run.failedSteps.push_back("material type conversion");
        Report(run, kTypeConversionFailed);
    }
}

std::string OutcomeName(const Run& run, RunOutcome outcome) {
    switch (outcome) {
        case RunOutcome::kUpdated:
            return "updated";
        case RunOutcome::kRefused:
            return "refused before installing";
        case RunOutcome::kStopped:
            return "stopped part-way";
        case RunOutcome::kCancelled:
            return "cancelled";
        case RunOutcome::kInUse:
            return "files in use, nothing changed";
        case RunOutcome::kInUseLater:
            return "files in use, nothing of this disk changed";
        case RunOutcome::kStepsFailed: {
            std::string steps;
            for (const std::string& step : run.failedSteps) {
                steps += (steps.empty() ? "" : ", ") + step;
            }
            return "updated, but failed: " + steps;
        }
    }
    return "";
}

RunOutcome Install(Run& run, Backups backups) {
    backup::BackupSet backup(run.folder, backup::Saving::kLinkWherePossible, run.ctx.settingsFile);
    LoggedReplace observer(backups == Backups::kKept ? &backup : nullptr);
    run.observer = &observer;
    if (backups == Backups::kKept) {
        run.backup = &backup;
    }
    const bool installed =
        InstallEntries(run) && (!text::FlagIsOn(run.ctx.digitizerOption) || RecordDigitizer(run));
    if (installed && text::FlagIsOn(run.ctx.masterAdjust)) {
        ConvertMasters(run);
    }
    LogLine("backup set: " +
            (backup.folder().empty() ? std::string("none (nothing changed)") : backup.folder()));
    if (!installed) {
        return run.stop;
    }
    return run.failedSteps.empty() ? RunOutcome::kUpdated : RunOutcome::kStepsFailed;
}

}  // namespace

RunOutcome RunUpdateOutcome(UpdateContext& ctx, MessageSeam& seam, Backups backups, Checks checks) {
    LoggedSeam logged(seam);
    WaitCursor wait(logged);
    Run run{ctx, logged, ctx.destFolder, checks};
    LogLine("destination folder " + ctx.destFolder);
    RunOutcome outcome = RunOutcome::kRefused;
    if (Preflight(run) != 0) {
        outcome = Install(run, backups);
        logged.EndProgress();
        // A failed conversion or voice data was reported as the Parts say; the run still ends
        // so, and only its exit code tells the fleet.
        if (outcome == RunOutcome::kUpdated || outcome == RunOutcome::kStepsFailed) {
            Report(run, kUpdated);
        }
    }
    LogLine("result: " + OutcomeName(run, outcome));
    return outcome;
}

int RunUpdate(UpdateContext& ctx, MessageSeam& seam, Backups backups, Checks checks) {
    const RunOutcome outcome = RunUpdateOutcome(ctx, seam, backups, checks);
    return outcome == RunOutcome::kRefused || outcome == RunOutcome::kInUse ? 0 : 1;
}

int ExitCodeOf(RunOutcome outcome) {
    switch (outcome) {
        case RunOutcome::kUpdated:
            return kExitDone;
        case RunOutcome::kRefused:
            return kExitRefused;
        case RunOutcome::kStopped:
            return kExitStopped;
        case RunOutcome::kCancelled:
            return kExitCancelled;
        case RunOutcome::kInUse:
        case RunOutcome::kInUseLater:
            return kExitInUse;
        case RunOutcome::kStepsFailed:
            return kExitStepFailed;
    }
    return kExitStopped;
}

}  // namespace engine
