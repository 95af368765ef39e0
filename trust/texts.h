// The texts of the checks that keep a run from acting for anyone but whoever could have
// ordered it, exactly as the user sees them.
#pragma once

namespace trust {

// A folder a setting names that the run may not write into: the setting ("[DIR] WAV"), then
// the folder.
inline constexpr char kFolderRefused[] =
    "%sに指定されたフォルダー%sには書き込めないため、更新しませんでした。何も変更していません。";
// A junction or symbolic link on the way of a write: the link.
inline constexpr char kLinkOnTheWay[] =
    "%sがジャンクションかシンボリックリンクのため、更新しませんでした。何も変更していません。";
// Another update or restore of the same product holds its lock.
inline constexpr char kAnotherRun[] =
    "この製品では別の更新か復元を実行中です。しばらくしてからもう一度実行してください。";

// Windows Installer's "another installation is in progress", which fleet tools retry.
inline constexpr int kExitAnotherRun = 1618;

// The lock file in the backup folder while a run works on the product.
inline constexpr char kLockName[] = "RENOVO.LCK";

}  // namespace trust
