#include "backup/restore.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <set>
#include <string_view>

#include "backup/backup_set.h"
#include "backup/journal.h"
#include "backup/paths.h"
#include "backup/product_folders.h"
#include "backup/set_security.h"
#include "backup/texts.h"
#include "framework/files.h"
#include "framework/handles.h"
#include "framework/wide.h"
#include "replace/crc32.h"
#include "replace/replace_file.h"
#include "text/cp932.h"
#include "text/path.h"
#include "trust/held_way.h"
#include "trust/run_lock.h"

namespace backup {

namespace {

using framework::AttributesOf;
using framework::DeletePath;
using framework::SetAttributesOf;

// Beside the file it will replace, so that the last step is a rename on one volume.
constexpr char kRestoreTemp[] = ".~RENOVO";
// "name.KEPT", "name.KEPT2", ... "name.KEPT99".
constexpr int kKeptNames = 99;

bool ReadAll(HANDLE file, std::string& text) {
    char buffer[65536];
    for (DWORD got = 1; got > 0;) {
        if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
            return false;
        }
        text.append(buffer, got);
    }
    return true;
}

// Just before a path is changed: where Windows can say, it still lies where it was checked
// (its folders are held; this also catches what holding cannot stop, such as a swap Wine lets
// through). false: not acted on.
bool StillThere(const std::string& path) {
    if (trust::WhereIs(path, path) == trust::Where::kElsewhere) {
        SetLastError(ERROR_CANT_RESOLVE_FILENAME);
        return false;
    }
    return true;
}

// Size and CRC-32 of a file as it is now; false when it cannot be read.
bool Measure(const std::string& path, uint64_t& size, uint32_t& crc) {
    framework::File file(framework::OpenPath(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                             OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN));
    LARGE_INTEGER length{};
    if (!file || !GetFileSizeEx(file.Get(), &length)) {
        return false;
    }
    size = static_cast<uint64_t>(length.QuadPart);
    crc = 0;
    char buffer[65536];
    for (DWORD got = 1; got > 0;) {
        if (!ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr)) {
            return false;
        }
        crc = replace::Crc32(crc, buffer, got);
    }
    return true;
}

// The journal's paths are cp932 text, as every path of the run.
bool HardLink(const std::string& name, const std::string& existing) {
    return CreateHardLinkW(framework::Wide(name).c_str(), framework::Wide(existing).c_str(),
                           nullptr) != 0;
}

enum class Since { kUnchanged, kChanged, kUnreadable };

// Whether the file differs from what the update left in it, and from the old content the set
// keeps for it (`saved`, may be empty): a file already put back by an earlier attempt is no
// change of the user's. One that cannot be read is not touched: its change could be lost.
Since ChangedSince(const Written& written, const std::string& saved) {
    const DWORD attributes = AttributesOf(written.path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return Since::kUnchanged;
    }
    uint64_t size = 0;
    uint32_t crc = 0;
    if (!Measure(written.path, size, crc)) {
        return Since::kUnreadable;
    }
    if (size == written.size && crc == written.crc) {
        return Since::kUnchanged;
    }
    uint64_t savedSize = 0;
    uint32_t savedCrc = 0;
    const bool putBack = !saved.empty() && Measure(saved, savedSize, savedCrc) &&
                         savedSize == size && savedCrc == crc;
    return putBack ? Since::kUnchanged : Since::kChanged;
}

// A name beside `path` that nothing holds yet; `make` creates it, and fails when the name is
// taken meanwhile.
template <typename Make>
std::string KeepUnderFreeName(const std::string& path, Make make) {
    for (int n = 1; n <= kKeptNames; ++n) {
        const std::string name = path + kKeptSuffix + (n == 1 ? std::string() : std::to_string(n));
        if (!framework::PathExists(name) && make(name)) {
            return name;
        }
    }
    return {};
}

// A second name for the content the user gave the file; a copy that has reached the disk where
// links are missing. The file itself stays, for the old one to be put over it in one step.
std::string KeepCopy(const std::string& path) {
    return KeepUnderFreeName(path, [&](const std::string& name) {
        return StillThere(path) &&
               (HardLink(name, path) || replace::ReplaceWithCopy(path, name, nullptr));
    });
}

// A file the update created: renamed rather than removed.
std::string KeepByRenaming(const std::string& path) {
    return KeepUnderFreeName(path, [&](const std::string& name) {
        return StillThere(path) && framework::MovePath(path, name);
    });
}

