#include "settings/masters.h"

#include <windows.h>

#include <cstdio>
#include <exception>
#include <optional>
#include <string_view>
#include <vector>

#include "framework/handles.h"
#include "settings/master_rules.h"
#include "settings/profile.h"
#include "settings/texts.h"
#include "text/cp932.h"
#include "text/line_reader.h"

namespace settings {

namespace {

constexpr size_t kPrefixBuffer = 64;
constexpr size_t kWriteChunk = 65536;

bool IsListable(const WIN32_FIND_DATAA& entry, std::string_view namePattern) {
    const std::string_view name = entry.cFileName;
    if (name == "." || name == ".." || (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return false;
    }
    // The platform's own wildcards also match short names and let "?" match nothing.
    return name.size() <= kMaxMasterNameBytes && MatchesNamePattern(name, namePattern);
}

// Opened for reading and writing with no sharing, so that a read-only master file, or one
// that another process holds, counts as one that cannot be opened.
framework::File OpenMasterExclusive(const std::string& path) {
    framework::File file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        return file;
    }
    // Wine run as root opens read-only files for writing; the product must not. Only the
    // basic information: GetFileInformationByHandle also asks for the volume serial, which
    // under Wine costs more than converting a whole small master file.
    FILE_BASIC_INFO basic{};
    if (!GetFileInformationByHandleEx(file.Get(), FileBasicInfo, &basic, sizeof basic) ||
        (basic.FileAttributes & FILE_ATTRIBUTE_READONLY)) {
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

// Puts the open file `file` (opened with DELETE access) in the place of `target` (cp932,
// absolute or relative to the current folder) in one step. Through the handle it is the
// cheapest one-step replace under Wine, and plain on Vista and later.
bool RenameOver(HANDLE file, const std::string& target) {
    const int chars =
        MultiByteToWideChar(CP_ACP, 0, target.data(), static_cast<int>(target.size()), nullptr, 0);
    std::vector<char> request(sizeof(FILE_RENAME_INFO) + (chars + 1) * sizeof(WCHAR));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(request.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(chars * sizeof(WCHAR));
    MultiByteToWideChar(CP_ACP, 0, target.data(), static_cast<int>(target.size()), info->FileName,
                        chars);
    info->FileName[chars] = L'\0';
    return SetFileInformationByHandle(file, FileRenameInfo, request.data(),
                                      static_cast<DWORD>(request.size()));
}

// The work file "temp.mst": written through a buffer with CR LF line ends, and removed when
// it goes out of scope without having replaced its master file.
class WorkFile {
public:
    explicit WorkFile(std::string path) : path_(std::move(path)) {}
    WorkFile(const WorkFile&) = delete;
    WorkFile& operator=(const WorkFile&) = delete;
    ~WorkFile() {
        Close();
        if (created_ && !replaced_) {
            DeleteFileA(path_.c_str());
        }
    }

    bool Create() {
        handle_ = CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        created_ = handle_ != INVALID_HANDLE_VALUE;
        buffer_.reserve(kWriteChunk + 256);
        return created_;
    }

    bool WriteLine(std::string_view line) {
        buffer_.append(line);
        buffer_.append("\r\n");
        return buffer_.size() < kWriteChunk || Flush();
    }

    bool Replace(const std::string& masterPath) {
        if (!buffer_.empty() && !Flush()) {
            return false;
        }
        replaced_ = RenameOver(handle_, masterPath);
        return Close() && replaced_;
    }

private:
    bool Flush() {
        DWORD written = 0;
        const bool ok = WriteFile(handle_, buffer_.data(), static_cast<DWORD>(buffer_.size()),
                                  &written, nullptr) &&
                        written == buffer_.size();
        buffer_.clear();
        return ok;
    }

    bool Close() {
        if (handle_ == INVALID_HANDLE_VALUE) {
            return true;
        }
        bool ok = buffer_.empty() || Flush();
        ok = CloseHandle(handle_) && ok;
        handle_ = INVALID_HANDLE_VALUE;
        return ok;
    }

    std::string path_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    std::string buffer_;
    bool created_ = false;
    bool replaced_ = false;
};

bool CopyConverted(text::LineReader& reader, WorkFile& work, LineRule rule) {
    std::string line;
    text::LineReader::Status status;
    while ((status = reader.ReadLine(line)) == text::LineReader::Status::kLine) {
        ApplyLineRule(rule, line);
        if (!work.WriteLine(line)) {
            return false;
        }
    }
    return status == text::LineReader::Status::kEnd;
}

// Any failure leaves the master file as it was and no work file behind.
bool ConvertMasterFile(const std::string& folder, const std::string& name, LineRule rule) {
    const std::string masterPath = folder + name;
    framework::File master = OpenMasterExclusive(masterPath);
    text::LineReader reader;
    if (!master || !reader.Attach(ReadFrom(master.Get()))) {
        return false;
    }
    WorkFile work(folder + kWorkFile);
    if (!work.Create() || !CopyConverted(reader, work, rule)) {
        return false;
    }
    master.Reset();  // the master must be closed before it can be replaced
    return work.Replace(masterPath);
}

int ConvertBothFolders(const std::string& settingsPath, LineRule rule) {
    const std::string prefix =
        ReadProfileString(settingsPath, kDirSection, kMasterKey, "", kPrefixBuffer);
    if (ConvertMasterFolder(prefix + kFirstMasterFolder, rule) != 1) {
        return 0;
    }
    return ConvertMasterFolder(prefix + kSecondMasterFolder, rule);
}

}  // namespace

int ListMasterFiles(const std::string& pattern, std::vector<std::string>& names) {
    names.clear();
    if (pattern.size() > kMaxPatternBytes) {
        return 0;
    }
    const text::PathParts parts = text::SplitPath(pattern);
    const std::string namePattern = parts.fname + parts.ext;
    WIN32_FIND_DATAA entry;
    framework::FindHandle find(FindFirstFileA(pattern.c_str(), &entry));
    if (!find) {
        return 0;
    }
    do {
        if (IsListable(entry, namePattern)) {
            names.emplace_back(entry.cFileName);
        }
    } while (names.size() < kMaxMasterNames && FindNextFileA(find.Get(), &entry));
    return static_cast<int>(names.size());
}

bool ReplaceMasterFile(const std::string& workPath, const std::string& masterPath) {
    bool replaced = false;
    framework::File work(CreateFileA(workPath.c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (work) {
        replaced = RenameOver(work.Get(), masterPath);
    }
    work.Reset();  // opened without sharing: it must be closed before it can be removed
    if (!replaced) {
        DeleteFileA(workPath.c_str());
    }
    return replaced;
}

int ConvertMasterFolder(const std::string& folder, LineRule rule) {
    // A pattern beyond the product's buffer cannot be searched; the folder is reported as not
    // converted rather than passed over in silence.
    if (folder.size() + std::string_view(kMasterPattern).size() > kMaxPatternBytes) {
        return 0;
    }
    try {
        std::vector<std::string> names;
        names.reserve(kMaxMasterNames);
        ListMasterFiles(folder + kMasterPattern, names);
        for (const std::string& name : names) {
            if (!ConvertMasterFile(folder, name, rule)) {
                return 0;
            }
        }
        return 1;
    } catch (const std::exception&) {
        return 0;  // out of memory: the work file has been removed on the way out
    }
}

int ConvertMaterialSize(const std::string& settingsPath) {
    return ConvertBothFolders(settingsPath, LineRule::kSize);
}

int ConvertMaterialType(const std::string& settingsPath) {
    return ConvertBothFolders(settingsPath, LineRule::kType);
}

}  // namespace settings
