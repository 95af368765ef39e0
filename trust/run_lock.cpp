#include "trust/run_lock.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>

#include "framework/directory.h"
#include "framework/files.h"
#include "framework/wide.h"
#include "text/cp932.h"
#include "trust/texts.h"

namespace trust {

namespace {

// The backup folder's name; backup/ names it too, but may not be used from here.
constexpr char kBackupFolder[] = "RENOVO.BAK";

std::string LongForm(const std::string& folder) {
    std::string full = framework::FullPath(folder);
    const std::wstring wide = framework::Wide(full);
    const DWORD size = GetLongPathNameW(wide.c_str(), nullptr, 0);
    if (size != 0) {
        std::wstring longer(size, L'\0');
        longer.resize(GetLongPathNameW(wide.c_str(), longer.data(), size));
        // A long name cp932 cannot carry: the name as given still parts this product's runs.
        full = framework::Narrow(longer).value_or(full);
    }
    while (full.size() > 3 && full.back() == '\\' &&
           text::CharLength(full, full.size() - 2) == 1) {
        full.pop_back();
    }
    return text::ToUpperAscii(full);
}

bool IsPlainFolder(const std::string& folder) {
    const DWORD attributes = framework::AttributesOf(folder);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

std::string LockNameFor(const std::string& productFolder) {
    uint64_t hash = 14695981039346656037ULL;  // FNV-1a
    for (unsigned char c : LongForm(productFolder)) {
        hash = (hash ^ c) * 1099511628211ULL;
    }
    char name[64];
    std::snprintf(name, sizeof name, "Global\\Renovo.%016llX",
                  static_cast<unsigned long long>(hash));
    return name;
}

// A run without the right to make a global object (not elevated, another session) opens the
// one an elevated run made, for waiting only; where it may do neither, the lock file alone
// parts the runs.
Lock RunLock::Take(const std::string& productFolder) {
    Release();
    const std::string name = LockNameFor(productFolder);
    const std::wstring wideName = framework::Wide(name);
    mutex_.Reset(CreateMutexW(nullptr, FALSE, wideName.c_str()));
    if (!mutex_ && GetLastError() == ERROR_ACCESS_DENIED) {
        mutex_.Reset(OpenMutexW(SYNCHRONIZE, FALSE, wideName.c_str()));
    }
    if (mutex_) {
        const DWORD waited = WaitForSingleObject(mutex_.Get(), 0);
        if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
            mutex_.Reset();
            return Lock::kBusy;
        }
        owned_ = true;
    }
    // The lock file only where the backup folder is a plain one: one that is missing is made
    // by the run's first change, one that is a link or a file is refused there.
    const std::string folder = framework::FullPath(productFolder + "\\" + kBackupFolder);
    if (IsPlainFolder(folder)) {
        file_.Reset(framework::OpenPath(folder + "\\" + kLockName, GENERIC_READ | GENERIC_WRITE, 0,
                                        OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE |
                                            FILE_FLAG_OPEN_REPARSE_POINT));
        if (!file_ && GetLastError() == ERROR_SHARING_VIOLATION) {
            Release();
            return Lock::kBusy;
        }
    }
    taken_ = true;
    return Lock::kTaken;
}

void RunLock::Release() {
    file_.Reset();
    if (owned_) {
        ReleaseMutex(mutex_.Get());
    }
    owned_ = taken_ = false;
    mutex_.Reset();
}

}  // namespace trust
