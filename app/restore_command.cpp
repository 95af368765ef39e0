#include "app/restore_command.h"

#include <windows.h>

#include <cstdio>

#include "app/command_run.h"
#include "backup/backup_set.h"
#include "backup/restore.h"
#include "backup/texts.h"
#include "engine/manifest.h"
#include "engine/install_log.h"
#include "text/cp932.h"

namespace app {

namespace {

// What the destination page would show: the product's Uninstall entry, else the manifest.
std::string ProposedByManifest() {
    engine::UpdateContext ctx;
    engine::ReadManifestLogged(ctx);
    return app::ProposedFolder(ctx);
}

std::string WithSeparator(const std::string& folder) {
    const text::PathParts parts = text::SplitPath(folder);
    const bool ends = parts.fname.empty() && parts.ext.empty() && !parts.dir.empty();
    return ends ? folder : folder + "\\";
}

std::string Format(const char* format, const std::string& value) {
    std::string out(std::snprintf(nullptr, 0, format, value.c_str()) + 1, '\0');
    std::snprintf(out.data(), out.size(), format, value.c_str());
    out.pop_back();
    return out;
}

}  // namespace

int RunRestore(const std::string& folder, engine::Quiet quiet) {
    const auto Show = [quiet](const std::string& text, const char* caption, UINT buttons) {
        return ShowOrLog(quiet, text, caption, buttons);
    };
    const std::string shown = folder.empty() ? ProposedByManifest() : folder;
    const std::string product = WithSeparator(shown);
    if (shown.empty() || backup::NewestSet(product).empty()) {
        Show(backup::kNothingToRestore, backup::kCaptionError, MB_OK);
        return 1;
    }
    if (Show(Format(backup::kAskRestore, shown), backup::kCaptionConfirm, MB_OKCANCEL) != IDOK) {
        return 1;
    }
    engine::LogLine("restoring " + product + " from " + backup::NewestSet(product));
    const backup::RestoreOutcome outcome = backup::RestoreNewestSet(product);
    for (const std::string& file : outcome.failed) {
        Show(Format(backup::kCannotRestore, file), backup::kCaptionError, MB_OK);
    }
    if (!outcome.failed.empty()) {
        return 2;
    }
    Show(backup::kRestored, backup::kCaptionConfirm, MB_OK);
    return 0;
}

}  // namespace app
