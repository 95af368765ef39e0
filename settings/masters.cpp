#include "settings/masters.h"

#include <windows.h>

#include <cstdio>
#include <exception>
#include <optional>
#include <string_view>
#include <vector>

#include "framework/directory.h"
#include "framework/files.h"
#include "framework/handles.h"
#include "replace/replace_file.h"
#include "settings/folder_checks.h"
#include "settings/master_rules.h"
#include "settings/profile.h"
#include "settings/texts.h"
#include "text/cp932.h"
#include "text/line_reader.h"

namespace settings {

namespace {

bool IsListable(const framework::FileFind& entry, std::string_view namePattern) {
    const std::string_view name = entry.FileName();
    if (entry.IsDirectory()) {
        return false;
    }
    // The platform's own wildcards also match short names and let "?" match nothing.
    return name.size() <= kMaxMasterNameBytes && MatchesNamePattern(name, namePattern);
}

// Opened for reading and writing with no sharing, so that a read-only master file, or one
// that another process holds, counts as one that cannot be opened.
framework::File OpenMasterExclusive(const std::string& path) {
    framework::File file(framework::OpenPath(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN));
    // Wine run as root opens read-only files for writing; the product must not.
    const DWORD attributes = file ? framework::AttributesOf(path) : INVALID_FILE_ATTRIBUTES;
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY)) {
        file.Reset();
    }
    return file;
}

text::LineReader::Source ReadFrom(HANDLE file) {
    return [file](char* data, size_t capacity) -> std::optional<size_t> {
        size_t total = 0;
        DWORD got = 1;
        while (total < capacity && got > 0) {
            if (!::ReadFile(file, data + total, static_cast<DWORD>(capacity - total), &got,
                            nullptr)) {
                return std::nullopt;
            }
            total += got;
        }
        return total;
    };
}

// Every line ends in CR LF; `size` counts the bytes handed over, for the completeness check.
bool CopyConverted(text::LineReader& reader, replace::NewFile& work, LineRule rule,
                   uint64_t& size) {
    std::string line;
    text::LineReader::Status status;
    while ((status = reader.ReadLine(line)) == text::LineReader::Status::kLine) {
        ApplyLineRule(rule, line);
        line += "\r\n";
        if (!work.Write(line.data(), line.size())) {
            return false;
        }
        size += line.size();
    }
    return status == text::LineReader::Status::kEnd;
}

// Any failure leaves the master file as it was and no work file behind.
bool ConvertMasterFile(const std::string& folder, const std::string& name, LineRule rule,
                       replace::Observer* observer) {
    const std::string masterPath = folder + name;
    framework::File master = OpenMasterExclusive(masterPath);
    text::LineReader reader;
    if (!master || !reader.Attach(ReadFrom(master.Get()))) {
        return false;
    }
    replace::NewFile work(masterPath, folder + kWorkFile);
    uint64_t size = 0;
    if (!work.created() || !CopyConverted(reader, work, rule, size)) {
        return false;
    }
    master.Reset();  // the master must be closed before it can be replaced
    return work.Commit(size, observer, framework::FullPath(masterPath));
}

bool ConvertReported(const std::string& folder, LineRule rule, ConversionReport* report,
                     replace::Observer* observer) {
    int converted = 0;
    const bool result = ConvertMasterFolder(folder, rule, &converted, observer);
    if (report != nullptr) {
        report->push_back({folder, converted});
    }
    return result;
}

bool ConvertBothFolders(const std::string& settingsPath, LineRule rule, ConversionReport* report,
                        replace::Observer* observer) {
    const std::vector<std::string> folders = MasterFolders(settingsPath);
    return ConvertReported(folders[0], rule, report, observer) &&
           ConvertReported(folders[1], rule, report, observer);
}

// The backups learn of the whole folder at once: one flush for all its files.
bool AnnounceFolder(const std::string& folder, const std::vector<std::string>& names,
                    replace::Observer* observer) {
    std::vector<std::string> targets;
    targets.reserve(names.size());
    for (const std::string& name : names) {
        targets.push_back(folder + name);
    }
    return replace::AnnounceReplaces(observer, targets);
}

}  // namespace

int ListMasterFiles(const std::string& pattern, std::vector<std::string>& names,
                    std::string* unfit) {
    names.clear();
    if (unfit != nullptr) {
        unfit->clear();
    }
    if (!PathFits(pattern)) {
        return 0;  // as Windows finds nothing (Wine would search a longer one)
    }
    const text::PathParts parts = text::SplitPath(pattern);
    const std::string namePattern = parts.fname + parts.ext;
    framework::FileFind find;
    if (!find.FindFile(pattern)) {
        return 0;
    }
    do {
        if (!IsListable(find, namePattern)) {
            continue;
        }
        if (find.NameFits()) {
            names.push_back(find.FileName());
        } else if (unfit != nullptr && unfit->empty()) {
            *unfit = find.FileName();
        }
    } while (names.size() < kMaxMasterNames && find.Next());
    return static_cast<int>(names.size());
}

bool ConvertMasterFolder(const std::string& folder, LineRule rule, int* converted,
                         replace::Observer* observer) {
    // A pattern that Windows cannot take cannot be searched; the folder is reported as not
    // converted rather than passed over in silence. (The update run refuses such a product
    // before it changes anything.)
    if (!PathFits(folder + kMasterPattern)) {
        return false;
    }
    try {
        std::vector<std::string> names;
        names.reserve(kMaxMasterNames);
        std::string unfit;
        ListMasterFiles(folder + kMasterPattern, names, &unfit);
        // A file no cp932 name can open would stay unconverted: the folder is not converted.
        if (!unfit.empty() || !AnnounceFolder(folder, names, observer)) {
            return false;
        }
        for (const std::string& name : names) {
            if (!ConvertMasterFile(folder, name, rule, observer)) {
                return false;
            }
            if (converted != nullptr) {
                ++*converted;
            }
        }
        return true;
    } catch (const std::exception&) {
        return false;  // out of memory: the work file has been removed on the way out
    }
}

std::vector<std::string> MasterFolders(const std::string& settingsPath) {
    const std::string prefix = ReadWholeProfileString(settingsPath, kDirSection, kMasterKey);
    return {prefix + kFirstMasterFolder, prefix + kSecondMasterFolder};
}

std::string VoiceFolderSetting(const std::string& settingsPath) {
    return ReadWholeProfileString(settingsPath, kDirSection, kVoiceKey);
}

bool ConvertMaterialSize(const std::string& settingsPath, ConversionReport* report,
                         replace::Observer* observer) {
    return ConvertBothFolders(settingsPath, LineRule::kSize, report, observer);
}

bool ConvertMaterialType(const std::string& settingsPath, ConversionReport* report,
                         replace::Observer* observer) {
    return ConvertBothFolders(settingsPath, LineRule::kType, report, observer);
}

}  // namespace settings
