// What the demo update (examples/demo) leaves in the product's files, worked out from what was
// there before: shared by the end-to-end tests that run it.
#pragma once

#include <cstdio>
#include <string>

namespace e2e {

// The demo's member texts: a line 40 times over, numbered, CR LF.
inline std::string Member(const std::string& line) {
    std::string text;
    for (int i = 1; i <= 40; ++i) {
        char number[8];
        std::snprintf(number, sizeof(number), " %02d\r\n", i);
        text += line + number;
    }
    return text;
}

// The master records after both conversions, from the records before them.
inline std::string ConvertedMaster(const std::string& before) {
    std::string out;
    size_t at = 0;
    while (at < before.size()) {
        const size_t end = before.find("\r\n", at);
        std::string line = before.substr(at, end - at);
        at = end + 2;
        const std::string codes = line.substr(0, 12);
        if ((codes == "400400000107" || codes == "400400000111") && line.size() != 185 &&
            line.size() > 66) {
            line.erase(66, 1);
        }
        if (line.size() > 13 && (line[13] == 'A' || line[13] == 'B')) {
            line[13] = 'Z';
        }
        out += line + "\r\n";
    }
    return out;
}

// A key of a settings file, read from its bytes (`text`): the profile functions of the test's
// process would answer from a cache of an earlier test's file.
inline std::string SettingOf(const std::string& text, const std::string& key) {
    const std::string lines = "\r\n" + text;
    const size_t at = lines.find("\r\n" + key + "=");
    if (at == std::string::npos) {
        return "(none)";
    }
    const size_t from = at + key.size() + 3;
    return lines.substr(from, lines.find("\r\n", from) - from);
}

}  // namespace e2e
