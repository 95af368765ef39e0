#include "backup/backup_set.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "backup/journal.h"
#include "backup/product_folders.h"
#include "backup/set_security.h"
#include "backup/texts.h"
#include "framework/files.h"
#include "framework/wide.h"
#include "replace/crc32.h"
#include "text/cp932.h"
#include "text/path.h"

namespace backup {

namespace {

constexpr size_t kSetsKept = 3;
constexpr int kLastSetNumber = 9999;

using framework::AttributesOf;
using framework::PathExists;
using text::WithoutSeparator;

// The folder above `folder` (given without separator); empty at a root.
std::string Parent(const std::string& folder) {
    const text::PathParts parts = text::SplitPath(folder);
    if (parts.dir.size() <= 1) {
        return {};
    }
    return WithoutSeparator(parts.drive + parts.dir);
}

struct Entry {
    std::string name;
    DWORD attributes = 0;
    bool fits = true;  // false: cp932 cannot carry the name, and `name` cannot open it
    bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
};

// The names in `folder` (no "." or ".."), with their attributes: a link's are its own.
std::vector<Entry> List(const std::string& folder) {
    std::vector<Entry> names;
    framework::FileFind find;
    for (bool more = find.FindFile(folder + "\\*"); more; more = find.Next()) {
        if (!find.IsDots()) {
            names.push_back({find.FileName(), find.Attributes(), find.NameFits()});
        }
    }
    return names;
}

// A numbered plain folder that holds its journal as a plain file: an empty folder, a file, a
// link named like a set, or a name out of range is none, and never counts for numbering, the
// newest set or pruning. Nor is anything in a RENOVO.BAK that is itself a link.
std::vector<int> SetNumbers(const std::string& root) {
    std::vector<int> numbers;
    if (!IsPlainFolder(root)) {
        return numbers;
    }
    for (const Entry& entry : List(root)) {
        // Sets are named by digits: a name cp932 cannot carry is never one of ours.
        if (!entry.fits || !entry.IsFolder() || IsLink(entry.attributes) ||
            SetNumber(entry.name) <= 0) {
            continue;
        }
        const DWORD journal = AttributesOf(root + "\\" + entry.name + "\\" + kJournalName);
        if (journal != INVALID_FILE_ATTRIBUTES && !(journal & FILE_ATTRIBUTE_DIRECTORY) &&
            !IsLink(journal)) {
            numbers.push_back(SetNumber(entry.name));
        }
    }
    return numbers;
}

// After the newest set, the first number whose name nothing holds; 0 when none is left.
int NextSetNumber(const std::string& root) {
    int number = 1;
    for (int n : SetNumbers(root)) {
        number = n >= number ? n + 1 : number;
    }
    while (number <= kLastSetNumber && PathExists(root + "\\" + SetName(number))) {
        ++number;
    }
    return number <= kLastSetNumber ? number : 0;
}

// Read-only: its bit is cleared through a handle held on the very file listed, which no one
// may rename or delete meanwhile, so that no link put in its place is followed.
bool DeleteReadOnly(const std::string& path) {
    framework::File held(framework::OpenPath(
        path, FILE_READ_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS));
    BY_HANDLE_FILE_INFORMATION info{};
    const DWORD attributes = AttributesOf(path);
    if (!held || !GetFileInformationByHandle(held.Get(), &info) || IsLink(info.dwFileAttributes) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        attributes == INVALID_FILE_ATTRIBUTES || IsLink(attributes) ||
        !framework::SetAttributesOf(path, FILE_ATTRIBUTE_NORMAL)) {
        return false;
    }
    held.Reset();
    return framework::DeletePath(path);
}

// A link goes as a link (DeleteFile and RemoveDirectory never follow one at the last name);
// a folder that is no link is not a set's and stays.
bool DeleteEntry(const std::string& path, DWORD attributes) {
    if (IsLink(attributes)) {
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? framework::RemoveFolder(path)
                                                       : framework::DeletePath(path);
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        return false;
    }
    return framework::DeletePath(path) || DeleteReadOnly(path);
}

// Keeps the newest sets only, and clears away sets whose retirement was cut short; nothing
// else in RENOVO.BAK is touched.
void Prune(const std::string& root) {
    for (int number : SetsToPrune(SetNumbers(root), kSetsKept)) {
        DeleteSet(root + "\\" + SetName(number));
    }
    for (const Entry& entry : List(root)) {
        if (entry.fits && entry.IsFolder() && !IsLink(entry.attributes) &&
            IsRetiredSetName(entry.name)) {
            DeleteSet(root + "\\" + entry.name);
        }
    }
}

uint64_t Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

}  // namespace

bool IsLink(unsigned long attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool IsPlainFolder(const std::string& folder) {
    const DWORD attributes = AttributesOf(folder);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !IsLink(attributes);
}

framework::File HoldFolder(const std::string& folder, DWORD access) {
    framework::File held(
        framework::OpenPath(folder, access, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT));
    // Asked of both the handle and the name: Wine tells a link by its name only.
    BY_HANDLE_FILE_INFORMATION info{};
    if (held && (!GetFileInformationByHandle(held.Get(), &info) ||
                 !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
                 IsLink(info.dwFileAttributes) || !IsPlainFolder(folder))) {
        held.Reset();
    }
    return held;
}

std::string BackupRoot(const std::string& productFolder) {
    return FullFormOf(productFolder + kBackupFolder);
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
    framework::File held = HoldFolder(setFolder);
    if (!held) {
        return false;
    }
    bool deleted = true;
    for (const Entry& entry : List(setFolder)) {
        // None of the set's own: what cp932 cannot name is left, and so is the set.
        deleted =
            entry.fits && DeleteEntry(setFolder + "\\" + entry.name, entry.attributes) && deleted;
    }
    held.Reset();
    return framework::RemoveFolder(setFolder) && deleted;
}

BackupSet::BackupSet(std::string productFolder, Saving saving, std::string settingsFile)
    : product_(std::move(productFolder)),
      saving_(saving),
      settingsFile_(std::move(settingsFile)),
      begun_(Now()) {}

// A file written in place is journalled with what the run left in it once the run is over.
BackupSet::~BackupSet() {
    std::string lines;
    for (const std::string& path : writtenInPlace_) {
        framework::File file(framework::OpenPath(path, GENERIC_READ,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                                                 FILE_FLAG_SEQUENTIAL_SCAN));
        Written written{path, 0, 0};
        char buffer[65536];
        DWORD got = 0;
        bool read = static_cast<bool>(file);
        while (read && (read = ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr)) &&
               got > 0) {
            written.crc = replace::Crc32(written.crc, buffer, got);
            written.size += got;
        }
        if (read) {
            lines += FormatWritten(written);
        }
    }
    if (journal_ && (!lines.empty() || unflushed_)) {
        Append(lines);
    }
}

bool BackupSet::Open() {
    if (journal_) {
        return true;
    }
    const std::string root = BackupRoot(product_);
    ProtectedDescriptor descriptor;
    const DWORD attributes = AttributesOf(root);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        if (!framework::MakeFolder(root, descriptor.ForThisRun())) {
            return false;
        }
    } else if (!IsPlainFolder(root)) {
        SetLastError(ERROR_DIRECTORY);  // a file, or a link that would lead the set elsewhere
        return false;
    } else if (RunIsElevated()) {
        // Made by a run that was not elevated, or by someone else: from now on only
        // administrators may add or remove sets. What is already inside keeps its own list.
        Protect(root);
    }
    framework::SetAttributesOf(root, FILE_ATTRIBUTE_HIDDEN);
    folders_ = ProductFolders(product_, settingsFile_);
    const int number = NextSetNumber(root);
    if (number == 0) {
        SetLastError(ERROR_CANNOT_MAKE);
        return false;
    }
    const std::string set = root + "\\" + SetName(number);
    if (!framework::MakeFolder(set, descriptor.ForThisRun())) {
        return false;
    }
    journal_.Reset(framework::OpenPath(set + "\\" + kJournalName, GENERIC_WRITE, FILE_SHARE_READ,
                                       CREATE_NEW, FILE_ATTRIBUTE_NORMAL, descriptor.ForThisRun()));
    std::string head =
        FormatBegun(begun_) + FormatProduct(WithoutTrailingSeparator(FullFormOf(product_)));
    if (!settingsFile_.empty()) {
        head += FormatSettings(settingsFile_);
    }
    // Its restore confines itself to these, whatever the settings say by then.
    for (const std::string& folder : folders_.roots()) {
        head += FormatRoot(folder);
    }
    DWORD written = 0;
    if (!journal_ || !WriteFile(journal_.Get(), head.data(), static_cast<DWORD>(head.size()),
                                &written, nullptr)) {
        journal_.Reset();
        DeleteSet(set);
        return false;
    }
    set_ = set;
    Prune(root);
    return true;
}

