#include "engine/receipt_record.h"

#include "backup/journal.h"
#include "engine/command_line.h"
#include "engine/install_log.h"
#include "receipt/identity.h"
#include "receipt/receipt.h"

#ifndef RENOVO_PROGRAM_VERSION
#error "the build gives the program's version"
#endif

namespace engine {

unsigned long BackupSetNumber(const std::string& backupFolder) {
    std::string folder = backupFolder;
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) {
        folder.pop_back();
    }
    const size_t slash = folder.find_last_of("\\/");
    const int number = backup::SetNumber(slash == std::string::npos ? std::string_view(folder)
                                                                     : std::string_view(folder).substr(slash + 1));
    return number > 0 ? static_cast<unsigned long>(number) : 0;
}

void RecordReceipt(const UpdateContext& manifest, const Plan& plan, int exitCode,
                   const std::string& backupFolder) {
    if (exitCode != kExitDone && exitCode != kExitStepFailed) {
        return;
    }
    if (manifest.updateId.empty()) {
        LogLine("no receipt: disk 1's manifest could not be read again");
        return;
    }
    const std::string product = receipt::ProductKeyOf(manifest.uninstallKeys);
    receipt::Receipt written;
    written.result = static_cast<unsigned long>(exitCode);
    written.time = receipt::NowUtc();
    written.folder = plan.folder;
    written.backupSet = BackupSetNumber(backupFolder);
    written.version = manifest.requiredVersion;
    written.program = RENOVO_PROGRAM_VERSION;
    const receipt::Outcome result = receipt::WriteReceipt(product, manifest.updateId, written);
    LogLine(receipt::Describe(result, receipt::ReceiptKeyPath(product, manifest.updateId), false));
}

}  // namespace engine
