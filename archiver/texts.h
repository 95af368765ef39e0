// The archiver's own texts, as the user sees them (cp932 through the execution charset).
#pragma once

namespace archiver {

// Command errors.
inline constexpr char kNoCommand[] = "コマンドがありません。";
inline constexpr char kUnknownCommand[] = "コマンドが正しくありません: ";
inline constexpr char kUnknownSwitch[] = "スイッチが正しくありません: ";
inline constexpr char kNoWorkFolder[] = "-w の後に作業フォルダがありません。";
inline constexpr char kUnclosedQuote[] = "引用符が閉じていません。";
inline constexpr char kNoArchive[] = "書庫が指定されていません。";
inline constexpr char kExtraArgument[] = "余分な引数があります: ";
// A command line with a character cp932 cannot carry ('?' in its place), which no name of an
// archive or folder can hold.
inline constexpr char kCommandLineNotCp932[] = "コマンドラインに使えない文字があります: ";

// Reasons a command on an archive fails.
inline constexpr char kArchiveMissing[] = "書庫が見つかりません。";
inline constexpr char kArchiveUnreadable[] = "書庫を読めません。";
inline constexpr char kArchiveEmpty[] = "書庫が空です。";
inline constexpr char kNoMembers[] = "書庫にファイルがありません。";
inline constexpr char kBadHeader[] = "書庫のヘッダが壊れています。";
inline constexpr char kTruncated[] = "書庫が途中で切れています。";
inline constexpr char kUnknownMethod[] = "対応していない圧縮形式です。";
inline constexpr char kBadData[] = "圧縮データが壊れています。";
inline constexpr char kCrcMismatch[] = "CRC が一致しません。";
inline constexpr char kUnsafeName[] = "安全なファイル名ではありません。";
inline constexpr char kBelowLink[] = "シンボリックリンクの下に置かれたファイルです。";
inline constexpr char kCannotCreateFolder[] = "展開先フォルダを作れません。";
inline constexpr char kCannotWrite[] = "ファイルを書き込めません。";
inline constexpr char kCannotReplace[] = "ファイルを置き換えられません。";
inline constexpr char kOutOfMemory[] = "メモリが足りません。";

// Labels and notes around a reason.
inline constexpr char kMemberLabel[] = "ファイル: ";
inline constexpr char kArchiveLabel[] = "書庫: ";
inline constexpr char kNothingWritten[] = "ファイルは書き込んでいません。";
inline constexpr char kEarlierKept[] = "それまでに展開したファイルは残っています。";
inline constexpr char kExtracted[] = " 個のファイルを展開しました。";
inline constexpr char kListHeading[] = "  サイズ   圧縮後 方式  CRC  名前";

}  // namespace archiver
