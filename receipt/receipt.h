// The receipt an update leaves on the PC, so that fleet tools can tell it is there: a key
// HKLM\SOFTWARE\Renovo\Updates\<product key>\<update id> in the registry's 32-bit view (where
// the 32-bit product's own keys are). Written after a run that ended well, removed by the
// /RESTORE that undid it. A receipt that cannot be written is told, never a failure of the run.
#pragma once

#include <optional>
#include <string>

namespace receipt {

// What the run records (texts cp932).
struct Receipt {
    unsigned long result = 0;  // the exit code: 0, or 6 (updated, a later step failed)
    std::string time;          // when the run ended, UTC: "2026-12-09T20:41:07Z"
    std::string folder;        // the product's folder
    unsigned long backupSet = 0;  // the number of its backup set (RENOVO.BAK\0007 is 7)
    std::string version;       // the product version the update applies to (manifest line 17)
    std::string program;       // the version of the Renovo that wrote it
};

enum class Status {
    kDone,        // written, or removed
    kMayNotWrite, // the run may not write the key (not elevated): log it, go on
    kNoProduct,   // the manifest names no product: nothing to write
    kFailed,      // another error (error holds it): log it, go on
};

struct Outcome {
    Status status = Status::kDone;
    unsigned long error = 0;  // the system's error code for kMayNotWrite and kFailed
    int removed = 0;          // RemoveReceiptsOf: how many receipts went
};

// The time now, UTC, as Receipt::time has it.
std::string NowUtc();
// The update id of the manifest file at `path` (cp932); nothing when it cannot be read.
std::optional<std::string> UpdateIdOfFile(const std::string& path);

// Writes (or overwrites) the receipt of `updateId` for `productKey`.
Outcome WriteReceipt(const std::string& productKey, const std::string& updateId,
                     const Receipt& receipt);
// Removes that receipt; kDone also when there was none.
Outcome RemoveReceipt(const std::string& productKey, const std::string& updateId);
// Removes every receipt whose folder is `folder` (ASCII case ignored, a trailing '\' too) and
// whose backup set is `backupSet`: what /RESTORE knows of the update it undid. A product key
// left without receipts goes too.
Outcome RemoveReceiptsOf(const std::string& folder, unsigned long backupSet);

// One line for the log: what happened to the receipt of `keyPath` (cp932).
std::string Describe(const Outcome& outcome, const std::string& keyPath, bool removing);

}  // namespace receipt
