// The backup sets' own names and the texts of putting a product back, exactly as the user
// sees them.
#pragma once

namespace backup {

// In the product folder, hidden: one numbered set per update run ("RENOVO.BAK\0001\").
inline constexpr char kBackupFolder[] = "RENOVO.BAK";
inline constexpr char kJournalName[] = "JOURNAL.TXT";
// A set being retired is renamed first, so that it never counts as a set again.
inline constexpr char kRetiredSuffix[] = ".OLD";

inline constexpr char kCaptionConfirm[] = "確認";
inline constexpr char kCaptionError[] = "エラー";
inline constexpr char kAskRestore[] = "%sを更新前の状態に戻します。よろしいですか？";
inline constexpr char kRestored[] = "更新前の状態に戻しました。";
inline constexpr char kNothingToRestore[] = "戻せる更新がありません。";
inline constexpr char kCannotRestore[] = "%sを戻せませんでした。";

}  // namespace backup
