#include "engine/change_checks.h"

#include <windows.h>
#include <restartmanager.h>

#include <unordered_set>

#include "engine/install_log.h"
#include "engine/texts.h"
#include "framework/files.h"
#include "framework/handles.h"
#include "framework/wide.h"
#include "settings/folder_checks.h"
#include "text/cp932.h"
#include "text/format.h"
#include "text/path.h"
#include "trust/held_way.h"
#include "trust/texts.h"

namespace engine {

namespace {

// GetTempFileNameA refuses a folder longer than this (it appends "rplXXXX.tmp").
constexpr size_t kTempFolderLimit = MAX_PATH - 14;
// A file held for a moment (a virus scanner looking at it) is given this long to be let go.
constexpr DWORD kHeldGrace = 1000;  // ms
constexpr DWORD kHeldPause = 100;   // ms

// The same path however it is spelt in ASCII case; the list's order stays.
std::vector<std::string> Unique(const std::vector<std::string>& paths) {
    std::unordered_set<std::string> seen;
    std::vector<std::string> unique;
    for (const std::string& path : paths) {
        if (!path.empty() && seen.insert(text::ToUpperAscii(path)).second) {
            unique.push_back(path);
        }
    }
    return unique;
}

using text::Format;
using text::WithSeparator;

// The first path of the list that Windows cannot take; empty when all fit.
std::string FirstPathTooLong(const ChangeList& changes) {
    for (const std::string& folder : changes.folders) {
        if (!FolderFits(folder)) {
            return folder;
        }
    }
    for (const std::vector<std::string>* paths : {&changes.files, &changes.made}) {
        for (const std::string& path : *paths) {
            if (!settings::PathFits(path)) {
                return path;
            }
        }
    }
    return {};
}

// The folder itself when it exists, else the nearest one above it that does; empty when none.
std::string ExistingFolder(std::string folder) {
    while (!folder.empty() && !framework::PathExists(folder)) {
        std::string bare = folder;
        while (bare.size() > 1 && text::EndsWithSeparator(bare)) {
            bare.pop_back();
        }
        const text::PathParts parts = text::SplitPath(bare);
        std::string parent = parts.drive + parts.dir;
        if (parent.empty()) {
            parent = ".\\";  // a relative folder lies in the current one
        }
        if (parent.size() >= folder.size()) {
            return {};
        }
        folder = std::move(parent);
    }
    return folder;
}

// The first folder where no file can be made; empty when every one takes files.
std::string FirstUnwritableFolder(const std::vector<std::string>& folders, DWORD& error) {
    std::unordered_set<std::string> tested;
    for (const std::string& folder : Unique(folders)) {
        const std::string existing = ExistingFolder(folder);
        if (!tested.insert(text::ToUpperAscii(WithSeparator(existing))).second) {
            continue;
        }
        if (!FolderTakesFiles(folder)) {
            error = GetLastError();
            return existing.empty() ? folder : existing;
        }
    }
    return {};
}

bool IsHeld(const std::string& path) {
    const DWORD attributes = framework::AttributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return false;  // a new file, or not ours to judge
    }
    // A read-only file is replaced all the same (its bit is cleared for the step): only
    // whether it could be deleted counts. No sharing: Windows renames over no open file.
    const DWORD access = (attributes & FILE_ATTRIBUTE_READONLY) ? DELETE : GENERIC_WRITE | DELETE;
    framework::File file(
        framework::OpenPath(path, access, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
    if (file) {
        return false;
    }
    const DWORD error = GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

struct LibraryTraits {
    using Handle = HMODULE;
    static Handle Null() { return nullptr; }
    static void Close(Handle h) { ::FreeLibrary(h); }
};

// Restart Manager (Vista and later), loaded by its full path in System32 when a held file is
// first found and kept for the process; its functions are looked up, not imported, so that
// the program still starts on Windows XP, where it names the files alone.
class RestartManager {
public:
    static const RestartManager& Instance() {
        static const RestartManager manager;
        return manager;
    }

    std::vector<std::string> Holders(const std::string& path) const {
        if (!start_ || !add_ || !list_ || !end_) {
            return {};
        }
        const std::wstring wide = framework::Wide(path);
        if (wide.empty()) {
            return {};
        }
        DWORD session = 0;
        WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
        if (start_(&session, 0, key) != ERROR_SUCCESS) {
            return {};
        }
        std::vector<std::string> names;
        LPCWSTR files[] = {wide.c_str()};
        if (add_(session, 1, files, 0, nullptr, 0, nullptr) == ERROR_SUCCESS) {
            names = List(session);
        }
        end_(session);
        return names;
    }

private:
    using StartFn = DWORD(WINAPI*)(DWORD*, DWORD, WCHAR*);
    using AddFn = DWORD(WINAPI*)(DWORD, UINT, LPCWSTR*, UINT, RM_UNIQUE_PROCESS*, UINT, LPCWSTR*);
    using ListFn = DWORD(WINAPI*)(DWORD, UINT*, UINT*, RM_PROCESS_INFO*, DWORD*);
    using EndFn = DWORD(WINAPI*)(DWORD);

    RestartManager() {
        const UINT size = GetSystemDirectoryW(nullptr, 0);
        std::wstring system(size, L'\0');
        const UINT n = size == 0 ? 0 : GetSystemDirectoryW(system.data(), size);
        if (n == 0 || n >= size) {
            return;
        }
        system.resize(n);
        library_.Reset(LoadLibraryW((system + L"\\rstrtmgr.dll").c_str()));
        if (library_) {
            start_ = Find<StartFn>("RmStartSession");
            add_ = Find<AddFn>("RmRegisterResources");
            list_ = Find<ListFn>("RmGetList");
            end_ = Find<EndFn>("RmEndSession");
        }
    }

    template <typename Fn>
    Fn Find(const char* name) const {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library_.Get(), name)));
    }

