#include "engine/command_line.h"

#include <vector>

#include "engine/texts.h"
#include "text/cp932.h"
#include "text/format.h"

namespace engine {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Blanks separate words, except between double quotes; the quotes themselves go. Quotes and
// blanks are below 0x40, so no cp932 trail byte can be taken for one.
std::vector<std::string> Words(std::string_view line) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    bool inWord = false;
    for (const char c : line) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (IsBlank(c) && !quoted) {
            if (inWord) {
                words.push_back(word);
            }
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) {
        words.push_back(word);
    }
    return words;
}

// The switch's value when `word` is `name=value` (false when it is another switch).
bool ValueOf(const std::string& word, std::string_view name, std::string& value) {
    if (word.size() < name.size() || !text::EqualsIgnoreCase(word.substr(0, name.size()), name)) {
        return false;
    }
    value = word.substr(name.size());
    return true;
}

bool SetValue(CommandLine& cl, bool& has, std::string& field, const std::string& value,
              const std::string& word) {
    if (value.empty()) {
        cl.error = text::Format(kSwitchNeedsValue, word);
        return false;
    }
    if (has && field != value) {
        cl.error = text::Format(kSwitchTwice, word);
        return false;
    }
    has = true;
    field = value;
    return true;
}

bool Take(CommandLine& cl, const std::string& word, bool& hasLog, bool afterRestore) {
    std::string value;
    if (text::EqualsIgnoreCase(word, "/SILENT")) {
        cl.quiet = cl.quiet == Quiet::kVerySilent ? Quiet::kVerySilent : Quiet::kSilent;
    } else if (text::EqualsIgnoreCase(word, "/VERYSILENT")) {
        cl.quiet = Quiet::kVerySilent;
    } else if (text::EqualsIgnoreCase(word, "/RESTORE")) {
        cl.restore = true;
    } else if (ValueOf(word, "/DIR=", value) || text::EqualsIgnoreCase(word, "/DIR")) {
        return SetValue(cl, cl.hasDir, cl.dir, value, word);
    } else if (ValueOf(word, "/LOG=", value) || text::EqualsIgnoreCase(word, "/LOG")) {
        return SetValue(cl, hasLog, cl.log, value, word);
    } else if (afterRestore && word.empty()) {
        return true;  // `/RESTORE ""`: the proposed folder
    } else if (afterRestore && word.front() != '/') {
        return SetValue(cl, cl.hasDir, cl.dir, word, word);
    } else {
        cl.error = text::Format(kUnknownSwitch, word);
        return false;
    }
    return true;
}

// Nothing of an unreadable line is acted on, but whether it asked for silence still counts:
// support staff's scripts must not stop at a message.
CommandLine Unreadable(const std::vector<std::string>& words, const std::string& error) {
    CommandLine bad;
    bad.error = error;
    for (const std::string& word : words) {
        if (text::EqualsIgnoreCase(word, "/VERYSILENT")) {
            bad.quiet = Quiet::kVerySilent;
        } else if (text::EqualsIgnoreCase(word, "/SILENT") && bad.quiet == Quiet::kNone) {
            bad.quiet = Quiet::kSilent;
        }
    }
    return bad;
}

}  // namespace

CommandLine ParseCommandLine(std::string_view line) {
    CommandLine cl;
    bool hasLog = false;
    std::string previous;
    const std::vector<std::string> words = Words(line);
    for (const std::string& word : words) {
        const bool afterRestore = text::EqualsIgnoreCase(previous, "/RESTORE");
        if (!Take(cl, word, hasLog, afterRestore)) {
            return Unreadable(words, cl.error);
        }
        previous = word;
    }
    return cl;
}

}  // namespace engine