// The restore refuses a set that names any other path: such a change is not made.
bool BackupSet::Allowed(const std::string& full) const {
    if (folders_.Allows(full)) {
        return true;
    }
    SetLastError(ERROR_BAD_PATHNAME);
    return false;
}

// One write and one flush for any number of lines: the flush is what a change costs.
bool BackupSet::Append(const std::string& lines) {
    DWORD written = 0;
    const bool appended = WriteFile(journal_.Get(), lines.data(), static_cast<DWORD>(lines.size()),
                                    &written, nullptr) &&
                          written == lines.size() && FlushFileBuffers(journal_.Get());
    unflushed_ = unflushed_ && !appended;
    return appended;
}

// Written without a flush of its own: a line lost to a power cut leaves a file the restore
// takes as unchanged since, which is what it was told before.
void BackupSet::AfterPutInPlace(const std::string& target, uint64_t size, uint32_t crc) {
    if (!journal_) {
        return;
    }
    const std::string full = FullFormOf(target);
    const std::string key = text::ToUpperAscii(full);
    if (seen_.count(key) == 0) {
        return;
    }
    ProtectKept(key);
    const std::string line = FormatWritten({full, size, crc});
    DWORD written = 0;
    unflushed_ = WriteFile(journal_.Get(), line.data(), static_cast<DWORD>(line.size()), &written,
                           nullptr) ||
                 unflushed_;
}

