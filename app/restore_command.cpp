#include "app/restore_command.h"

#include <windows.h>

#include <cstdio>

#include "app/program_folder_setup.h"
#include "backup/backup_set.h"
#include "backup/restore.h"
#include "backup/texts.h"
#include "engine/manifest.h"
#include "engine/program_folder.h"
#include "text/cp932.h"
#include "wizard/installed_folder.h"

namespace app {

namespace {

constexpr std::string_view kSwitch = "/RESTORE";
constexpr std::string_view kBlanks = " \t";

std::string_view Trimmed(std::string_view s) {
    const size_t from = s.find_first_not_of(kBlanks);
    if (from == std::string_view::npos) {
        return {};
    }
    return s.substr(from, s.find_last_not_of(kBlanks) - from + 1);
}

// What the destination page would show: the product's Uninstall entry, else the manifest.
std::string ProposedFolder() {
    engine::SetProgramFolder(ProgramFolderFromPath(ModuleFileName()));
    engine::UpdateContext ctx;
    engine::ReadManifest(ctx);
    if (auto folder = wizard::FindInstalledFolder(ctx.uninstallKeys)) {
        return *folder;
    }
    return ctx.destFolder;
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

int Show(const std::string& text, const char* caption, UINT buttons) {
    return MessageBoxA(nullptr, text.c_str(), caption, buttons);
}

}  // namespace

std::optional<std::string> RestoreRequest(std::string_view commandLine) {
    const std::string_view line = Trimmed(commandLine);
    if (line.size() < kSwitch.size() ||
        !text::EqualsIgnoreCase(line.substr(0, kSwitch.size()), kSwitch) ||
        (line.size() > kSwitch.size() && kBlanks.find(line[kSwitch.size()]) == kBlanks.npos)) {
        return std::nullopt;
    }
    std::string_view folder = Trimmed(line.substr(kSwitch.size()));
    if (!folder.empty() && folder.front() == '"') {
        folder.remove_prefix(1);
        folder = folder.substr(0, folder.find('"'));
    }
    return std::string(folder);
}

int RunRestore(const std::string& folder) {
    const std::string shown = folder.empty() ? ProposedFolder() : folder;
    const std::string product = WithSeparator(shown);
    if (shown.empty() || backup::NewestSet(product).empty()) {
        Show(backup::kNothingToRestore, backup::kCaptionError, MB_OK);
        return 1;
    }
    if (Show(Format(backup::kAskRestore, shown), backup::kCaptionConfirm, MB_OKCANCEL) != IDOK) {
        return 1;
    }
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
