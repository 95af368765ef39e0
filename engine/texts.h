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
inline constexpr char kCommandTooLong[] = "%s.lzh のﾊﾟｽが長すぎるため展開できません。";
inline constexpr char kSizeConversionFailed[] = "材料ｻｲｽﾞ変換が正常に更新されませんでした。";
inline constexpr char kTypeConversionFailed[] = "材料ﾀｲﾌﾟ変換が正常に更新されませんでした。";
inline constexpr char kUpdated[] = "システムは正常に更新されました。";

// The archiver's extraction command: work folder, archive folder, archive name, destination.
inline constexpr char kExtractCommand[] = "e -mcw%s \"%s%s\" \"%s\"";
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

}  // namespace engine