// A kept second name shares its access list with the file it was, often one users may write.
// Once the product's name holds the new file, the old one is the set's alone: it gets the
// set's protection (only an elevated run's set has any).
void BackupSet::ProtectKept(const std::string& key) {
    const auto saved = savedAs_.find(key);
    if (saved != savedAs_.end() && RunIsElevated() && WaitUntilKept({saved->second.first})) {
        Protect(saved->second.second);
        savedAs_.erase(saved);
    }
}

bool BackupSet::Known(const std::string& key, const Pending& pending) const {
    return seen_.count(key) != 0 || pending.keys.count(key) != 0;
}

// Adds the line of a file not yet journalled, and keeps its old content now or once the line
// is written. false: the old content could not be kept. A line written before its kept file
// names a file not replaced yet; the restore leaves such a file as it is.
bool BackupSet::AddFile(const std::string& path, bool linkAllowed, When when, Pending& pending) {
    const std::string full = FullFormOf(path);
    std::string key = text::ToUpperAscii(full);
    if (Known(key, pending)) {
        return true;
    }
    if (!Open() || !Allowed(full)) {
        return false;
    }
    const DWORD attributes = AttributesOf(full);
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
bool BackupSet::AddFolder(const std::string& folder, Pending& pending) {
    std::vector<std::string> missing;
    for (std::string level = WithoutSeparator(FullFormOf(folder));
         !level.empty() && !PathExists(level) && !Known(text::ToUpperAscii(level), pending);
         level = Parent(level)) {
        missing.push_back(level);
    }
    if (!missing.empty() && (!Open() || !Allowed(missing.front()))) {
        return false;
    }
    for (auto level = missing.rbegin(); level != missing.rend(); ++level) {
        pending.lines += FormatChange({ChangeKind::kFolder, *level, {}});
        pending.keys.insert(text::ToUpperAscii(*level));
    }
    return true;
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
        savedAs_[keep.key] = {keep.from, keep.to};
    }
    keeper_.Start();
    return true;
}

bool BackupSet::WaitUntilKept(const std::vector<std::string>& targets) {
    for (const std::string& target : targets) {
        const auto keep = keepOf_.find(text::ToUpperAscii(FullFormOf(target)));
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
    bool kept = true;
    for (size_t i = 0; kept && i < folders.size(); ++i) {
        kept = AddFolder(folders[i], pending);
    }
    for (size_t i = 0; kept && i < replaced.size(); ++i) {
        kept = AddFile(replaced[i], true, When::kQueued, pending);
    }
    // One that cannot be copied yet (held open) is copied, or refused, when it is written.
    for (size_t i = 0; kept && i < writtenInPlace.size(); ++i) {
        AddFile(writtenInPlace[i], false, When::kNow, pending);
    }
    const bool committed = Commit(pending) && kept;
    for (size_t i = 0; committed && i < writtenInPlace.size(); ++i) {
        NoteWrittenInPlace(writtenInPlace[i]);
    }
    return committed;
}

bool BackupSet::BeforePutInPlace(const std::string& target) {
    return BeforeInstalling({}, {target}, {}) && WaitUntilKept({target});
}

bool BackupSet::BeforePutInPlaceAll(const std::vector<std::string>& targets) {
    return BeforeInstalling({}, targets, {});
}

void BackupSet::NoteWrittenInPlace(const std::string& file) {
    const std::string full = FullFormOf(file);
    if (seen_.count(text::ToUpperAscii(full)) != 0 &&
        std::find(writtenInPlace_.begin(), writtenInPlace_.end(), full) == writtenInPlace_.end()) {
        writtenInPlace_.push_back(full);
    }
}

bool BackupSet::BeforeWriteInPlace(const std::string& file) {
    Pending pending;
    const bool kept = AddFile(file, false, When::kNow, pending);
    const bool committed = Commit(pending) && kept;
    if (committed) {
        NoteWrittenInPlace(file);
    }
    return committed;
}

bool BackupSet::BeforeCreateFolder(const std::string& folder) {
    return BeforeInstalling({folder}, {}, {});
}

}  // namespace backup
