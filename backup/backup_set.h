// The backup set of one update run, in the product folder's hidden RENOVO.BAK\: opened at the
// first change, it keeps the old content of every file the run replaces (a second name on
// the same volume, a copy elsewhere) and journals every file and folder the run creates.
// Each change is journalled and flushed before it is made; only a path's first change in a
// run counts, so that a file converted twice comes back as it was before the update. The old
// files of what is announced are kept on a thread of their own, each before its replace.
// What the run leaves in each file it writes is journalled too (size and CRC-32), so that a
// restore can tell a file changed since.
//
// A run that is elevated makes RENOVO.BAK, the set and its journal with an access list only
// administrators may write (set_security.h). Only paths in the product's own folders are
// journalled (product_folders.h): a change elsewhere is refused before it is made.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "backup/keep_queue.h"
#include "backup/paths.h"
#include "framework/handles.h"
#include "replace/replace_file.h"

namespace backup {

enum class Saving {
    kLinkWherePossible,  // a hard link, where the volume offers one; else a copy
    kCopy,               // always a copy (as on a volume without hard links)
};

class BackupSet : public replace::Observer {
public:
    // `productFolder` ends in a separator (the update run's working folder); `settingsFile`
    // is the settings file whose voice folder the run installs into (empty: none named).
    explicit BackupSet(std::string productFolder, Saving saving = Saving::kLinkWherePossible,
                       std::string settingsFile = {});
    // Journals what the files written in place now hold, and flushes what is not yet.
    ~BackupSet();
    BackupSet(const BackupSet&) = delete;
    BackupSet& operator=(const BackupSet&) = delete;

    // Just before `target` is replaced in one step (or created): its old content is kept (or
    // it is journalled as new). false: the backup could not be written, so nothing may change.
    bool BeforePutInPlace(const std::string& target) override;
    // Several targets to be replaced one after another, journalled in one flushed write; their
    // old files are kept meanwhile, each one's waited for by its BeforePutInPlace.
    bool BeforePutInPlaceAll(const std::vector<std::string>& targets) override;
    // Journals what `target` now holds; flushed with the next lines, or at the end.
    void AfterPutInPlace(const std::string& target, uint64_t size, uint32_t crc) override;
    // Before `file` is written in place (the settings file): always a copy.
    bool BeforeWriteInPlace(const std::string& file);
    // Before `folder` is created with its missing parents: journals each missing level.
    bool BeforeCreateFolder(const std::string& folder);
    // All of the above for what a part of the run will create, replace and write in place,
    // in one flushed write: the folders' missing levels first, then the files. The old files
    // to be replaced are kept meanwhile: BeforePutInPlace waits for its own. A file to be
    // written in place that cannot be copied now is left to BeforeWriteInPlace.
    bool BeforeInstalling(const std::vector<std::string>& folders,
                          const std::vector<std::string>& replaced,
                          const std::vector<std::string>& writtenInPlace);

    // Waits until the old files of `targets` announced so far are kept. false: one could not
    // be, GetLastError says why.
    bool WaitUntilKept(const std::vector<std::string>& targets);

    // The set's folder; empty until the first change.
    const std::string& folder() const { return set_; }

private:
    bool Open();
    bool Allowed(const std::string& full) const;
    struct Keep {
        std::string key, from, to;
        bool linkAllowed;
    };
    struct Pending {
        std::string lines;
        std::unordered_set<std::string> keys;  // upper-cased full paths the lines name
        std::vector<Keep> keeps;               // old files to keep once the lines are written
    };
    enum class When { kNow, kQueued };
    bool Append(const std::string& lines);
    bool Known(const std::string& key, const Pending& pending) const;
    bool AddFile(const std::string& path, bool linkAllowed, When when, Pending& pending);
    bool AddFolder(const std::string& folder, Pending& pending);
    bool Commit(const Pending& pending);
    void NoteWrittenInPlace(const std::string& file);
    void ProtectKept(const std::string& key);

    std::string product_;
    Saving saving_;
    std::string settingsFile_;
    Confinement folders_;  // where the journal may name paths; read at the first change
    uint64_t begun_;  // FILETIME of the run's start: work files from then on are the run's
    std::string set_;
    framework::File journal_;
    std::unordered_set<std::string> seen_;  // upper-cased full paths already journalled
    int savedCount_ = 0;
    std::vector<std::string> writtenInPlace_;         // journalled by BeforeWriteInPlace
    bool unflushed_ = false;                          // WRITTEN lines wait for the next flush
    std::unordered_map<std::string, size_t> keepOf_;  // key: its old file's place in `keeper_`
    // key: the product file and its kept name, until the kept one is protected
    std::unordered_map<std::string, std::pair<std::string, std::string>> savedAs_;
    KeepQueue keeper_;  // last: its thread ends before the rest goes
};

// The backup sets of `productFolder` (ending in a separator), newest last. Only folders named
// by a number count as sets; no junction or symbolic link does, nor a RENOVO.BAK that is one.
std::string BackupRoot(const std::string& productFolder);
std::string NewestSet(const std::string& productFolder);  // empty when there is none
// Deletes a set folder and the files in it, never through a junction or symbolic link: a link
// inside goes as a link, a set folder that is one is left. false when something stays.
bool DeleteSet(const std::string& setFolder);

// Whether `attributes` (of GetFileAttributes or a folder listing, which describe a link
// itself) are those of a junction or symbolic link.
bool IsLink(unsigned long attributes);
// `folder` exists as a folder, and is no link.
bool IsPlainFolder(const std::string& folder);

// Opens `folder` without following a link, for as long as the returned handle lives, sharing
// it for reading and writing but not for deletion: while held, no one can rename or remove it
// and put a link in its place, so the names below it stay this folder's. Invalid when it is
// no plain folder or cannot be opened.
framework::File HoldFolder(const std::string& folder, DWORD access = FILE_LIST_DIRECTORY);

}  // namespace backup
