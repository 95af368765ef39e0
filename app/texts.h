// The shell's own texts, exactly as the system uses them.
#pragma once

namespace app {

inline constexpr char kFrameClass[] = "CMainFrame";

// Named in characters that cp932 cannot carry: the program's folder (the update disk's files are
// named from it) and the command line (refused before anything is done).
inline constexpr char kUnusableProgramFolder[] =
    "ﾌﾟﾛｸﾞﾗﾑのﾌｫﾙﾀﾞ %s には使用できない文字が含まれているため、更新できません。";
inline constexpr char kUnusableCommandLine[] = "ｺﾏﾝﾄﾞﾗｲﾝ %s には使用できない文字が含まれています。";

}  // namespace app
