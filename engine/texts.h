// The update engine's own texts, exactly as the user sees them.
#pragma once

namespace engine {

inline constexpr char kCaptionError[] = "エラー";  // refused before anything was changed
inline constexpr char kCaptionConfirm[] = "確認";  // disk prompt and every report afterwards

// The update run.
inline constexpr char kWrongFolder[] = "ｲﾝｽﾄｰﾙ先ﾌｫﾙﾀﾞが正しくないと思われます。";
inline constexpr char kCannotUpdate[] = "このバージョンへの更新はできません。";
inline constexpr char kInsertDisk[] = "%d 枚目のｱｯﾌﾟﾃﾞｲﾄFDをｾｯﾄしてください。";
inline constexpr char kCancelled[] = "ｱｯﾌﾟﾃﾞｲﾄを取消しました。";
inline constexpr char kUpdateFailed[] = "%sの更新に失敗しました。";
inline constexpr char kAttributeFailed[] = "%sの属性更新に失敗しました。";
inline constexpr char kSizeConversionFailed[] = "材料ｻｲｽﾞ変換が正常に更新されませんでした。";
inline constexpr char kTypeConversionFailed[] = "材料ﾀｲﾌﾟ変換が正常に更新されませんでした。";
inline constexpr char kUpdated[] = "システムは正常に更新されました。";
// A file-list subfolder that leads out of the installation folder (refused before installing).
inline constexpr char kSubFolderOutside[] =
    "ｱｯﾌﾟﾃﾞｲﾄFDのﾌｧｲﾙ一覧のﾌｫﾙﾀﾞ %s はｲﾝｽﾄｰﾙ先ﾌｫﾙﾀﾞの外を指しているため、更新できません。";

// A file the file list names that the update disk does not carry (refused before it changes).
inline constexpr char kSourceMissing[] = "ｱｯﾌﾟﾃﾞｲﾄFDにﾌｧｲﾙ %s がないため、更新できません。";

inline constexpr char kArchiveExtension[] = ".lzh";
inline constexpr char kStartArchive[] = "START";  // takes the system number as suffix
inline constexpr char kMaster21Prefix[] = "MASTER21";

// What the digitizer option writes into the product's settings file.
inline constexpr char kSectionSystem[] = "SYSTEM";
inline constexpr char kKeyDigitizer[] = "ﾃﾞｼﾞﾀｲｻﾞ";
inline constexpr char kKeyDigitizerMaster[] = "ﾃﾞｼﾞﾀｲｻﾞMST";
inline constexpr char kKeyTitle[] = "TITLE";
inline constexpr char kTitleMark[] = "ﾎﾟﾙﾀﾝ";
inline constexpr char kTitleSuffix[] = " with ﾎﾟﾙﾀﾝ";
inline constexpr char kOn[] = "1";

// Voice data: the archive below the destination folder (named without ".lzh"); its folder is
// named by the product's settings file (settings/masters.h).
inline constexpr char kVoiceArchive[] = "音声\\wave";

// Found when a disk is in, before anything of it changes (with disk 1, before anything at
// all): files held by other programs (Retry and Cancel), a folder that may not be written, a
// path that Windows cannot take.
inline constexpr char kFilesInUse[] = "次のﾌｧｲﾙは他のﾌﾟﾛｸﾞﾗﾑが使用中のため、更新できません。";
inline constexpr char kHeldBy[] = "%s (%s)";    // a file and the programs that hold it
inline constexpr char kListSeparator[] = "、";  // between the names of several programs
inline constexpr char kMoreFilesInUse[] = "ほか %d 個のﾌｧｲﾙ";
inline constexpr char kCloseAndRetry[] = "ﾌﾟﾛｸﾞﾗﾑを終了してから[再試行]を押してください。";
inline constexpr char kCannotWriteFolder[] =
    "ﾌｫﾙﾀﾞ %s にﾌｧｲﾙを書き込めません。\n管理者の権限が必要な場合があります。";
inline constexpr char kPathTooLong[] = "次のﾊﾟｽが長すぎるため、更新できません。\n%s";
// A file found on the disk whose name has a character cp932 lacks (shown as '?').
inline constexpr char kNameNotCp932[] = "ﾌｧｲﾙ %s の名前に使用できない文字があるため、更新できません。";

// A command line that cannot be read (shown only when the run is not silent).
inline constexpr char kUnknownSwitch[] = "%s は使用できないｽｲｯﾁです。";
inline constexpr char kSwitchNeedsValue[] = "%s に値が指定されていません。";
inline constexpr char kSwitchTwice[] = "%s が二度指定されています。";
inline constexpr char kCannotOpenLog[] = "ﾛｸﾞﾌｧｲﾙを開けません: ";

// The progress window of the update run.
inline constexpr char kProgressCaption[] = "アップデート";
inline constexpr char kProgressDisk[] = "%d 枚目のｱｯﾌﾟﾃﾞｲﾄFD";
inline constexpr char kSizeConversionName[] = "材料ｻｲｽﾞ変換";
inline constexpr char kTypeConversionName[] = "材料ﾀｲﾌﾟ変換";

}  // namespace engine
