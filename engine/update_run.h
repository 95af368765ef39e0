// The update run: preflight checks, then every file-list entry in order (asking for update
// disks, and checking each disk before its first change), the digitizer option and voice data,
// the material master conversions, and the final report. Every message goes through `seam`.
#pragma once

#include <string>

#include "engine/message_seam.h"
#include "engine/update_context.h"

namespace engine {

// Every run keeps a backup set; a run without one exists only to measure what it costs.
enum class Backups { kKept, kNotKept };
// Every run checks each disk before it changes anything of it (engine/change_checks.h); a run
// without the checks exists only to measure what they cost.
enum class Checks { kMade, kSkipped };

enum class RunOutcome {
    kUpdated,      // every entry installed, every conversion and the voice data too
    kRefused,      // a check before the first change failed; nothing was touched
    kStopped,      // an archive, copy, attribute or settings write failed part-way
    kCancelled,    // the disk prompt was cancelled
    kInUse,        // files in use at the first disk, and cancelled: nothing was touched
    kInUseLater,   // files in use at a later disk, and cancelled: nothing of that disk changed
    kStepsFailed,  // every entry installed, but a conversion or the voice data failed
    kAnotherRun,   // another update or restore of the product holds its lock: nothing touched
};

// The whole run into the folder the user chose, as the wizard and the unattended mode share
// it. It makes its own plan (engine/plan.h); the manifest is only read.
RunOutcome RunUpdateOutcome(const UpdateContext& manifest, const std::string& chosenFolder,
                            MessageSeam& seam, Backups backups = Backups::kKept,
                            Checks checks = Checks::kMade);

// The exit code of an unattended run that ended so (see engine/command_line.h).
int ExitCodeOf(RunOutcome outcome);

// true: the run has ended (completed, or stopped after installing began); the caller closes
// the program. false: refused, files in use cancelled, or another run at work, before anything was touched; the
// caller shows the destination page again.
bool RunUpdate(const UpdateContext& manifest, const std::string& chosenFolder, MessageSeam& seam,
               Backups backups = Backups::kKept, Checks checks = Checks::kMade);

}  // namespace engine
