// The update run: preflight checks, then every file-list entry in order (asking for update
// disks), the digitizer option and voice data, the material master conversions, and the
// final report. Every message goes through `seam`.
#pragma once

#include "engine/message_seam.h"
#include "engine/update_context.h"

namespace engine {

// Every run keeps a backup set; a run without one exists only to measure what it costs.
enum class Backups { kKept, kNotKept };

enum class RunOutcome {
    kUpdated,    // every entry installed (a failed conversion does not stop the run)
    kRefused,    // a preflight check failed; nothing was touched
    kStopped,    // an archive, copy, attribute or settings write failed part-way
    kCancelled,  // the disk prompt was cancelled
};

// The whole run, as the wizard and the unattended mode share it.
RunOutcome RunUpdateOutcome(UpdateContext& ctx, MessageSeam& seam,
                            Backups backups = Backups::kKept);

// The exit code of an unattended run that ended so (see engine/command_line.h).
int ExitCodeOf(RunOutcome outcome);

// 1: the run has ended (completed, or stopped after installing began); the caller closes the
// program. 0: refused before anything was touched; the caller shows the destination page again.
int RunUpdate(UpdateContext& ctx, MessageSeam& seam, Backups backups = Backups::kKept);

}  // namespace engine
