// The installation log that /LOG= asks for: UTF-8 lines appended to one file, each with the
// local time, so support staff can tell afterwards what a run did. Without /LOG nothing is
// opened and every call here does nothing.
#pragma once

#include <cstdint>
#include <string>

namespace engine {

// Opens `path` for appending (created when missing); false when it cannot be opened.
bool OpenInstallLog(const std::string& path);
void CloseInstallLog();
bool InstallLogOpen();

// One line of cp932 text, written as UTF-8 after the local time, escaped (EscapeForLog).
void LogLine(const std::string& text);
// `text` (cp932) as UTF-8 that holds no line break: each control character becomes its Unicode
// control picture (CR ␍, LF ␊, TAB ␉, U+2400 to U+241F, DEL ␡), C1 controls and U+2028/2029
// become U+FFFD.
std::string EscapeForLog(const std::string& text);
// A message shown (or, unattended, taken as answered) and its answer, on one line:
// "message [<caption>] <text> -> <answer>" (answers IDOK, IDCANCEL, IDRETRY; others "none").
void LogMessage(const std::string& caption, const std::string& text, int answer);

// A message of several lines, on one line of the log.
std::string OneLine(std::string text);

// "<what> failed: <system's error text> (<code>)" for the calling thread's last error.
void LogFailure(const std::string& what, unsigned long error);

struct UpdateContext;
// Reads the manifest beside the program into `ctx` (ReadManifest) and logs what it found.
bool ReadManifestLogged(UpdateContext& ctx);

// The system's own text for an error code, without its line end (cp932).
std::string SystemErrorText(unsigned long error);
// cp932 → UTF-8; bytes that are no cp932 character become U+FFFD.
std::string Cp932ToUtf8(const std::string& text);

}  // namespace engine