    // The applications of the session's list, by the names Windows gives them.
    std::vector<std::string> List(DWORD session) const {
        std::vector<RM_PROCESS_INFO> infos;
        UINT needed = 0;
        UINT count = 0;
        DWORD reasons = 0;
        DWORD status = list_(session, &needed, &count, nullptr, &reasons);
        for (int tries = 0; status == ERROR_MORE_DATA && tries < 3; ++tries) {
            infos.resize(needed);
            count = needed;
            status = list_(session, &needed, &count, infos.data(), &reasons);
        }
        std::vector<std::string> names;
        if (status != ERROR_SUCCESS) {
            return names;
        }
        for (UINT i = 0; i < count && i < infos.size(); ++i) {
            // Shown to the user only: a character cp932 lacks reads '?'.
            const std::wstring_view app(infos[i].strAppName,
                                        wcsnlen(infos[i].strAppName, CCH_RM_MAX_APP_NAME + 1));
            if (!app.empty()) {
                names.push_back(framework::NarrowShown(app));
            }
        }
        return names;
    }

    framework::Owned<LibraryTraits> library_;
    StartFn start_ = nullptr;
    AddFn add_ = nullptr;
    ListFn list_ = nullptr;
    EndFn end_ = nullptr;
};

// Whether `folder` is `root` or lies below it (neither ends in a separator).
bool IsAtOrBelow(const std::string& folder, const std::string& root) {
    return !root.empty() && folder.size() >= root.size() &&
           text::EqualsIgnoreCase(folder.substr(0, root.size()), root) &&
           (folder.size() == root.size() || folder[root.size()] == '\\' || root.back() == '\\');
}

// The deepest voice or master folder `folder` lies in; empty when none.
std::string RootOf(const ChangeList& changes, const std::string& folder) {
    std::string found;
    for (const std::string& root : changes.roots) {
        if (IsAtOrBelow(folder, root) && root.size() > found.size()) {
            found = root;
        }
    }
    return found;
}

void LogHeld(const std::vector<HeldFile>& held) {
    for (const HeldFile& file : held) {
        LogLine("in use: " + file.path +
                (file.programs.empty() ? std::string(" (program not known)")
                                       : " (held by " + file.programs + ")"));
    }
}

}  // namespace

bool FolderFits(const std::string& folder) {
    const size_t length = settings::WholePathLength(WithSeparator(folder));
    return length > 0 && length <= kTempFolderLimit;
}

