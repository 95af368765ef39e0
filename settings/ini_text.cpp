#include "settings/ini_text.h"

#include <tuple>
#include <vector>

#include "text/cp932.h"

namespace settings {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// One physical line: [begin, end) is its text without blanks at either side; `next` is where
// the following line starts (after this one's CR LF, LF or CR).
struct Line {
    size_t begin = 0;
    size_t end = 0;
    size_t next = 0;
    bool broken = false;  // ends in a line break, not at the end of the file
};

// The profile functions see these as blanks: ASCII white space and ^Z; the ideographic space
// is text to them.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == 0x1A;
}

// [begin, end) of `s` within [from, to) without blanks at either side.
std::pair<size_t, size_t> Trimmed(std::string_view s, size_t from, size_t to) {
    size_t begin = from;
    while (begin < to && IsBlank(s[begin])) {
        ++begin;
    }
    size_t end = begin;
    for (size_t i = begin; i < to; i += text::CharLength(s.substr(0, to), i)) {
        if (!IsBlank(s[i])) {
            end = i + text::CharLength(s.substr(0, to), i);
        }
    }
    return {begin, end};
}

std::string_view TrimmedView(std::string_view s) {
    const auto [begin, end] = Trimmed(s, 0, s.size());
    return s.substr(begin, end - begin);
}

std::vector<Line> SplitLines(std::string_view file) {
    std::vector<Line> lines;
    size_t pos = 0;
    while (pos < file.size()) {
        size_t stop = pos;
        while (stop < file.size() && file[stop] != '\r' && file[stop] != '\n') {
            ++stop;
        }
        Line line;
        std::tie(line.begin, line.end) = Trimmed(file, pos, stop);
        line.next = stop;
        if (stop < file.size()) {
            line.broken = true;
            line.next += (file[stop] == '\r' && stop + 1 < file.size() && file[stop + 1] == '\n') ? 2 : 1;
        }
        lines.push_back(line);
        pos = line.next;
    }
    return lines;
}

std::string_view TextOf(std::string_view file, const Line& line) {
    return file.substr(line.begin, line.end - line.begin);
}

// The name of a section header line; nullopt for any other line. A '[' without ']' makes a
// key line, as the profile functions read it.
std::optional<std::string_view> SectionName(std::string_view file, const Line& line) {
    const std::string_view s = TextOf(file, line);
    if (s.empty() || s[0] != '[') {
        return std::nullopt;
    }
    const size_t close = text::FindChar(s, ']', 1);
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    return s.substr(1, close - 1);
}

// A key line: the name without its trailing blanks, and where its value starts (after '=' and
// blanks), npos when the line has no '='.
struct KeyLine {
    std::string_view name;
    size_t valueBegin = std::string_view::npos;
};

KeyLine ParseKey(std::string_view file, const Line& line) {
    const std::string_view s = TextOf(file, line);
    const size_t equals = text::FindChar(s, '=');
    if (equals == std::string_view::npos) {
        return {s, std::string_view::npos};
    }
    const size_t nameEnd = Trimmed(file, line.begin, line.begin + equals).second;
    const size_t valueBegin = Trimmed(file, line.begin + equals + 1, line.end).first;
    return {file.substr(line.begin, nameEnd - line.begin), valueBegin};
}

// Where a section's lines are: its header's index and one past its last line; the key's
// line index when it has one.
struct Found {
    std::optional<size_t> section;
    size_t sectionEnd = 0;
    std::optional<size_t> key;
};

// Lines before the first header form a section without a name, as the profile functions
// read them; only the first section of a name is ever looked at.
Found Find(std::string_view file, const std::vector<Line>& lines, std::string_view section,
           std::string_view key) {
    const std::string wantedSection = text::ToUpperAscii(TrimmedView(section));
    const std::string wantedKey = text::ToUpperAscii(TrimmedView(key));
    Found found;
    bool inWanted = wantedSection.empty();
    for (size_t i = 0; i < lines.size(); ++i) {
        if (const auto name = SectionName(file, lines[i])) {
            if (inWanted && (found.section || wantedSection.empty())) {
                found.sectionEnd = i;
                return found;
            }
            inWanted = !found.section && text::ToUpperAscii(*name) == wantedSection;
            if (inWanted) {
                found.section = i;
            }
            continue;
        }
        if (inWanted && lines[i].begin != lines[i].end && !found.key &&
            text::ToUpperAscii(ParseKey(file, lines[i]).name) == wantedKey) {
            found.key = i;
        }
    }
    found.sectionEnd = lines.size();
    return found;
}

}  // namespace

std::optional<std::string> FindIniValue(std::string_view file, std::string_view section,
                                        std::string_view key) {
    const std::vector<Line> lines = SplitLines(file);
    const Found found = Find(file, lines, section, key);
    if (!found.key) {
        return std::nullopt;
    }
    const Line& line = lines[*found.key];
    const KeyLine parsed = ParseKey(file, line);
    if (parsed.valueBegin == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view value = file.substr(parsed.valueBegin, line.end - parsed.valueBegin);
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

std::string WithIniValue(std::string_view file, std::string_view section, std::string_view key,
                         std::string_view value) {
    const std::vector<Line> lines = SplitLines(file);
    const Found found = Find(file, lines, section, key);
    std::string out(file);
    if (found.key) {
        const Line& line = lines[*found.key];
        const size_t valueBegin = ParseKey(file, line).valueBegin;
        if (valueBegin == std::string_view::npos) {
            return out.insert(line.end, "=" + std::string(value));
        }
        return out.replace(valueBegin, line.end - valueBegin, value);
    }
    const std::string keyLine = std::string(TrimmedView(key)) + "=" + std::string(value);
    if (found.section) {
        // After the section's last line that is not blank, before the blank lines that part it
        // from the next one.
        size_t last = *found.section;
        for (size_t i = last + 1; i < found.sectionEnd; ++i) {
            if (lines[i].begin != lines[i].end) {
                last = i;
            }
        }
        if (!lines[last].broken) {
            return out.append(kLineEnd).append(keyLine).append(kLineEnd);
        }
        return out.insert(lines[last].next, keyLine + std::string(kLineEnd));
    }
    if (!out.empty() && out.back() != '\n' && out.back() != '\r') {
        out.append(kLineEnd);
    }
    return out.append("[").append(TrimmedView(section)).append("]").append(kLineEnd)
        .append(keyLine).append(kLineEnd);
}

}  // namespace settings
