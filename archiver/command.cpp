#include "archiver/command.h"

#include <vector>

#include "archiver/texts.h"
#include "text/cp932.h"

namespace archiver {

namespace {

struct Token {
    std::string text;
    bool quoted = false;  // a token that began with a quote is always a path
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Where an unquoted switch token starting at `i` ends when it holds -w with a folder written
// bare: at the last blank before the next quote, blanks inside the folder kept. npos when the
// token is no such switch, or no blank and quote follow (it then ends at its first blank).
size_t WorkFolderEnd(std::string_view text, size_t i) {
    if (text[i] != '-') {
        return std::string_view::npos;
    }
    size_t w = i + 1;
    while (w < text.size() && IsAsciiLetter(text[w]) && text[w] != 'w' && text[w] != 'W') {
        ++w;
    }
    size_t from = w + 1;
    if (w >= text.size() || !IsAsciiLetter(text[w]) || from >= text.size() || text[from] == '"' ||
        IsBlank(text[from])) {
        return std::string_view::npos;
    }
    size_t quote = text.find('"', from);
    size_t end = quote;
    while (end != std::string_view::npos && end > from && IsBlank(text[end - 1])) {
        --end;
    }
    return end == quote ? std::string_view::npos : end;
}

// Splits on blanks outside double quotes, except inside the bare folder of -w. Neither a
// blank nor a quote can be the trail byte of a cp932 character, so a byte-wise scan is safe.
bool Tokenize(std::string_view text, std::vector<Token>& tokens) {
    size_t i = 0;
    while (true) {
        while (i < text.size() && IsBlank(text[i])) {
            ++i;
        }
        if (i == text.size()) {
            return true;
        }
        Token token;
        token.quoted = text[i] == '"';
        if (size_t end = WorkFolderEnd(text, i); end != std::string_view::npos) {
            token.text = text.substr(i, end - i);
            tokens.push_back(std::move(token));
            i = end;
            continue;
        }
        bool inQuotes = false;
        for (; i < text.size() && (inQuotes || !IsBlank(text[i])); ++i) {
            if (text[i] == '"') {
                inQuotes = !inQuotes;
            } else {
                token.text += text[i];
            }
        }
        if (inQuotes) {
            return false;
        }
        tokens.push_back(std::move(token));
    }
}

bool ApplySwitches(std::string_view letters, Command& command, std::string& error) {
    for (size_t i = 0; i < letters.size(); ++i) {
        char c = text::ToUpperAscii(letters.substr(i, 1))[0];
        if (c == 'M') {
            command.noQuestions = true;
        } else if (c == 'C') {
            command.replaceAlways = true;
        } else if (c == 'W') {
            command.workFolder = letters.substr(i + 1);
            if (command.workFolder.empty()) {
                error = kNoWorkFolder;
                return false;
            }
            return true;
        } else {
            error = std::string(kUnknownSwitch) + "-" + std::string(letters);
            return false;
        }
    }
    return true;
}

bool ParseKind(std::string_view word, CommandKind& kind, std::string& error) {
    if (text::EqualsIgnoreCase(word, "e")) {
        kind = CommandKind::kExtract;
    } else if (text::EqualsIgnoreCase(word, "l")) {
        kind = CommandKind::kList;
    } else {
        error = std::string(kUnknownCommand) + std::string(word);
        return false;
    }
    return true;
}

}  // namespace

bool ParseCommand(std::string_view text, const FileExists& exists, Command& command,
                  std::string& error) {
    std::vector<Token> tokens;
    if (!Tokenize(text, tokens)) {
        error = kUnclosedQuote;
        return false;
    }
    if (tokens.empty()) {
        error = kNoCommand;
        return false;
    }
    command = Command{};
    if (!ParseKind(tokens[0].text, command.kind, error)) {
        return false;
    }
    std::vector<std::string> paths;
    for (size_t i = 1; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (!t.quoted && t.text.size() > 1 && t.text[0] == '-') {
            if (!ApplySwitches(std::string_view(t.text).substr(1), command, error)) {
                return false;
            }
        } else {
            paths.push_back(t.text);
        }
    }
    size_t allowed = command.kind == CommandKind::kExtract ? 2 : 1;
    if (paths.empty() || paths[0].empty()) {
        error = kNoArchive;
        return false;
    }
    if (paths.size() > allowed) {
        error = std::string(kExtraArgument) + paths[allowed];
        return false;
    }
    command.archive = ArchiveFileName(paths[0], exists);
    command.destination = paths.size() > 1 ? paths[1] : std::string();
    return true;
}

std::string ArchiveFileName(std::string_view path, const FileExists& exists) {
    std::string withLzh = std::string(path) + ".lzh";
    if (text::SplitPath(path).ext.empty() || exists(withLzh)) {
        return withLzh;
    }
    return std::string(path);
}

std::string_view SkipProgramName(std::string_view line) {
    size_t i = 0;
    if (!line.empty() && line[0] == '"') {
        size_t close = line.find('"', 1);
        i = close == line.npos ? line.size() : close + 1;
    } else {
        while (i < line.size() && !IsBlank(line[i])) {
            ++i;
        }
    }
    while (i < line.size() && IsBlank(line[i])) {
        ++i;
    }
    return line.substr(i);
}

}  // namespace archiver
