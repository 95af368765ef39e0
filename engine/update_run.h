// The update run: preflight checks, then every file-list entry in order (asking for update
// disks), the digitizer option and voice data, the material master conversions, and the
// final report. Every message goes through `seam`.
#pragma once

#include "engine/message_seam.h"
#include "engine/update_context.h"

namespace engine {

// Every run keeps a backup set; a run without one exists only to measure what it costs.
enum class Backups { kKept, kNotKept };

// 1: the run has ended (completed, or stopped after installing began); the caller closes the
// program. 0: refused before anything was touched; the caller shows the destination page again.
int RunUpdate(UpdateContext& ctx, MessageSeam& seam, Backups backups = Backups::kKept);

}  // namespace engine
