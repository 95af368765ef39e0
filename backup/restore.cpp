#include "backup/restore.h"

#include <windows.h>

#include <algorithm>
#include <set>
#include <string_view>

#include "backup/backup_set.h"
#include "backup/journal.h"
#include "backup/texts.h"
#include "framework/handles.h"
#include "replace/replace_file.h"
#include "text/cp932.h"

namespace backup {

namespace {

// Beside the file it will replace, so that the last step is a rename on one volume.
constexpr char kRestoreTemp[] = ".~RENOVO";

std::string ReadWhole(const std::string& path, bool& ok) {
    framework::File file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string text;
    ok = static_cast<bool>(file);
    char buffer[65536];
    for (DWORD got = 1; ok && got > 0;) {
        ok = ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) != 0;
        text.append(buffer, ok ? got : 0);
    }
    return text;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The saved file keeps its name in the set until the set is retired, so that a restore that
// stops part-way can be run again. A file is replaced only once its old content is kept: one
// whose line has no kept file was never reached, and is as it was.
bool PutBack(const std::string& saved, const std::string& target) {
    if (!Exists(saved)) {
        return true;
    }
    const std::string temp = target + kRestoreTemp;
    DeleteFileA(temp.c_str());
    if (!CreateHardLinkA(temp.c_str(), saved.c_str(), nullptr) &&
        !CopyFileA(saved.c_str(), temp.c_str(), FALSE)) {
        return false;
    }
    const bool moved = replace::MoveOver(temp, target);
    // A rename between two names of one file does nothing (a second attempt after a partial
    // restore meets exactly that): the temporary name must go all the same.
    DeleteFileA(temp.c_str());
    return moved;
}

bool RemoveCreated(const std::string& path) {
    if (!Exists(path) || DeleteFileA(path.c_str())) {
        return true;
    }
    const DWORD attributes = GetFileAttributesA(path.c_str());
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileA(path.c_str())) {
        return true;
    }
    SetFileAttributesA(path.c_str(), attributes);
    return false;
}

bool Undo(const std::string& set, const Change& change) {
    switch (change.kind) {
        case ChangeKind::kSaved:
            return PutBack(set + "\\" + change.saved, change.path);
        case ChangeKind::kCreated:
            return RemoveCreated(change.path);
        case ChangeKind::kFolder:
            // Removed only when empty: what else is in it was not the update's.
            RemoveDirectoryA(change.path.c_str());
            return true;
        case ChangeKind::kReadOnly:
            return true;  // see MarkReadOnly
    }
    return false;
}

// The master conversion and the replace module write a work file beside their target before
// they journal anything; a run killed meanwhile leaves it there. FAT keeps times to 2 s.
constexpr uint64_t kTimeSlack = 2 * 10000000ULL;

uint64_t Ticks(const FILETIME& t) {
    return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

// A work file takes the member's own time as its last write; its creation (on Windows) or
// its last access (Wine reports the creation time as the last write) tells when it was made.
uint64_t Latest(const WIN32_FIND_DATAA& e) {
    return std::max({Ticks(e.ftCreationTime), Ticks(e.ftLastAccessTime), Ticks(e.ftLastWriteTime)});
}

std::string FolderOf(const Change& change) {
    if (change.kind == ChangeKind::kFolder) {
        return change.path + "\\";
    }
    const text::PathParts parts = text::SplitPath(change.path);
    return parts.drive + parts.dir;
}

// Work files made since the run began, in every folder the run changed.
void RemoveLeftovers(const Journal& journal, std::vector<std::string>& failed) {
    if (journal.begun == 0) {
        return;
    }
    std::set<std::string> folders;
    for (const Change& change : journal.changes) {
        folders.insert(FolderOf(change));
    }
    for (const std::string& folder : folders) {
        WIN32_FIND_DATAA entry;
        framework::FindHandle find(FindFirstFileA((folder + "*").c_str(), &entry));
        for (bool more = static_cast<bool>(find); more; more = FindNextFileA(find.Get(), &entry)) {
            const bool leftover = !(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                                  IsWorkFileName(entry.cFileName) &&
                                  Latest(entry) + kTimeSlack >= journal.begun;
            if (leftover && !RemoveCreated(folder + entry.cFileName)) {
                failed.push_back(folder + entry.cFileName);
            }
        }
    }
}

// A file put back shares its attributes with its name in the set, which retiring the set
// clears to delete it: the bit goes back on last.
void MarkReadOnly(const Journal& journal, std::vector<std::string>& failed) {
    for (const Change& change : journal.changes) {
        if (change.kind != ChangeKind::kReadOnly) {
            continue;
        }
        const DWORD attributes = GetFileAttributesA(change.path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES ||
            !SetFileAttributesA(change.path.c_str(), attributes | FILE_ATTRIBUTE_READONLY)) {
            failed.push_back(change.path);
        }
    }
}

// Renamed first, so that even a set whose files cannot all be deleted no longer counts.
void Retire(const std::string& set) {
    const std::string retired = set + kRetiredSuffix;
    if (MoveFileA(set.c_str(), retired.c_str())) {
        DeleteSet(retired);
    }
}

}  // namespace

RestoreOutcome RestoreNewestSet(const std::string& productFolder) {
    RestoreOutcome outcome;
    const std::string set = NewestSet(productFolder);
    if (set.empty()) {
        return outcome;
    }
    outcome.found = true;
    const std::string journalPath = set + "\\" + kJournalName;
    bool read = false;
    const std::string text = ReadWhole(journalPath, read);
    const Journal journal = ParseJournal(text);
    if ((!read && Exists(journalPath)) || !journal.damaged.empty()) {
        outcome.failed.push_back(journalPath);
    }
    RemoveLeftovers(journal, outcome.failed);
    for (auto change = journal.changes.rbegin(); change != journal.changes.rend(); ++change) {
        if (!Undo(set, *change)) {
            outcome.failed.push_back(change->path);
        }
    }
    if (outcome.failed.empty()) {
        Retire(set);
    }
    MarkReadOnly(journal, outcome.failed);
    return outcome;
}

}  // namespace backup
