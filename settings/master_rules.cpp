#include "settings/master_rules.h"

#include "text/cp932.h"

namespace settings {

namespace {
constexpr size_t kSizeByte = 66;
constexpr size_t kConvertedLength = 185;
constexpr size_t kTypeByte = 13;

bool IsSizeCandidate(std::string_view line) {
    if (line.size() < 12 || line.substr(0, 6) != "400400") {
        return false;
    }
    const std::string_view second = line.substr(6, 6);
    return second == "000107" || second == "000111";
}
}  // namespace

void ApplySizeRule(std::string& line) {
    if (IsSizeCandidate(line) && line.size() != kConvertedLength && line.size() > kSizeByte) {
        line.erase(kSizeByte, 1);
    }
}

void ApplyTypeRule(std::string& line) {
    if (line.size() > kTypeByte && (line[kTypeByte] == 'A' || line[kTypeByte] == 'B')) {
        line[kTypeByte] = 'Z';
    }
}

void ApplyLineRule(LineRule rule, std::string& line) {
    if (rule == LineRule::kSize) {
        ApplySizeRule(line);
    } else {
        ApplyTypeRule(line);
    }
}

bool MatchesNamePattern(std::string_view name, std::string_view pattern) {
    size_t n = 0;
    size_t p = 0;
    while (p < pattern.size() && n < name.size()) {
        const size_t patternChar = text::CharLength(pattern, p);
        const size_t nameChar = text::CharLength(name, n);
        const bool any = pattern[p] == '?';
        if (!any &&
            !text::EqualsIgnoreCase(name.substr(n, nameChar), pattern.substr(p, patternChar))) {
            return false;
        }
        p += patternChar;
        n += nameChar;
    }
    return p == pattern.size() && n == name.size();
}

}  // namespace settings
