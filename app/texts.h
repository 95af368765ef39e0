// The shell's own texts, exactly as the system uses them.
#pragma once

namespace app {

inline constexpr char kFrameClass[] = "CMainFrame";

}  // namespace app
