#include "text/path.h"

#include <array>

#include "text/cp932.h"

namespace text {

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// True when the last character of `s` (stepping over double-byte characters) satisfies `pred`.
template <typename Pred>
bool LastCharIs(std::string_view s, Pred pred) {
    size_t pos = 0;
    size_t last = std::string_view::npos;
    while (pos < s.size()) {
        last = pos;
        pos += CharLength(s, pos);
    }
    return last != std::string_view::npos && pos - last == 1 && pred(s[last]);
}

bool IsTrailByte(char byte) {
    unsigned char c = static_cast<unsigned char>(byte);
    return c >= 0x40 && c <= 0xFC && c != 0x7F;
}

bool IsDeviceName(std::string_view name) {
    std::string base = ToUpperAscii(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ') {
        base.pop_back();  // "NUL .txt" still opens the device
    }
    static constexpr std::array<std::string_view, 6> kPlain = {"CON", "PRN",    "AUX",
                                                               "NUL", "CONIN$", "CONOUT$"};
    for (std::string_view device : kPlain) {
        if (base == device) {
            return true;
        }
    }
    bool numbered = base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT"));
    return numbered && base[3] >= '1' && base[3] <= '9';
}

}  // namespace

bool EndsWithSeparator(std::string_view path) {
    return LastCharIs(path, IsSeparator);
}

std::string WithSeparator(std::string_view folder) {
    std::string out(folder);
    if (!folder.empty() && !EndsWithSeparator(folder)) {
        out += '\\';
    }
    return out;
}

std::string WithoutSeparator(std::string_view folder) {
    if (EndsWithSeparator(folder)) {
        const std::string_view rest = folder.substr(0, folder.size() - 1);
        const bool root = rest.empty() || (rest.size() == 2 && rest[1] == ':');
        if (!root) {
            return std::string(rest);
        }
    }
    return std::string(folder);
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    bool bareDrive = folder.size() == 2 && folder[1] == ':';
    if (!folder.empty() && !bareDrive && !EndsWithSeparator(folder)) {
        path += '\\';
    }
    path += name;
    return path;
}

bool IsSafeBareName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    for (size_t pos = 0; pos < name.size(); pos += CharLength(name, pos)) {
        unsigned char c = static_cast<unsigned char>(name[pos]);
        if (IsLeadByte(c)) {
            // Half a character or a bad trail byte has no Windows file name to map to.
            if (CharLength(name, pos) != 2 || !IsTrailByte(name[pos + 1])) {
                return false;
            }
            continue;
        }
        if (c < 0x20 || c == 0x7F || std::string_view("\\/:*?\"<>|").find(c) != name.npos) {
            return false;
        }
    }
    if (LastCharIs(name, [](char c) { return c == '.' || c == ' '; })) {
        return false;
    }
    return !IsDeviceName(name);
}

}  // namespace text
