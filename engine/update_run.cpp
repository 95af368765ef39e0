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
#include "engine/plan.h"
#include "engine/program_folder.h"
#include "engine/receipt_record.h"
#include "engine/texts.h"
#include "engine/voice_data.h"
#include "framework/directory.h"
#include "framework/files.h"
#include "framework/wide.h"
#include "replace/replace_file.h"
#include "settings/folder_checks.h"
#include "settings/masters.h"
#include "settings/profile.h"
#include "settings/texts.h"
#include "text/cp932.h"
#include "text/format.h"
#include "text/path.h"
#include "trust/held_way.h"
#include "trust/run_lock.h"
#include "trust/texts.h"

namespace engine {

namespace {

// What one run holds besides its plan.
struct Run {
    const Plan& plan;
    MessageSeam& seam;
    const std::string& folder;  // the plan's
    Checks checks = Checks::kMade;
    int currentDisk = 1;
    bool master21Copied = false;
    int announcedThrough = -1;  // the last entry whose disk was checked and announced
    std::vector<std::vector<std::string>> entryTargets{};  // what each announced entry replaces
    backup::BackupSet* backup = nullptr;     // the run's way back, from its first change on
    replace::Observer* observer = nullptr;   // told of every file the run replaces
    RunOutcome stop = RunOutcome::kStopped;  // how the run ends when an entry fails
    std::vector<std::string> failedSteps{};  // conversions and voice data that failed
    std::string backupFolder{};              // the run's backup set, once it has ended
    trust::HeldWay way{};  // every folder checked for links, held from its check to the run's end
};

// Every message the run shows (or, unattended, would show) goes into the log with its answer.
class LoggedSeam : public MessageSeam {
public:
    explicit LoggedSeam(MessageSeam& inner) : inner_(inner) {}
    int ShowMessage(const std::string& text, const std::string& caption, Buttons buttons) override {
        const int answer = inner_.ShowMessage(text, caption, buttons);
        LogMessage(caption, text, answer);
        return answer;
    }
    void BeginWaitCursor() override { inner_.BeginWaitCursor(); }
    void EndWaitCursor() override { inner_.EndWaitCursor(); }
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

void Report(Run& run, const std::string& text) {
    run.seam.ShowMessage(text, kCaptionConfirm, Buttons::kOk);
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
    const UINT type = GetDriveTypeW(framework::Wide(root).c_str());
    return type == DRIVE_REMOVABLE || type == DRIVE_CDROM;
}

// The entries from `i` on that lie on the same disk; on a fixed drive, where no disk is ever
// asked for, all of them from `i` on.
std::vector<PlannedEntry> DiskEntries(const Run& run, int i) {
    const std::vector<PlannedEntry>& entries = run.plan.entries;
    size_t end = static_cast<size_t>(i);
    const bool removable = ProgramOnRemovableMedia();
    while (end < entries.size() && (!removable || entries[end].disk == entries[i].disk)) {
        ++end;
    }
    return {entries.begin() + i, entries.begin() + static_cast<std::ptrdiff_t>(end)};
}

// false: the user cancelled (already told so). The disk counts as in the drive once every
// file its entries need is there (a "START" archive's with the variant's number).
bool AskForDisk(Run& run, int i) {
    const int disk = run.plan.entries[i].disk;
    // A whole set copied into one folder (a USB stick) holds every disk's files already.
    if (disk == 1 || disk == run.currentDisk || !ProgramOnRemovableMedia() ||
        (run.currentDisk == 1 && !FirstMissingSource(run.plan.entries))) {
        return true;
    }
    const std::string prompt = text::Format(kInsertDisk, disk);
    while (run.seam.ShowMessage(prompt, kCaptionConfirm, Buttons::kOkCancel) == kAnswerOk) {
        if (!FirstMissingSource(DiskEntries(run, i))) {
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
    if (!framework::PathExists(folder)) {
        framework::MakeFolder(folder);
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
    const std::string& archive = run.plan.entries[i].source;
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
    if (!framework::StatusOf(path, status)) {
        return false;
    }
    return framework::SetAttributesOf(path, FILE_ATTRIBUTE_NORMAL);
}

bool CopyPlainFile(Run& run, const PlannedEntry& entry) {
    const std::string& source = entry.source;
    const std::string& target = entry.target;
    const text::PathParts parts = text::SplitPath(source);
    if (parts.fname.starts_with(kMaster21Prefix)) {
        run.master21Copied = true;
    }
    run.seam.ShowFile(parts.fname + parts.ext, 0, 1);
    if (!replace::ReplaceWithCopy(source, target, run.observer, framework::FullPath(target))) {
        LogFailure("copy of " + source + " to " + target + " failed", GetLastError());
        Report(run, text::Format(kUpdateFailed, target.c_str()));
        return false;
    }
    run.seam.ShowFile(parts.fname + parts.ext, 1, 1);
    if (!ClearAttributes(target)) {
        LogFailure("attributes of " + target + " not set", GetLastError());
        Report(run, text::Format(kAttributeFailed, source.c_str()));
        return false;
    }
    return true;
}

// Told before the disk prompt, so that the prompt stands in front of the entry it is for.
void AnnounceEntry(Run& run, int i) {
    const PlannedEntry& entry = run.plan.entries[i];
    const int count = static_cast<int>(run.plan.entries.size());
    LogLine("entry " + std::to_string(i + 1) + "/" + std::to_string(count) + ": disk " +
            std::to_string(entry.disk) + ", " +
            (entry.kind == EntryKind::kArchive ? "archive" : "plain file") + ", source " +
            entry.source + ", folder " + entry.folder);
    run.seam.ShowEntry(i + 1, count, entry.disk, entry.name);
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
    const std::vector<PlannedEntry>& entries = run.plan.entries;
    const int count = static_cast<int>(entries.size());
    DiskChanges disk;
    run.entryTargets.resize(entries.size());
    for (disk.end = i; disk.end < count && entries[disk.end].disk == entries[i].disk; ++disk.end) {
        const PlannedEntry& entry = entries[disk.end];
        disk.folders.push_back(entry.folder);
        std::vector<std::string>& targets = run.entryTargets[static_cast<size_t>(disk.end)];
        if (entry.kind == EntryKind::kArchive) {
            if (!archiver::ListTargets(entry.source, entry.folder, targets, &disk.refusal) &&
                !disk.refusal.empty()) {
                disk.refused = entry.source;
                break;
            }
        } else {
            targets.push_back(entry.target);
        }
        disk.files.insert(disk.files.end(), targets.begin(), targets.end());
    }
    return disk;
}

// With the first disk, what the rest of the run writes that is known before its disks are in:
// the product folder (the backup set goes there), every entry's folder and plain file, the
// settings file written in place, the voice data and the master files.
void AddRestOfRun(const Run& run, ChangeList& changes) {
    const Plan& plan = run.plan;
    changes.folders.push_back(run.folder);
    changes.made.push_back(run.folder + backup::kBackupFolder + "\\0000\\" + backup::kJournalName);
    for (const PlannedEntry& entry : plan.entries) {
        changes.folders.push_back(entry.folder);
        if (entry.kind == EntryKind::kPlainFile) {
            changes.made.push_back(entry.target);
        }
    }
    if (plan.digitizer) {
        changes.files.push_back(run.folder + plan.settingsFile);
        const std::string& voice = plan.voiceFolder;
        if (!voice.empty()) {
            changes.folders.push_back(text::WithSeparator(voice));
            archiver::ListTargets(VoiceArchiveFile(run.folder), voice, changes.files);
        }
    }
    if (plan.masterAdjust) {
        for (const std::string& folder : plan.masterFolders) {
            changes.folders.push_back(folder);
            changes.made.push_back(folder + settings::kMasterPattern);
            std::vector<std::string> names;
            std::string unfit;
            settings::ListMasterFiles(folder + settings::kMasterPattern, names, &unfit);
            for (const std::string& name : names) {
                changes.files.push_back(folder + name);
            }
            if (!unfit.empty()) {
                changes.unfit.push_back(folder + unfit);
            }
        }
    }
}

// Every file the disk's entries need is there before anything of it changes. A prompted disk
// was taken only with all of them; at the first disk a missing one refuses the update.
bool SourcesOnDisk(Run& run, int i, bool first) {
    const std::optional<std::string> missing = FirstMissingSource(DiskEntries(run, i));
    LogLine("check files on the update disk: " +
            (missing ? "missing: " + *missing : std::string("passed")));
    if (!missing) {
        return true;
    }
    run.seam.ShowMessage(text::Format(kSourceMissing, *missing),
                         first ? kCaptionError : kCaptionConfirm, Buttons::kOk);
    run.stop = first ? RunOutcome::kRefused : RunOutcome::kStopped;
    return false;
}

// Before anything of the disk changes (with the first disk, before anything at all): a path
// too long or a folder that may not be written refuses; files in use ask to be closed. false:
// the run ends, the user told, run.stop set.
bool CheckDisk(Run& run, const DiskChanges& disk, bool first) {
    ChangeList changes{disk.folders, disk.files, {}, text::WithoutSeparator(run.folder), {}, {}};
    if (first) {
        AddRestOfRun(run, changes);
    }
    if (!run.plan.voiceFolder.empty()) {
        changes.roots.push_back(text::WithoutSeparator(run.plan.voiceFolder));
    }
    for (const std::string& folder : run.plan.masterFolders) {
        changes.roots.push_back(text::WithoutSeparator(folder));
    }
    switch (CheckBeforeChanges(changes, run.seam, first ? kCaptionError : kCaptionConfirm,
                               &run.way)) {
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
    const Plan& plan = run.plan;
    if (i <= run.announcedThrough) {
        return true;
    }
    const bool first = run.announcedThrough < 0;
    if (!SourcesOnDisk(run, i, first)) {
        return false;
    }
    const bool checked = run.checks == Checks::kMade;
    if (!checked && run.backup == nullptr) {
        run.announcedThrough = static_cast<int>(plan.entries.size()) - 1;
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
    if (first && plan.digitizer) {
        inPlace.push_back(run.folder + plan.settingsFile);
    }
    if (!run.backup->BeforeInstalling(disk.folders, disk.files, inPlace)) {
        LogFailure("backup of disk " + std::to_string(plan.entries[i].disk) + " failed",
                   GetLastError());
        Report(run, text::Format(kUpdateFailed, plan.entries[i].folder));
        return false;
    }
    return true;
}

// A folder the run has just made is held too, and refused if it is a link by now.
bool HoldMadeFolder(Run& run, const std::string& folder) {
    if (run.checks == Checks::kSkipped ||
        run.way.HoldBelow(text::WithoutSeparator(run.folder), text::WithoutSeparator(folder)) ||
        !run.way.refusedAsLink()) {
        return true;
    }
    LogLine("folder " + run.way.refused() + " refused: a junction or symbolic link");
    Report(run, text::Format(trust::kLinkOnTheWay, run.way.refused()));
    return false;
}

bool InstallEntry(Run& run, int i) {
    const PlannedEntry& entry = run.plan.entries[i];
    AnnounceEntry(run, i);
    if (!AskForDisk(run, i) || !PrepareDisk(run, i)) {
        return false;
    }
    if (!KeepEntry(run, i, entry.folder)) {
        LogFailure("backup of folder " + entry.folder + " failed", GetLastError());
        Report(run, text::Format(kUpdateFailed, entry.folder));
        return false;
    }
    EnsureFolder(entry.folder);
    if (!HoldMadeFolder(run, entry.folder)) {
        return false;
    }
    if (entry.kind == EntryKind::kArchive) {
        return ExtractArchive(run, i, entry.folder);
    }
    return CopyPlainFile(run, entry);
}

bool InstallEntries(Run& run) {
    if (run.plan.entries.empty() && run.checks == Checks::kMade) {
        return CheckDisk(run, DiskChanges{}, true);  // the rest of the run all the same
    }
    for (int i = 0; i < static_cast<int>(run.plan.entries.size()); ++i) {
        if (!InstallEntry(run, i)) {
            return false;
        }
    }
    return true;
}

bool WriteSystemKey(const std::string& path, const char* key, const std::string& value) {
    return settings::WriteProfileValue(path, kSectionSystem, key, value);
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
    const std::string path = run.folder + run.plan.settingsFile;
    const bool written = KeepSettings(run, path) && WriteSystemKey(path, kKeyDigitizer, kOn) &&
                         (!run.master21Copied || WriteSystemKey(path, kKeyDigitizerMaster, kOn)) &&
                         ExtendTitle(path);
    LogLine("digitizer option recorded in " + path + ": " + Passed(written));
    if (!written) {
        LogFailure("settings write failed", GetLastError());
        Report(run, text::Format(kUpdateFailed, path.c_str()));
        return false;
    }
    if (!InstallVoiceData(run.seam, run.folder, run.plan.voiceFolder, run.observer)) {
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

// The master folders the settings name now, as the plan took them (those that exist).
std::vector<std::string> MasterFoldersNow(const std::string& settingsPath) {
    std::vector<std::string> folders = settings::MasterFolders(settingsPath);
    std::erase_if(folders, [](const std::string& f) { return !framework::PathExists(f); });
    return folders;
}

// Both conversions read tovaka1.ini, whatever the settings file is; neither stops the run.
// They read its folders again: a setting changed since the plan was accepted converts nothing.
void ConvertMasters(Run& run) {
    WaitCursor wait(run.seam);
    const std::string path = run.folder + settings::kTovakaIni;
    if (MasterFoldersNow(path) != run.plan.masterFolders) {
        LogLine("master folders of " + path + " changed since the run began: not converted");
        run.failedSteps.push_back("material size conversion");
        run.failedSteps.push_back("material type conversion");
        Report(run, kSizeConversionFailed);
        return;
    }
    run.seam.ShowConversion(kSizeConversionName);
    settings::ConversionReport report;
    const bool size = settings::ConvertMaterialSize(path, &report, run.observer);
    LogConversion("material size", path, size, report);
    if (!size) {
        run.failedSteps.push_back("material size conversion");
        Report(run, kSizeConversionFailed);
    }
    run.seam.ShowConversion(kTypeConversionName);
    report.clear();
    const bool type = settings::ConvertMaterialType(path, &report, run.observer);
    LogConversion("material type", path, type, report);
    if (!type) {
        run.failedSteps.push_back("material type conversion");
        Report(run, kTypeConversionFailed);
    }
}

std::string OutcomeName(const std::vector<std::string>& failedSteps, RunOutcome outcome) {
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
        case RunOutcome::kAnotherRun:
            return "another run holds the product, nothing changed";
        case RunOutcome::kStepsFailed: {
            std::string steps;
            for (const std::string& step : failedSteps) {
                steps += (steps.empty() ? "" : ", ") + step;
            }
            return "updated, but failed: " + steps;
        }
    }
    return "";
}

RunOutcome Install(Run& run, Backups backups) {
    backup::BackupSet backup(run.folder, backup::Saving::kLinkWherePossible, run.plan.settingsFile);
    LoggedReplace observer(backups == Backups::kKept ? &backup : nullptr);
    run.observer = &observer;
    if (backups == Backups::kKept) {
        run.backup = &backup;
    }
    const bool installed =
        InstallEntries(run) && (!run.plan.digitizer || RecordDigitizer(run));
    if (installed && run.plan.masterAdjust) {
        ConvertMasters(run);
    }
    run.backupFolder = backup.folder();
    LogLine("backup set: " +
            (backup.folder().empty() ? std::string("none (nothing changed)") : backup.folder()));
    if (!installed) {
        return run.stop;
    }
    return run.failedSteps.empty() ? RunOutcome::kUpdated : RunOutcome::kStepsFailed;
}

}  // namespace

RunOutcome RunUpdateOutcome(const UpdateContext& manifest, const std::string& chosenFolder,
                            MessageSeam& seam, Backups backups, Checks checks) {
    LoggedSeam logged(seam);
    WaitCursor wait(logged);
    LogLine("destination folder " + chosenFolder);
    RunOutcome outcome = RunOutcome::kRefused;
    const std::optional<Plan> plan = MakePlan(manifest, chosenFolder, logged);
    std::vector<std::string> failedSteps;
    // Taken before the first change and held to the run's end: two runs never interleave.
    trust::RunLock lock;
    if (plan && lock.Take(plan->folder) == trust::Lock::kBusy) {
        LogLine("run lock of " + plan->folder + ": held by another run");
        logged.ShowMessage(trust::kAnotherRun, kCaptionError, Buttons::kOk);
        outcome = RunOutcome::kAnotherRun;
    } else if (plan) {
        Run run{*plan, logged, plan->folder, checks};
        outcome = Install(run, backups);
        RecordReceipt(manifest, *plan, ExitCodeOf(outcome), run.backupFolder);
        logged.EndProgress();
        // A failed conversion or voice data was reported on its own; the run still ends so,
        // and only its exit code tells the fleet.
        if (outcome == RunOutcome::kUpdated || outcome == RunOutcome::kStepsFailed) {
            Report(run, kUpdated);
        }
        failedSteps = run.failedSteps;
    }
    LogLine("result: " + OutcomeName(failedSteps, outcome));
    return outcome;
}

bool RunUpdate(const UpdateContext& manifest, const std::string& chosenFolder, MessageSeam& seam,
               Backups backups, Checks checks) {
    const RunOutcome outcome = RunUpdateOutcome(manifest, chosenFolder, seam, backups, checks);
    return outcome != RunOutcome::kRefused && outcome != RunOutcome::kInUse &&
           outcome != RunOutcome::kAnotherRun;
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
        case RunOutcome::kAnotherRun:
            return trust::kExitAnotherRun;
    }
    return kExitStopped;
}

}  // namespace engine
