// The shell's own texts, exactly as the system uses them.
#pragma once

namespace app {

// The update manifest in the program folder; its first line is the main window's caption.
inline constexpr char kManifestName[] = "info.txt";

inline constexpr char kFrameClass[] = "CMainFrame";

}  // namespace app
