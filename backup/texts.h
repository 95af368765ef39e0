// The backup sets' own names and the texts of putting a product back, exactly as the user
// sees them.
#pragma once

namespace backup {

// In the product folder, hidden: one numbered set per update run ("RENOVO.BAK\0001\").
inline constexpr char kBackupFolder[] = "RENOVO.BAK";
inline constexpr char kJournalName[] = "JOURNAL.TXT";
// A set being retired is renamed first, so that it never counts as a set again.
inline constexpr char kRetiredSuffix[] = ".OLD";
// A file the update wrote and the user changed since is kept beside it under its name and
// this ("TOVAKA.EXE.KEPT", then ".KEPT2", ...) when the restore puts the old one back.
inline constexpr char kKeptSuffix[] = ".KEPT";

inline constexpr char kCaptionConfirm[] = "確認";
inline constexpr char kCaptionError[] = "エラー";
inline constexpr char kAskRestore[] = "%sを更新前の状態に戻します。よろしいですか？";
inline constexpr char kRestored[] = "更新前の状態に戻しました。";
inline constexpr char kNothingToRestore[] = "戻せる更新がありません。";
inline constexpr char kCannotRestore[] = "%sを戻せませんでした。";
// A set refused before anything changes: %s is the set, the journal or the link.
inline constexpr char kSetNotAdminOnly[] =
    "%sは管理者以外のユーザーも変更できるため、戻しませんでした。何も変更していません。";
inline constexpr char kSetDamaged[] =
    "%sの記録が正しくないため、戻しませんでした。何も変更していません。";
inline constexpr char kSetThroughLink[] =
    "%sがジャンクションかシンボリックリンクのため、戻しませんでした。何も変更していません。";
// A file changed since the update: the file, then the name its content is kept under.
inline constexpr char kKeptChange[] =
    "%sは更新後に変更されていたため、今の内容を%sとして残しました。";

}  // namespace backup