// The saved file keeps its name in the set until the set is retired, so that a restore that
// stops part-way can be run again. A file is replaced only once its old content is kept: one
// whose line has no kept file was never reached, and is as it was. A copy is flushed to the
// disk before its rename, as every new file is (replace::NewFile).
bool PutBack(const std::string& saved, const std::string& target) {
    const DWORD attributes = AttributesOf(saved);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return true;
    }
    const std::string temp = target + kRestoreTemp;
    if (!StillThere(target)) {
        return false;
    }
    DeletePath(temp);  // an earlier attempt's, or a link: never followed
    if (HardLink(temp, saved)) {
        const bool moved = replace::MoveOver(temp, target, target);
        // A rename between two names of one file does nothing (a second attempt after a
        // partial restore meets exactly that): the temporary name must go all the same.
        DeletePath(temp);
        return moved;
    }
    if (!replace::ReplaceWithCopy(saved, target, nullptr)) {
        return false;
    }
    const DWORD kept = attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    SetAttributesOf(target, kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL);
    return true;
}

bool RemoveCreated(const std::string& path) {
    if (!framework::PathExists(path)) {
        return true;
    }
    if (!StillThere(path)) {
        return false;
    }
    if (DeletePath(path)) {
        return true;
    }
    const DWORD attributes = AttributesOf(path);
    if (IsLink(attributes)) {
        return false;
    }
    SetAttributesOf(path, FILE_ATTRIBUTE_NORMAL);
    if (DeletePath(path)) {
        return true;
    }
    SetAttributesOf(path, attributes);
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
uint64_t Latest(const WIN32_FIND_DATAW& e) {
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
        framework::FileFind find;
        for (bool more = find.FindFile(folder + "*"); more; more = find.Next()) {
            // Work files have ASCII names: one cp932 cannot carry is someone else's.
            const bool leftover = find.NameFits() && !find.IsDirectory() &&
                                  !IsLink(find.Attributes()) && IsWorkFileName(find.FileName()) &&
                                  Latest(find.Data()) + kTimeSlack >= journal.begun;
            if (leftover && !RemoveCreated(folder + find.FileName())) {
                failed.push_back(folder + find.FileName());
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
        const DWORD attributes = AttributesOf(change.path);
        if (attributes == INVALID_FILE_ATTRIBUTES || IsLink(attributes) ||
            !SetAttributesOf(change.path, attributes | FILE_ATTRIBUTE_READONLY)) {
            failed.push_back(change.path);
        }
    }
}

// Renamed first, so that even a set whose files cannot all be deleted no longer counts.
void Retire(const std::string& set) {
    const std::string retired = set + kRetiredSuffix;
    if (framework::MovePath(set, retired)) {
        DeleteSet(retired);
    }
}

// The same folder, however it is spelled (a short name, another case): its volume and index.
bool SameFolder(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION info[2]{};
    const std::string* paths[] = {&a, &b};
    for (int i = 0; i < 2; ++i) {
        framework::File folder(framework::OpenPath(
            *paths[i], FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS));
        if (!folder || !GetFileInformationByHandle(folder.Get(), &info[i])) {
            return false;
        }
    }
    return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
           info[0].nFileIndexHigh == info[1].nFileIndexHigh &&
           info[0].nFileIndexLow == info[1].nFileIndexLow;
}

// What a restore reads before it changes anything.
class Plan {
public:
    Plan(const std::string& productFolder, RestoreOutcome& outcome)
        : product_(productFolder), outcome_(outcome) {}

    // false: refused (the outcome says why); nothing was changed.
    bool Read() {
        const std::string& set = outcome_.set;
        set_ = HoldFolder(set, FILE_LIST_DIRECTORY | READ_CONTROL);
        if (!set_) {
            return Refuse(Refusal::kLink, set, "the set folder is no plain folder");
        }
        const std::string journalPath = set + "\\" + kJournalName;
        // Shared for reading only: no one writes it while it is checked and read.
        framework::File journal(framework::OpenPath(journalPath, GENERIC_READ | READ_CONTROL,
                                                    FILE_SHARE_READ, OPEN_EXISTING,
                                                    FILE_FLAG_OPEN_REPARSE_POINT));
        const DWORD openError = GetLastError();
        if (RunIsElevated()) {
            std::string why = WhyOthersMayChangeOpen(set_.Get());
            if (why.empty() && journal) {
                why = WhyOthersMayChangeOpen(journal.Get());
                why = why.empty() ? why : kJournalName + std::string(": ") + why;
            }
            if (!why.empty()) {
                return Refuse(Refusal::kNotAdminOnly, set, why);
            }
        }
        // A set without a journal is one whose run was killed before its first line.
        if (!journal && openError != ERROR_FILE_NOT_FOUND) {
            return Refuse(Refusal::kDamaged, journalPath,
                          "cannot be read (error " + std::to_string(openError) + ")");
        }
        if (journal && (IsLink(AttributesOf(journalPath)) || !ReadAll(journal.Get(), text_))) {
            return Refuse(Refusal::kDamaged, journalPath, "cannot be read");
        }
        journal_ = ParseJournal(text_);
        return Check(journalPath);
    }

    const Journal& journal() const { return journal_; }
    Since Changed(const Change& change) const {
        const auto written = lastWritten_.find(text::ToUpperAscii(change.path));
        if (written == lastWritten_.end()) {
            return Since::kUnchanged;  // never reached, or a set made before WRITTEN lines
        }
        const std::string saved =
            change.kind == ChangeKind::kSaved ? outcome_.set + "\\" + change.saved : std::string();
        return ChangedSince(*written->second, saved);
    }
    // Let go before the set is renamed.
    void Release() {
        set_.Reset();
        way_.ReleaseAll();
    }
    // Before the run removes a folder it made.
    void LetGo(const std::string& folder) { way_.Release(folder); }

private:
    bool Refuse(Refusal refusal, const std::string& what, const std::string& why) {
        outcome_.refusal = refusal;
        outcome_.refused = what;
        outcome_.why = why;
        return false;
    }
    bool Damaged(const std::string& journalPath, size_t line, const std::string& why) {
        return Refuse(Refusal::kDamaged, journalPath,
                      "line " + std::to_string(line) + " (" +
                          std::string(JournalLine(text_, line)) + "): " + why);
    }

    bool Check(const std::string& journalPath) {
        if (!journal_.damaged.empty()) {
            return Damaged(journalPath, journal_.damaged.front(), "names no change");
        }
        if (!journal_.settings.empty() && !text::IsSafeBareName(journal_.settings)) {
            return Damaged(journalPath, journal_.settingsLine, "names no settings file");
        }
        if (!ConfineTo(journalPath)) {
            return false;
        }
        if (!journal_.product.empty()) {
            if (!IsPlainFullPath(journal_.product)) {
                return Damaged(journalPath, journal_.productLine, "names no product folder");
            }
            // The run may have spelled the folder otherwise (a short name): the same folder.
            if (SameFolder(journal_.product, product_)) {
                folders_.AddRoot(journal_.product);
                productRoots_.push_back(WithoutTrailingSeparator(journal_.product));
            }
        }
        for (const Change& change : journal_.changes) {
            if (!folders_.Allows(change.path)) {
                return Damaged(journalPath, change.line, "outside the product's folders");
            }
        }
        for (const Written& written : journal_.written) {
            if (!folders_.Allows(written.path)) {
                return Damaged(journalPath, written.line, "outside the product's folders");
            }
            lastWritten_[text::ToUpperAscii(written.path)] = &written;
        }
        for (const Change& change : journal_.changes) {
            const std::string saved = outcome_.set + "\\" + change.saved;
            const DWORD attributes =
                change.kind == ChangeKind::kSaved ? AttributesOf(saved) : INVALID_FILE_ATTRIBUTES;
            if (attributes != INVALID_FILE_ATTRIBUTES &&
                (IsLink(attributes) || (attributes & FILE_ATTRIBUTE_DIRECTORY))) {
                return Damaged(journalPath, change.line, "its kept file is no plain file");
            }
            if (!NoLinkOnTheWay(change)) {
                return false;
            }
        }
        return true;
    }

    // A set that records its folders is confined to them, whatever the settings say today;
    // an older one to the folders the settings name now.
    bool ConfineTo(const std::string& journalPath) {
        if (journal_.roots.empty()) {
            folders_ = ProductFolders(product_, journal_.settings);
            if (!folders_.roots().empty()) {
                productRoots_.push_back(folders_.roots().front());
            }
            return true;
        }
        folders_ = Confinement();
        folders_.AddRoot(FullFormOf(product_));
        // Named otherwise ("\\?\C:\..."), the folder counts only through the PRODUCT line.
        if (!folders_.roots().empty()) {
            productRoots_.push_back(folders_.roots().front());
        }
        for (size_t i = 0; i < journal_.roots.size(); ++i) {
            const std::string& root = journal_.roots[i];
            if (!IsPlainFullPath(root)) {
                return Damaged(journalPath, journal_.rootLines[i], "names no folder");
            }
            // The product folder as the run named it counts only as the PRODUCT line does.
            if (!text::EqualsIgnoreCase(WithoutTrailingSeparator(root),
                                        WithoutTrailingSeparator(journal_.product))) {
                folders_.AddRoot(root);
            }
        }
        return true;
    }

    // Below the product folder, every folder under it up to the path, and the path itself; in
    // a voice or master folder elsewhere, that folder too. Each folder is held from here to
    // the last change, so that the folders checked are the folders acted in.
    bool NoLinkOnTheWay(const Change& change) {
        const std::string root = folders_.RootOf(change.path);
        const bool productRoot =
            std::any_of(productRoots_.begin(), productRoots_.end(),
                        [&](const std::string& p) { return text::EqualsIgnoreCase(p, root); });
        const std::string deepest = change.kind == ChangeKind::kFolder
                                        ? change.path
                                        : WithoutTrailingSeparator(FolderOf(change));
        const bool held = productRoot ? way_.HoldBelow(root, deepest) : way_.Hold(root, deepest);
        if (!held && way_.refusedAsLink()) {
            return Refuse(Refusal::kLink, way_.refused(),
                          "a junction or symbolic link on the way to " + change.path);
        }
        // A folder that is gone was removed before, or never made: nothing to act in there.
        if (IsLink(AttributesOf(change.path))) {
            return Refuse(Refusal::kLink, change.path,
                          "a junction or symbolic link on the way to " + change.path);
        }
        return true;
    }

    std::string product_;
    RestoreOutcome& outcome_;
    framework::File set_;  // held, so that the set checked is the set acted on
    std::string text_;
    Journal journal_;
    Confinement folders_;
    std::vector<std::string> productRoots_;  // the product folder as named here and by the run
    trust::HeldWay way_;
    std::map<std::string, const Written*> lastWritten_;
};

// Keeps a changed file's content, then undoes the change. false: not undone.
bool Undo(Plan& plan, const std::string& set, const Change& change, RestoreOutcome& outcome) {
    const bool replaced = change.kind == ChangeKind::kSaved || change.kind == ChangeKind::kCreated;
    const Since since = replaced ? plan.Changed(change) : Since::kUnchanged;
    if (since == Since::kUnreadable) {
        return false;
    }
    const bool changed = since == Since::kChanged;
    switch (change.kind) {
        case ChangeKind::kSaved: {
            if (changed && framework::PathExists(set + "\\" + change.saved)) {
                const std::string kept = KeepCopy(change.path);
                if (kept.empty()) {
                    return false;
                }
                outcome.kept.push_back({change.path, kept});
            }
            return PutBack(set + "\\" + change.saved, change.path);
        }
        case ChangeKind::kCreated: {
            if (changed) {
                const std::string kept = KeepByRenaming(change.path);
                if (!kept.empty()) {
                    outcome.kept.push_back({change.path, kept});
                }
                return !kept.empty();
            }
            return RemoveCreated(change.path);
        }
        case ChangeKind::kFolder:
            // Removed only when empty: what else is in it was not the update's.
            plan.LetGo(change.path);
            if (StillThere(change.path)) {
                framework::RemoveFolder(change.path);
            }
            return true;
        case ChangeKind::kReadOnly:
            return true;  // see MarkReadOnly
    }
    return false;
}

}  // namespace

RestoreOutcome RestoreNewestSet(const std::string& productFolder) {
    RestoreOutcome outcome;
    outcome.set = NewestSet(productFolder);
    if (outcome.set.empty()) {
        return outcome;
    }
    outcome.found = true;
    trust::RunLock lock;
    if (lock.Take(productFolder) == trust::Lock::kBusy) {
        outcome.busy = true;
        return outcome;
    }
    Plan plan(productFolder, outcome);
    if (!plan.Read()) {
        return outcome;
    }
    const Journal& journal = plan.journal();
    RemoveLeftovers(journal, outcome.failed);
    for (auto change = journal.changes.rbegin(); change != journal.changes.rend(); ++change) {
        if (!Undo(plan, outcome.set, *change, outcome)) {
            outcome.failed.push_back(change->path);
        }
    }
    plan.Release();
    if (outcome.failed.empty()) {
        Retire(outcome.set);
    }
    MarkReadOnly(journal, outcome.failed);
    return outcome;
}

}  // namespace backup
