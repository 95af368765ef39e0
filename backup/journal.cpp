#include "backup/journal.h"

#include <algorithm>
#include <cstdio>

#include "backup/texts.h"

namespace backup {

namespace {

constexpr std::string_view kSavedTag = "SAVED";
constexpr std::string_view kCreatedTag = "NEW";
constexpr std::string_view kFolderTag = "FOLDER";
constexpr std::string_view kReadOnlyTag = "READONLY";
constexpr std::string_view kBegunTag = "BEGUN";
constexpr std::string_view kProductTag = "PRODUCT";
constexpr std::string_view kSettingsTag = "SETTINGS";
constexpr std::string_view kRootTag = "ROOT";
constexpr std::string_view kWrittenTag = "WRITTEN";
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kTempPrefix = "RPL";
constexpr std::string_view kTempExtension = ".TMP";
constexpr std::string_view kMasterWorkFile = "TEMP.MST";

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t from = 0;
    for (size_t tab; (tab = line.find('\t', from)) != std::string_view::npos; from = tab + 1) {
        fields.push_back(line.substr(from, tab - from));
    }
    fields.push_back(line.substr(from));
    return fields;
}

bool AllDigits(std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool ParseHex(std::string_view s, uint64_t& value) {
    if (s.empty() || s.size() > 16 || !std::all_of(s.begin(), s.end(), IsHexDigit)) {
        return false;
    }
    value = std::stoull(std::string(s), nullptr, 16);
    return true;
}

bool ParseDecimal(std::string_view s, uint64_t& value) {
    if (!AllDigits(s) || s.size() > 19) {
        return false;
    }
    value = std::stoull(std::string(s));
    return true;
}

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return out;
}

std::string Hex(uint64_t value, int digits) {
    char hex[24];
    std::snprintf(hex, sizeof hex, "%0*llX", digits, static_cast<unsigned long long>(value));
    return hex;
}

bool ParseChange(const std::vector<std::string_view>& f, Change& change) {
    // A saved file's number is SavedName's: digits only, never a name of another kind.
    if (f.size() == 3 && f[0] == kSavedTag && AllDigits(f[1]) && f[1].size() <= 9 &&
        !f[2].empty()) {
        change = {ChangeKind::kSaved, std::string(f[2]), std::string(f[1])};
        return true;
    }
    if (f.size() == 2 && !f[1].empty()) {
        const ChangeKind kind = f[0] == kFolderTag     ? ChangeKind::kFolder
                                : f[0] == kReadOnlyTag ? ChangeKind::kReadOnly
                                                       : ChangeKind::kCreated;
        change = {kind, std::string(f[1]), {}};
        return f[0] == kCreatedTag || f[0] == kFolderTag || f[0] == kReadOnlyTag;
    }
    return false;
}

bool ParseWritten(const std::vector<std::string_view>& f, Written& written) {
    uint64_t crc = 0;
    if (f.size() != 4 || f[0] != kWrittenTag || !ParseDecimal(f[1], written.size) ||
        f[2].size() != 8 || !ParseHex(f[2], crc) || f[3].empty()) {
        return false;
    }
    written.crc = static_cast<uint32_t>(crc);
    written.path = std::string(f[3]);
    return true;
}

// PRODUCT and SETTINGS: once each, with a value.
bool ParseOnce(const std::vector<std::string_view>& f, std::string_view tag, std::string& value) {
    if (f.size() != 2 || f[0] != tag || f[1].empty() || !value.empty()) {
        return false;
    }
    value = std::string(f[1]);
    return true;
}

}  // namespace

std::string FormatChange(const Change& change) {
    switch (change.kind) {
        case ChangeKind::kSaved:
            return std::string(kSavedTag) + "\t" + change.saved + "\t" + change.path +
                   std::string(kLineEnd);
        case ChangeKind::kFolder:
            return std::string(kFolderTag) + "\t" + change.path + std::string(kLineEnd);
        case ChangeKind::kReadOnly:
            return std::string(kReadOnlyTag) + "\t" + change.path + std::string(kLineEnd);
        case ChangeKind::kCreated:
            break;
    }
    return std::string(kCreatedTag) + "\t" + change.path + std::string(kLineEnd);
}

