#include "app/restore_command.h"

#include <windows.h>

#include "backup/backup_set.h"
#include "backup/restore.h"
#include "backup/set_security.h"
#include "backup/texts.h"
#include "engine/install_log.h"
#include "engine/manifest.h"
#include "engine/receipt_record.h"
#include "framework/wide.h"
#include "receipt/identity.h"
#include "receipt/receipt.h"
#include "text/format.h"
#include "text/path.h"
#include "trust/texts.h"
#include "wizard/installed_folder.h"
#include "wizard/texts.h"

namespace app {

namespace {

// What the destination page would show: the product's Uninstall entry, else the manifest.
wizard::FolderLookup ProposedByManifest() {
    engine::UpdateContext manifest;
    engine::ReadManifestLogged(manifest);
    return wizard::ProposedFolder(manifest.uninstallKeys, manifest.destFolder);
}

const char* RefusalText(backup::Refusal refusal) {
    switch (refusal) {
        case backup::Refusal::kNotAdminOnly:
            return backup::kSetNotAdminOnly;
        case backup::Refusal::kLink:
            return backup::kSetThroughLink;
        case backup::Refusal::kDamaged:
        case backup::Refusal::kNone:
            break;
    }
    return backup::kSetDamaged;
}

const char* RefusalName(backup::Refusal refusal) {
    switch (refusal) {
        case backup::Refusal::kNotAdminOnly:
            return "others than administrators may change it";
        case backup::Refusal::kLink:
            return "a link on the way";
        case backup::Refusal::kDamaged:
        case backup::Refusal::kNone:
            break;
    }
    return "damaged";
}

// The update undone is no longer on the PC: its receipt goes, so that fleet tools see it so.
void RemoveReceiptOfSet(const std::string& product, const std::string& set) {
    const unsigned long number = engine::BackupSetNumber(set);
    const receipt::Outcome removed = receipt::RemoveReceiptsOf(product, number);
    if (removed.status == receipt::Status::kDone) {
        engine::LogLine("receipts removed for backup set " + std::to_string(number) + ": " +
                        std::to_string(removed.removed));
    } else {
        engine::LogLine(receipt::Describe(removed, receipt::kUpdatesKey, true));
    }
}

}  // namespace

int RunRestore(const std::string& folder, engine::Quiet quiet) {
    // Shown unless the run is silent, and logged.
    const auto Show = [quiet](const std::string& text, const char* caption, UINT buttons) {
        const int answer = quiet == engine::Quiet::kNone
                               ? ::MessageBoxW(nullptr, framework::Wide(text).c_str(),
                                               framework::Wide(caption).c_str(), buttons)
                               : IDOK;
        engine::LogMessage(caption, text, answer);
        return answer;
    };
    const wizard::FolderLookup proposed =
        folder.empty() ? ProposedByManifest() : wizard::FolderLookup{folder, {}};
    if (!proposed.folder) {
        Show(text::Format(wizard::kUnusableInstalledFolder, proposed.unusable),
             backup::kCaptionError, MB_OK);
        return 1;
    }
    const std::string shown = *proposed.folder;
    const std::string product = text::WithSeparator(shown);
    if (shown.empty() || backup::NewestSet(product).empty()) {
        Show(backup::kNothingToRestore, backup::kCaptionError, MB_OK);
        return 1;
    }
    if (Show(text::Format(backup::kAskRestore, shown), backup::kCaptionConfirm, MB_OKCANCEL) != IDOK) {
        return 1;
    }
    const std::string set = backup::NewestSet(product);
    engine::LogLine("restoring " + product + " from " + set +
                    (backup::RunIsElevated() ? " (elevated)" : ""));
    const backup::RestoreOutcome outcome = backup::RestoreNewestSet(product);
    if (outcome.busy) {
        Show(trust::kAnotherRun, backup::kCaptionError, MB_OK);
        return trust::kExitAnotherRun;
    }
    if (outcome.refusal != backup::Refusal::kNone) {
        engine::LogLine("restore refused, nothing changed: " + outcome.refused + ": " +
                        RefusalName(outcome.refusal) + ": " + outcome.why);
        Show(text::Format(RefusalText(outcome.refusal), outcome.refused), backup::kCaptionError, MB_OK);
        return 1;
    }
    for (const backup::KeptChange& kept : outcome.kept) {
        engine::LogLine("changed since the update: " + kept.path + " kept as " + kept.keptAs);
        Show(text::Format(backup::kKeptChange, kept.path, kept.keptAs), backup::kCaptionConfirm, MB_OK);
    }
    for (const std::string& file : outcome.failed) {
        Show(text::Format(backup::kCannotRestore, file), backup::kCaptionError, MB_OK);
    }
    if (!outcome.failed.empty()) {
        return 2;
    }
    RemoveReceiptOfSet(product, set);
    Show(backup::kRestored, backup::kCaptionConfirm, MB_OK);
    return 0;
}

}  // namespace app
