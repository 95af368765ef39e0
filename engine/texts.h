// The update engine's own texts, exactly as the user sees them.
#pragma once

namespace engine {

inline constexpr char kCaptionError[] = "エラー";  // refused before anything was changed
inline constexpr char kCaptionConfirm[] = "確認";  // disk prompt and every report afterwards

}  // namespace engine
