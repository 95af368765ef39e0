#include "backup/backup_set.h"

#include <windows.h>

#include <vector>

#include "backup/journal.h"
#include "backup/texts.h"
#include "framework/directory.h"
#include "text/cp932.h"

namespace backup {

namespace {

constexpr size_t kSetsKept = 3;
constexpr int kLastSetNumber = 9999;

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// "C:\\A\\B\\" and "C:\\A\\B" both give "C:\\A\\B"; a trail byte 0x5C is no separator.
std::string WithoutSeparator(const std::string& folder) {
    const text::PathParts parts = text::SplitPath(folder);
    if (parts.fname.empty() && parts.ext.empty() && parts.dir.size() > 1) {
        return parts.drive + parts.dir.substr(0, parts.dir.size() - 1);
    }
    return folder;
}

// The folder above `folder` (given without separator); empty at a root.
std::string Parent(const std::string& folder) {
    const text::PathParts parts = text::SplitPath(folder);
    if (parts.dir.size() <= 1) {
        return {};
    }
    return WithoutSeparator(parts.drive + parts.dir);
}

// The names in `folder` (no "." or ".."), with whether each is a folder.
std::vector<std::pair<std::string, bool>> List(const std::string& folder) {
    std::vector<std::pair<std::string, bool>> names;
    WIN32_FIND_DATAA entry;
    framework::FindHandle find(FindFirstFileA((folder + "\\*").c_str(), &entry));
    if (!find) {
        return names;
    }
    do {
        const std::string name = entry.cFileName;
        if (name != "." && name != "..") {
            names.emplace_back(name, (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
        }
    } while (FindNextFileA(find.Get(), &entry));
    return names;
}

std::vector<int> SetNumbers(const std::string& root) {
    std::vector<int> numbers;
    for (const auto& [name, isFolder] : List(root)) {
        if (isFolder && SetNumber(name) > 0) {
            numbers.push_back(SetNumber(name));
        }
    }
    return numbers;
}

bool DeleteOne(const std::string& path) {
    if (DeleteFileA(path.c_str())) {
        return true;
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileA(path.c_str()) != 0;
}

// Keeps the newest sets only, and clears away sets whose retirement was cut short.
void Prune(const std::string& root) {
    for (int number : SetsToPrune(SetNumbers(root), kSetsKept)) {
        DeleteSet(root + "\\" + SetName(number));
    }
    for (const auto& [name, isFolder] : List(root)) {
        if (isFolder && SetNumber(name) == 0) {
            DeleteSet(root + "\\" + name);
        }
    }
}

uint64_t Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

}  // namespace

std::string BackupRoot(const std::string& productFolder) {
    return framework::FullPath(productFolder + kBackupFolder);
}

std::string NewestSet(const std::string& productFolder) {
    const std::string root = BackupRoot(productFolder);
    const std::vector<int> numbers = SetNumbers(root);
    if (numbers.empty()) {
        return {};
    }
    int newest = 0;
    for (int n : numbers) {
        newest = n > newest ? n : newest;
    }
    return root + "\\" + SetName(newest);
}

bool DeleteSet(const std::string& setFolder) {
    bool deleted = true;
    for (const auto& [name, isFolder] : List(setFolder)) {
        deleted = !isFolder && DeleteOne(setFolder + "\\" + name) && deleted;
    }
    return RemoveDirectoryA(setFolder.c_str()) && deleted;
}

BackupSet::BackupSet(std::string productFolder, Saving saving)
    : product_(std::move(productFolder)), saving_(saving), begun_(Now()) {}

bool BackupSet::Open() {
    if (journal_) {
        return true;
    }
    const std::string root = BackupRoot(product_);
    if (!IsFolder(root) && !CreateDirectoryA(root.c_str(), nullptr)) {
        return false;
    }
    SetFileAttributesA(root.c_str(), FILE_ATTRIBUTE_HIDDEN);
    int number = 1;
    for (int n : SetNumbers(root)) {
        number = n >= number ? n + 1 : number;
    }
    const std::string set = root + "\\" + SetName(number);
    if (number > kLastSetNumber || !CreateDirectoryA(set.c_str(), nullptr)) {
        return false;
    }
    journal_.Reset(CreateFileA((set + "\\" + kJournalName).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                               nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::string begun = FormatBegun(begun_);
    DWORD written = 0;
    if (!journal_ || !WriteFile(journal_.Get(), begun.data(), static_cast<DWORD>(begun.size()),
                                &written, nullptr)) {
        journal_.Reset();
        DeleteSet(set);
        return false;
    }
    set_ = set;
    Prune(root);
    return true;
}

// One write and one flush for any number of lines: the flush is what a change costs.
bool BackupSet::Append(const std::string& lines) {
    DWORD written = 0;
    return WriteFile(journal_.Get(), lines.data(), static_cast<DWORD>(lines.size()), &written,
                     nullptr) &&
           written == lines.size() && FlushFileBuffers(journal_.Get());
}

bool BackupSet::Known(const std::string& key, const Pending& pending) const {
    return seen_.count(key) != 0 || pending.keys.count(key) != 0;
}

// Adds the line of a file not yet journalled, and keeps its old content now or once the line
// is written. false: the old content could not be kept. A line written before its kept file
// names a file not replaced yet; the restore leaves such a file as it is.
bool BackupSet::AddFile(const std::string& path, bool linkAllowed, When when,
                        Pending& pending) {
    const std::string full = framework::FullPath(path);
    std::string key = text::ToUpperAscii(full);
    if (Known(key, pending)) {
        return true;
    }
    if (!Open()) {
        return false;
    }
    const DWORD attributes = GetFileAttributesA(full.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return true;  // the replace itself will refuse it
    }
    Change change{ChangeKind::kCreated, full, {}};
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        change.kind = ChangeKind::kSaved;
        change.saved = SavedName(++savedCount_);
        Keep keep{key, full, set_ + "\\" + change.saved,
                  linkAllowed && saving_ == Saving::kLinkWherePossible};
        if (when == When::kQueued) {
            pending.keeps.push_back(std::move(keep));
        } else if (!KeepOldFile(keep.from, keep.to, keep.linkAllowed)) {
            return false;
        }
        if (attributes & FILE_ATTRIBUTE_READONLY) {
            pending.lines += FormatChange({ChangeKind::kReadOnly, full, {}});
        }
    }
    pending.lines += FormatChange(change);
    pending.keys.insert(std::move(key));
    return true;
}

// A line for each missing level of `folder`, the outermost first.
void BackupSet::AddFolder(const std::string& folder, Pending& pending) {
    std::vector<std::string> missing;
    for (std::string level = WithoutSeparator(framework::FullPath(folder));
         !level.empty() && !Exists(level) && !Known(text::ToUpperAscii(level), pending);
         level = Parent(level)) {
        missing.push_back(level);
    }
    for (auto level = missing.rbegin(); level != missing.rend(); ++level) {
        pending.lines += FormatChange({ChangeKind::kFolder, *level, {}});
        pending.keys.insert(text::ToUpperAscii(*level));
    }
}

// All the pending lines in one flushed write; even after a failed AddFile, so that what was
// kept before it has its line.
bool BackupSet::Commit(const Pending& pending) {
    if (pending.lines.empty()) {
        return true;
    }
    if (!Open() || !Append(pending.lines)) {
        return false;
    }
    seen_.insert(pending.keys.begin(), pending.keys.end());
    for (const Keep& keep : pending.keeps) {
        keepOf_[keep.key] = keeper_.Add(keep.from, keep.to, keep.linkAllowed);
    }
    keeper_.Start();
    return true;
}

bool BackupSet::WaitUntilKept(const std::vector<std::string>& targets) {
    for (const std::string& target : targets) {
        const auto keep = keepOf_.find(text::ToUpperAscii(framework::FullPath(target)));
        if (keep != keepOf_.end() && !keeper_.Wait(keep->second)) {
            return false;
        }
    }
    return true;
}

bool BackupSet::BeforeInstalling(const std::vector<std::string>& folders,
                                 const std::vector<std::string>& replaced,
                                 const std::vector<std::string>& writtenInPlace) {
    Pending pending;
    for (const std::string& folder : folders) {
        AddFolder(folder, pending);
    }
    bool kept = true;
    for (size_t i = 0; kept && i < replaced.size(); ++i) {
        kept = AddFile(replaced[i], true, When::kQueued, pending);
    }
    // One that cannot be copied yet (held open) is copied, or refused, when it is written.
    for (size_t i = 0; kept && i < writtenInPlace.size(); ++i) {
        AddFile(writtenInPlace[i], false, When::kNow, pending);
    }
    return Commit(pending) && kept;
}

bool BackupSet::BeforePutInPlace(const std::string& target) {
    return BeforeInstalling({}, {target}, {}) && WaitUntilKept({target});
}

bool BackupSet::BeforePutInPlaceAll(const std::vector<std::string>& targets) {
    return BeforeInstalling({}, targets, {});
}

bool BackupSet::BeforeWriteInPlace(const std::string& file) {
    Pending pending;
    const bool kept = AddFile(file, false, When::kNow, pending);
    return Commit(pending) && kept;
}

bool BackupSet::BeforeCreateFolder(const std::string& folder) {
    return BeforeInstalling({folder}, {}, {});
}

}  // namespace backup
