// The wizard's own texts, exactly as the system uses them.
#pragma once

namespace wizard {

// The start page's caption when the update brings no master adjustment.
inline constexpr char kUpdateCaption[] = "アップデート";

// DlgDirList's pattern for the drive list, and the folder patterns of a drive's root and of
// its current directory ("%s:%s" with the drive letter).
inline constexpr char kAllFiles[] = "*.*";
inline constexpr char kRootPattern[] = "\\*.*";
inline constexpr char kCurrentPattern[] = ".\\*.*";

}  // namespace wizard