bool FolderTakesFiles(const std::string& folder) {
    const std::string existing = ExistingFolder(folder);
    if (existing.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    const std::string stem =
        text::JoinPath(existing, "~rnv" + std::to_string(GetCurrentProcessId()) + "-");
    for (int n = 0; n < 100; ++n) {
        const std::string probe = stem + std::to_string(n) + ".tmp";
        // Removed by the system as the handle closes.
        framework::File file(framework::OpenPath(
            probe, GENERIC_WRITE | DELETE, 0, CREATE_NEW,
            FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE));
        if (file) {
            return true;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            return false;
        }
    }
    return false;
}

std::string FirstLinkOnTheWay(const ChangeList& changes, trust::HeldWay& way) {
    for (const std::string& folder : Unique(changes.folders)) {
        const std::string bare = text::WithoutSeparator(folder);
        const std::string root = RootOf(changes, bare);
        // A folder that does not exist yet ends the way: the run makes it, and each new file's
        // final path is checked before its rename.
        const bool held = !root.empty() ? way.Hold(root, bare) : way.HoldBelow(changes.product, bare);
        if (!held && way.refusedAsLink()) {
            return way.refused();
        }
    }
    return {};
}

std::string ProgramsHolding(const std::string& path) {
    std::string joined;
    std::unordered_set<std::string> seen;
    for (const std::string& name : RestartManager::Instance().Holders(path)) {
        if (seen.insert(name).second) {
            joined += (joined.empty() ? "" : kListSeparator) + name;
        }
    }
    return joined;
}

std::vector<HeldFile> FindHeldFiles(const std::vector<std::string>& files) {
    std::vector<std::string> held;
    for (const std::string& path : Unique(files)) {
        if (IsHeld(path)) {
            held.push_back(path);
        }
    }
    for (DWORD waited = 0; !held.empty() && waited < kHeldGrace; waited += kHeldPause) {
        Sleep(kHeldPause);
        std::erase_if(held, [](const std::string& path) { return !IsHeld(path); });
    }
    std::vector<HeldFile> found;
    for (const std::string& path : held) {
        found.push_back({path, ProgramsHolding(path)});
    }
    return found;
}

std::string HeldFilesMessage(const std::vector<HeldFile>& held) {
    std::string text = std::string(kFilesInUse) + "\n";
    for (size_t i = 0; i < held.size() && i < kHeldFilesShown; ++i) {
        const HeldFile& file = held[i];
        text += "\n" + (file.programs.empty()
                            ? file.path
                            : Format(kHeldBy, file.path, file.programs));
    }
    if (held.size() > kHeldFilesShown) {
        text += "\n" + Format(kMoreFilesInUse, static_cast<int>(held.size() - kHeldFilesShown));
    }
    return text + "\n\n" + kCloseAndRetry;
}

CheckResult CheckBeforeChanges(const ChangeList& changes, MessageSeam& seam, const char* caption,
                               trust::HeldWay* way) {
    if (!changes.unfit.empty()) {
        LogLine("check names: no cp932 form: " + changes.unfit.front());
        seam.ShowMessage(Format(kNameNotCp932, changes.unfit.front()), caption, Buttons::kOk);
        return CheckResult::kRefused;
    }
    const std::string tooLong = FirstPathTooLong(changes);
    LogLine("check path lengths: " +
            (tooLong.empty() ? std::string("passed") : "too long: " + tooLong));
    if (!tooLong.empty()) {
        seam.ShowMessage(Format(kPathTooLong, tooLong), caption, Buttons::kOk);
        return CheckResult::kRefused;
    }
    // Before the folders are tried for a new file: that file would be made through the link.
    if (way != nullptr) {
        const std::string link = FirstLinkOnTheWay(changes, *way);
        LogLine("check links on the way: " +
                (link.empty() ? std::string("none") : "a junction or symbolic link: " + link));
        if (!link.empty()) {
            seam.ShowMessage(Format(trust::kLinkOnTheWay, link), caption, Buttons::kOk);
            return CheckResult::kRefused;
        }
    }
    DWORD error = 0;
    const std::string unwritable = FirstUnwritableFolder(changes.folders, error);
    if (!unwritable.empty()) {
        LogFailure("check folder " + unwritable + ": no file can be made there", error);
        seam.ShowMessage(Format(kCannotWriteFolder, text::WithoutSeparator(unwritable)), caption,
                         Buttons::kOk);
        return CheckResult::kRefused;
    }
    LogLine("check folders written into: passed");
    for (;;) {
        const std::vector<HeldFile> held = FindHeldFiles(changes.files);
        LogLine("check files in use: " +
                (held.empty() ? std::string("none") : std::to_string(held.size()) + " held"));
        LogHeld(held);
        if (held.empty()) {
            return CheckResult::kPassed;
        }
        if (seam.ShowMessage(HeldFilesMessage(held), kCaptionConfirm, Buttons::kRetryCancel) !=
            kAnswerRetry) {
            return CheckResult::kCancelled;
        }
    }
}

}  // namespace engine
