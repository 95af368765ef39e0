#include "engine/install_log.h"

#include <windows.h>

#include "engine/manifest.h"
#include "engine/program_folder.h"
#include "engine/update_context.h"
#include "framework/files.h"
#include "framework/handles.h"
#include "framework/wide.h"
#include "receipt/receipt.h"
#include "text/format.h"

namespace engine {

namespace {

framework::File g_log;

std::string LocalTime() {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    return text::Format("%04u-%02u-%02u %02u:%02u:%02u.%03u ", t.wYear, t.wMonth, t.wDay, t.wHour,
                        t.wMinute, t.wSecond, t.wMilliseconds);
}

}  // namespace

bool OpenInstallLog(const std::string& path) {
    g_log.Reset(framework::OpenPath(path, FILE_APPEND_DATA, FILE_SHARE_READ, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL));
    return static_cast<bool>(g_log);
}

void CloseInstallLog() {
    g_log.Reset();
}

bool InstallLogOpen() {
    return static_cast<bool>(g_log);
}

namespace {

std::wstring Cp932ToWide(const std::string& text) {
    return framework::Wide(text);
}

std::string WideToUtf8(const std::wstring& w) {
    const int wide = static_cast<int>(w.size());
    if (wide == 0) {
        return {};
    }
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace

std::string EscapeForLog(const std::string& text) {
    std::wstring w = Cp932ToWide(text);
    for (wchar_t& c : w) {
        if (c < 0x20) {
            c = static_cast<wchar_t>(0x2400 + c);  // ␀ … ␟: CR ␍, LF ␊, TAB ␉
        } else if (c == 0x7F) {
            c = 0x2421;  // ␡
        } else if ((c >= 0x80 && c <= 0x9F) || c == 0x2028 || c == 0x2029) {
            c = 0xFFFD;  // C1 controls and the separators some readers take as line breaks
        }
    }
    return WideToUtf8(w);
}

std::string Cp932ToUtf8(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    const std::wstring w = Cp932ToWide(text);
    const int wide = static_cast<int>(w.size());
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, out.data(), n, nullptr, nullptr);
    return out;
}

void LogLine(const std::string& text) {
    if (!g_log) {
        return;
    }
    // One write per line, so that lines of a run that is killed stay whole; one event, one
    // line, whatever an archive's member names or a journal's paths hold.
    const std::string line = LocalTime() + EscapeForLog(text) + "\r\n";
    DWORD written = 0;
    WriteFile(g_log.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

std::string SystemErrorText(unsigned long error) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const framework::LocalBlock owner(buffer);
    // Shown, not acted on: a character cp932 lacks reads '?'.
    std::string textOf =
        n != 0 ? framework::NarrowShown(std::wstring_view(buffer, n)) : std::string();
    while (!textOf.empty() &&
           (textOf.back() == '\n' || textOf.back() == '\r' || textOf.back() == ' ')) {
        textOf.pop_back();
    }
    return textOf;
}

void LogMessage(const std::string& caption, const std::string& text, int answer) {
    const char* name = answer == IDOK       ? "OK"
                       : answer == IDCANCEL ? "Cancel"
                       : answer == IDRETRY  ? "Retry"
                                            : "none";
    LogLine("message [" + caption + "] " + OneLine(text) + " -> " + name);
}

std::string OneLine(std::string text) {
    for (size_t at = 0; (at = text.find('\n', at)) != std::string::npos;) {
        text.replace(at, 1, " / ");
    }
    return text;
}

void LogFailure(const std::string& what, unsigned long error) {
    if (!g_log) {
        return;
    }
    LogLine(what + ": " + SystemErrorText(error) + text::Format(" (%lu)", error));
}

bool ReadManifestLogged(UpdateContext& ctx) {
    const bool read = ReadManifest(ctx);
    if (read) {
        ctx.updateId = receipt::UpdateIdOfFile(ProgramFolder() + kManifestFile).value_or("");
    }
    LogLine("manifest " + ProgramFolder() + kManifestFile + ": " +
            (read ? std::to_string(ctx.entryCount) + " entries" : "not found"));
    return read;
}

}  // namespace engine
