#include "framework/wide.h"

#include <windows.h>

#include <climits>

namespace framework {

namespace {

constexpr UINT kCp932 = 932;

std::string ToCp932(std::wstring_view text, BOOL* usedDefault) {
    if (text.empty() || text.size() > INT_MAX) {
        return {};
    }
    const int units = static_cast<int>(text.size());
    const int n = ::WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, text.data(), units, nullptr,
                                        0, nullptr, usedDefault);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) {
        ::WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, text.data(), units, out.data(), n,
                              nullptr, usedDefault);
    }
    return out;
}

}  // namespace

std::wstring Wide(std::string_view cp932) {
    if (cp932.empty() || cp932.size() > INT_MAX) {
        return {};
    }
    const int bytes = static_cast<int>(cp932.size());
    const int n = ::MultiByteToWideChar(kCp932, 0, cp932.data(), bytes, nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) {
        ::MultiByteToWideChar(kCp932, 0, cp932.data(), bytes, out.data(), n);
    }
    return out;
}

std::optional<std::string> Narrow(std::wstring_view text) {
    BOOL usedDefault = FALSE;
    std::string out = ToCp932(text, &usedDefault);
    if (usedDefault || (out.empty() && !text.empty())) {
        return std::nullopt;
    }
    return out;
}

std::string NarrowShown(std::wstring_view text) {
    return ToCp932(text, nullptr);
}

}  // namespace framework
