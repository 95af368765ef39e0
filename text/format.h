// printf-style formatting into a string as long as the result needs; a std::string argument
// stands for its text. Pure.
#pragma once

#include <cstdio>
#include <string>

namespace text {

namespace detail {
template <typename T>
const T& Arg(const T& value) {
    return value;
}
inline const char* Arg(const std::string& value) {
    return value.c_str();
}
}  // namespace detail

template <typename... Args>
std::string Format(const char* format, const Args&... args) {
    const int n = std::snprintf(nullptr, 0, format, detail::Arg(args)...);
    if (n <= 0) {
        return {};
    }
    std::string out(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(out.data(), out.size(), format, detail::Arg(args)...);
    out.pop_back();
    return out;
}

}  // namespace text
