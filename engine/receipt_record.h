// The receipt a run that ended well leaves for fleet tools (receipt/receipt.h), and whether the
// folder the program runs from holds the whole disk set, so that no disk need be asked for.
#pragma once

#include <string>

#include "engine/plan.h"
#include "engine/update_context.h"

namespace engine {

// After a run that ended with `exitCode`: writes the receipt when the product was updated
// (0, or 6 with what failed named), logs what became of it, and never fails the run for it.
// `backupFolder` is the run's backup set ("" when it made none).
void RecordReceipt(const UpdateContext& manifest, const Plan& plan, int exitCode,
                   const std::string& backupFolder);

// The backup set's number from its folder ("...\RENOVO.BAK\0007" gives 7); 0 for none.
unsigned long BackupSetNumber(const std::string& backupFolder);

}  // namespace engine
