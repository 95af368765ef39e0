#include "engine/plan.h"

#include "engine/install_log.h"
#include "engine/manifest.h"
#include "engine/program_folder.h"
#include "engine/texts.h"
#include "engine/voice_data.h"
#include "backup/set_security.h"
#include "framework/files.h"
#include "settings/folder_checks.h"
#include "settings/masters.h"
#include "settings/texts.h"
#include "settings/version_checks.h"
#include "text/cp932.h"
#include "text/format.h"
#include "text/path.h"
#include "trust/access.h"

namespace engine {

namespace {

const char* Passed(bool passed) {
    return passed ? "passed" : "failed";
}

struct Located {
    std::string folder;
    std::string name;
};

// "NULL" leaves the name open: tovaka1.ini, then vestima1.ini, each in the folder as chosen.
std::optional<Located> LocateSettingsFile(const std::string& folder, const std::string& name) {
    if (name != settings::kAnyName) {
        auto found = settings::FindSettingsFile(folder, name);
        return found ? std::optional<Located>(Located{*found, name}) : std::nullopt;
    }
    for (const char* tried : {settings::kTovakaIni, settings::kVestimaIni}) {
        if (auto found = settings::FindSettingsFile(folder, tried)) {
            return Located{*found, tried};
        }
    }
    return std::nullopt;
}

// Archive "START" (in any folder of the disk) exists once per variant.
std::string ResolvedName(const std::string& name, EntryKind kind, int systemNumber) {
    if (kind == EntryKind::kArchive && text::SplitPath(name).fname == kStartArchive) {
        return name + std::to_string(systemNumber);
    }
    return name;
}

PlannedEntry PlanEntry(const UpdateContext& manifest, int i, const Plan& plan) {
    PlannedEntry entry;
    entry.disk = manifest.entryDisk[i];
    entry.kind = manifest.entryKind[i];
    entry.name = ResolvedName(manifest.entryName[i], entry.kind, plan.systemNumber);
    entry.source = ProgramFolder() + entry.name;
    entry.folder = plan.folder + manifest.entrySubFolder[i];
    if (entry.kind == EntryKind::kArchive) {
        entry.source += kArchiveExtension;
    } else {
        const text::PathParts parts = text::SplitPath(entry.name);
        entry.target = entry.folder + parts.fname + parts.ext;
    }
    return entry;
}

std::optional<Plan> Refuse(MessageSeam& seam, const std::string& text) {
    seam.ShowMessage(text, kCaptionError, Buttons::kOk);
    return std::nullopt;
}

// Empty when the run may write into `folder` that `setting` of `settingsFile` names; else the
// refusal the user reads.
std::string RefusalOf(const std::string& settingsFile, const char* key, const std::string& folder) {
    const std::string why =
        trust::WhySettingsFolderRefused(settingsFile, folder, backup::RunIsElevated());
    const std::string setting = std::string("[") + settings::kDirSection + "] " + key;
    LogLine("check folder " + setting + " " + folder + ": " +
            (why.empty() ? std::string("passed") : "refused: " + why));
    return why.empty() ? std::string()
                       : trust::FolderRefusedMessage(setting, text::WithoutSeparator(folder));
}

// The voice and master folders the run will write into, each accepted before anything
// changes; empty when all are, else the refusal.
std::string AcceptSettingsFolders(Plan& plan) {
    if (plan.digitizer) {
        plan.voiceFolder = VoiceFolder(plan.folder, plan.settingsFile);
        if (!plan.voiceFolder.empty()) {
            const std::string refusal = RefusalOf(plan.folder + plan.settingsFile,
                                                  settings::kVoiceKey, plan.voiceFolder);
            if (!refusal.empty()) {
                return refusal;
            }
        }
    }
    if (plan.masterAdjust) {
        // Both conversions read tovaka1.ini, whatever the settings file is.
        const std::string tovaka = plan.folder + settings::kTovakaIni;
        for (const std::string& folder : settings::MasterFolders(tovaka)) {
            if (!framework::PathExists(folder)) {
                continue;  // nothing to convert there
            }
            const std::string refusal = RefusalOf(tovaka, settings::kMasterKey, folder);
            if (!refusal.empty()) {
                return refusal;
            }
            plan.masterFolders.push_back(folder);
        }
    }
    return {};
}

}  // namespace

std::optional<Plan> MakePlan(const UpdateContext& manifest, const std::string& chosenFolder,
                             MessageSeam& seam) {
    if (const int escaping = FirstEscapingEntry(manifest); escaping >= 0) {
        LogLine("check subfolders: failed, entry " + std::to_string(escaping + 1) + " names " +
                manifest.entrySubFolder[escaping]);
        return Refuse(seam, text::Format(kSubFolderOutside, manifest.entrySubFolder[escaping]));
    }
    const std::optional<Located> located = LocateSettingsFile(chosenFolder, manifest.settingsFile);
    // "NULL" tries tovaka1.ini, then vestima1.ini: the log names the last name tried.
    const std::string tried =
        manifest.settingsFile == settings::kAnyName ? settings::kVestimaIni : manifest.settingsFile;
    LogLine("check settings file " + (located ? located->name : tried) + " in " +
            (located ? located->folder : chosenFolder) + ": " + Passed(located.has_value()));
    if (!located) {
        return Refuse(seam, kWrongFolder);
    }
    Plan plan;
    plan.settingsFile = located->name;
    const std::optional<std::string> menus =
        settings::CheckMenuSettings(located->folder, plan.settingsFile);
    LogLine(std::string("check menu files: ") + Passed(menus.has_value()));
    plan.folder = menus.value_or(located->folder);
    const bool version =
        menus && settings::CheckInstalledVersion(manifest.requiredVersion, plan.folder);
    if (menus) {
        LogLine("check version " + manifest.requiredVersion + ": " + Passed(version));
    }
    if (!version) {
        return Refuse(seam, kCannotUpdate);
    }
    plan.systemNumber =
        settings::GetSystemNumber(manifest.systemNames, plan.folder, plan.settingsFile);
    LogLine("check system: " + (plan.systemNumber == -1 ? std::string("not identified")
                                                         : std::to_string(plan.systemNumber)));
    if (plan.systemNumber == -1) {
        return Refuse(seam, kCannotUpdate);
    }
    plan.digitizer = text::FlagIsOn(manifest.digitizerOption);
    plan.masterAdjust = text::FlagIsOn(manifest.masterAdjust);
    if (const std::string refusal = AcceptSettingsFolders(plan); !refusal.empty()) {
        return Refuse(seam, refusal);
    }
    for (int i = 0; i < manifest.entryCount; ++i) {
        plan.entries.push_back(PlanEntry(manifest, i, plan));
    }
    return plan;
}

std::optional<std::string> FirstMissingSource(const std::vector<PlannedEntry>& entries) {
    for (const PlannedEntry& entry : entries) {
        if (!framework::PathExists(entry.source)) {
            return entry.source;
        }
    }
    return std::nullopt;
}

}  // namespace engine
