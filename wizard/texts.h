// The wizard's own texts, exactly as the system uses them.
#pragma once

namespace wizard {

// The start page's caption when the update brings no master adjustment.
inline constexpr char kUpdateCaption[] = "アップデート";

// A folder named in characters that cp932 cannot carry: typed into the destination page (the
// page stays), or named by the product's Uninstall entry (no run takes another folder unasked).
inline constexpr char kUnusableFolder[] = "ｲﾝｽﾄｰﾙ先ﾌｫﾙﾀﾞ %s には使用できない文字が含まれています。";
inline constexpr char kUnusableInstalledFolder[] =
    "登録されているｲﾝｽﾄｰﾙ先ﾌｫﾙﾀﾞ %s には使用できない文字が含まれているため、更新できません。";

// DlgDirList's pattern for the drive list, and the folder patterns of a drive's root and of
// its current directory ("%s:%s" with the drive letter).
inline constexpr char kAllFiles[] = "*.*";
inline constexpr char kRootPattern[] = "\\*.*";
inline constexpr char kCurrentPattern[] = ".\\*.*";

}  // namespace wizard