std::string FormatBegun(uint64_t fileTime) {
    return std::string(kBegunTag) + "\t" + Hex(fileTime, 16) + std::string(kLineEnd);
}

std::string FormatProduct(const std::string& folder) {
    return std::string(kProductTag) + "\t" + folder + std::string(kLineEnd);
}

std::string FormatSettings(const std::string& fileName) {
    return std::string(kSettingsTag) + "\t" + fileName + std::string(kLineEnd);
}

std::string FormatRoot(const std::string& folder) {
    return std::string(kRootTag) + "\t" + folder + std::string(kLineEnd);
}

std::string FormatWritten(const Written& written) {
    return std::string(kWrittenTag) + "\t" + std::to_string(written.size) + "\t" +
           Hex(written.crc, 8) + "\t" + written.path + std::string(kLineEnd);
}

Journal ParseJournal(std::string_view text) {
    Journal journal;
    size_t number = 0;
    for (size_t end; (end = text.find(kLineEnd)) != std::string_view::npos;
         text.remove_prefix(end + kLineEnd.size())) {
        ++number;
        const std::vector<std::string_view> f = Fields(text.substr(0, end));
        if (number == 1 && f.size() == 2 && f[0] == kBegunTag && ParseHex(f[1], journal.begun)) {
            continue;
        }
        if (!f.empty() && f[0] == kProductTag) {
            journal.productLine = number;
            if (!ParseOnce(f, kProductTag, journal.product)) {
                journal.damaged.push_back(number);
            }
            continue;
        }
        if (!f.empty() && f[0] == kSettingsTag) {
            journal.settingsLine = number;
            if (!ParseOnce(f, kSettingsTag, journal.settings)) {
                journal.damaged.push_back(number);
            }
            continue;
        }
        if (!f.empty() && f[0] == kRootTag) {
            if (f.size() == 2 && !f[1].empty()) {
                journal.roots.emplace_back(f[1]);
                journal.rootLines.push_back(number);
            } else {
                journal.damaged.push_back(number);
            }
            continue;
        }
        Change change;
        Written written;
        if (ParseChange(f, change)) {
            change.line = number;
            journal.changes.push_back(std::move(change));
        } else if (ParseWritten(f, written)) {
            written.line = number;
            journal.written.push_back(std::move(written));
        } else {
            journal.damaged.push_back(number);
        }
    }
    return journal;
}

std::string_view JournalLine(std::string_view text, size_t number) {
    for (size_t n = 1; !text.empty(); ++n) {
        const size_t end = text.find(kLineEnd);
        if (n == number) {
            return text.substr(0, end);
        }
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + kLineEnd.size());
    }
    return {};
}

bool IsWorkFileName(std::string_view name) {
    const std::string upper = Upper(name);
    if (upper == kMasterWorkFile) {
        return true;
    }
    const std::string_view n = upper;
    if (!n.starts_with(kTempPrefix) || !n.ends_with(kTempExtension)) {
        return false;
    }
    const std::string_view digits =
        n.substr(kTempPrefix.size(), n.size() - kTempPrefix.size() - kTempExtension.size());
    return !digits.empty() && digits.size() <= 4 &&
           std::all_of(digits.begin(), digits.end(), IsHexDigit);
}

std::string SavedName(int n) {
    char name[16];
    std::snprintf(name, sizeof name, "%05d", n);
    return name;
}

std::string SetName(int number) {
    char name[16];
    std::snprintf(name, sizeof name, "%04d", number);
    return name;
}

int SetNumber(std::string_view name) {
    if (name.size() != 4 || !AllDigits(name)) {
        return 0;
    }
    int n = 0;
    for (char c : name) {
        n = n * 10 + (c - '0');
    }
    return n;
}

bool IsRetiredSetName(std::string_view name) {
    const std::string_view suffix = kRetiredSuffix;
    return name.size() > suffix.size() &&
           Upper(name.substr(name.size() - suffix.size())) == suffix &&
           SetNumber(name.substr(0, name.size() - suffix.size())) > 0;
}

std::vector<int> SetsToPrune(std::vector<int> numbers, size_t keep) {
    std::sort(numbers.begin(), numbers.end());
    if (numbers.size() <= keep) {
        return {};
    }
    numbers.resize(numbers.size() - keep);
    return numbers;
}

}  // namespace backup
