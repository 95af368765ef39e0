#include "text/cp932.h"

#include <climits>

namespace text {

bool IsLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

size_t CharLength(std::string_view s, size_t pos) {
    if (pos + 1 < s.size() && IsLeadByte(static_cast<unsigned char>(s[pos]))) {
        return 2;
    }
    return 1;
}

static char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

std::string ToUpperAscii(std::string_view s) {
    std::string out(s);
    for (size_t i = 0; i < out.size(); i += CharLength(out, i)) {
        out[i] = UpperAscii(out[i]);
    }
    return out;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && ToUpperAscii(a) == ToUpperAscii(b);
}

size_t FindOnBoundary(std::string_view haystack, std::string_view needle, size_t from) {
    size_t i = 0;
    while (i < from && i < haystack.size()) {
        i += CharLength(haystack, i);
    }
    for (; i + needle.size() <= haystack.size(); i += CharLength(haystack, i)) {
        if (haystack.compare(i, needle.size(), needle) == 0) {
            return i;
        }
    }
    return std::string_view::npos;
}

size_t FindChar(std::string_view s, char ch, size_t from) {
    return FindOnBoundary(s, std::string_view(&ch, 1), from);
}

int AtoiRule(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        value = value * 10 + (s[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) {
            value = static_cast<long long>(INT_MAX) + 1;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX) {
        return INT_MAX;
    }
    return static_cast<int>(value);
}

std::string TruncateBytes(std::string_view s, size_t limit) {
    size_t end = 0;
    while (end < s.size()) {
        size_t next = end + CharLength(s, end);
        if (next > limit) {
            break;
        }
        end = next;
    }
    return std::string(s.substr(0, end));
}

static bool IsSeparator(char c) { return c == '\\' || c == '/'; }

PathParts SplitPath(std::string_view path) {
    PathParts parts;
    if (path.size() >= 2 && path[1] == ':' && !IsLeadByte(static_cast<unsigned char>(path[0]))) {
        parts.drive = std::string(path.substr(0, 2));
        path.remove_prefix(2);
    }
    // The last separator and the last dot after it, both on character boundaries.
    size_t lastSep = std::string_view::npos;
    size_t lastDot = std::string_view::npos;
    for (size_t i = 0; i < path.size(); i += CharLength(path, i)) {
        if (IsSeparator(path[i])) {
            lastSep = i;
            lastDot = std::string_view::npos;
        } else if (path[i] == '.') {
            lastDot = i;
        }
    }
    size_t nameStart = lastSep == std::string_view::npos ? 0 : lastSep + 1;
    parts.dir = std::string(path.substr(0, nameStart));
    size_t nameEnd = lastDot == std::string_view::npos ? path.size() : lastDot;
    parts.fname = std::string(path.substr(nameStart, nameEnd - nameStart));
    parts.ext = std::string(path.substr(nameEnd));
    return parts;
}

}  // namespace text
