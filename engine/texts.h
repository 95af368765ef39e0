// The update engine's own texts, exactly as the user sees them.
#pragma once

namespace engine {

inline constexpr char kCaptionError[] = "エラー";  // refused before anything was changed
inline constexpr char kCaptionConfirm[] = "確認";  // disk prompt and every report afterwards

// Voice data: the archive below the destination folder (named without ".lzh") and the key of
// the product's settings file that names the folder for the wave files.
inline constexpr char kVoiceArchive[] = "音声\\wave";
inline constexpr char kSectionDir[] = "DIR";
inline constexpr char kKeyWav[] = "WAV";
// Shown, like an archiver failure, when the extraction command would not fit its buffer.
inline constexpr char kVoiceCommandTooLong[] =
    "フォルダ名が長すぎるため、音声データを展開できません。";

}  // namespace engine
