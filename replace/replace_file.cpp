#include "replace/replace_file.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "framework/files.h"
#include "framework/wide.h"
#include "replace/crc32.h"
#include "text/cp932.h"
#include "trust/held_way.h"

namespace replace {

namespace {

constexpr size_t kBlock = 64 * 1024;

// GetTempFileName puts its own separator after the folder, so a target without a folder
// part ("C:name", "name") takes the current folder of its drive as "C:." or ".".
std::string FolderOf(const std::string& target) {
    const text::PathParts parts = text::SplitPath(target);
    return parts.dir.empty() ? parts.drive + "." : parts.drive + parts.dir;
}

// Empty when none could be made. The name comes back from Windows: one cp932 cannot carry
// (the current folder's, for a target without a folder) could not be named again, so the file
// is not used.
std::string UniqueTempFile(const std::string& target) {
    wchar_t name[MAX_PATH] = {};
    if (GetTempFileNameW(framework::Wide(FolderOf(target)).c_str(), L"rpl", 0, name) == 0) {
        return {};
    }
    const std::optional<std::string> narrow = framework::Narrow(name);
    if (!narrow) {
        DeleteFileW(name);
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return {};
    }
    return *narrow;
}

bool WriteAll(HANDLE file, const char* data, size_t size) {
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1 << 20));
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr) || written != chunk) {
            return false;
        }
        data += chunk;
        size -= chunk;
    }
    return true;
}

uint64_t SizeOf(HANDLE file) {
    LARGE_INTEGER size{};
    return GetFileSizeEx(file, &size) ? static_cast<uint64_t>(size.QuadPart) : UINT64_MAX;
}

// The rename itself. A virus scanner that looks at the new file, or a program that is just
// closing the old one, makes it fail with a sharing violation or access denied for a moment:
// it is tried again for about two seconds before it fails, the last error kept.
bool RenameOver(const std::string& from, const std::string& target) {
    constexpr DWORD kRetryFor = 2000;  // ms
    constexpr DWORD kPause = 50;       // ms
    for (DWORD waited = 0;; waited += kPause) {
        if (framework::MovePath(from, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        const DWORD error = GetLastError();
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) ||
            waited >= kRetryFor) {
            SetLastError(error);
            return false;
        }
        Sleep(kPause);
    }
}

// Whether `from` truly lies in the folder of `meant`, where Windows can say: a folder on its
// way swapped for a link since it was checked sends the rename elsewhere.
bool LiesWhereMeant(const std::string& from, const std::string& meant) {
    if (meant.empty()) {
        return true;
    }
    const text::PathParts parts = text::SplitPath(from);
    const std::string there = FolderOf(meant) + parts.fname + parts.ext;
    if (trust::WhereIs(from, there) == trust::Where::kElsewhere) {
        SetLastError(ERROR_CANT_RESOLVE_FILENAME);
        return false;
    }
    return true;
}

}  // namespace

// Windows refuses to rename over a read-only file; its attribute is cleared for the step and
// put back when the step fails.
bool MoveOver(const std::string& from, const std::string& target, const std::string& meant) {
    if (!LiesWhereMeant(from, meant)) {
        return false;
    }
    const DWORD attributes = framework::AttributesOf(target);
    const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES &&
                          (attributes & FILE_ATTRIBUTE_READONLY) &&
                          !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (readOnly) {
        const DWORD cleared = attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
        if (!framework::SetAttributesOf(target, cleared ? cleared : FILE_ATTRIBUTE_NORMAL)) {
            return false;
        }
    }
    if (RenameOver(from, target)) {
        return true;
    }
    if (readOnly) {
        const DWORD error = GetLastError();
        framework::SetAttributesOf(target, attributes);
        SetLastError(error);
    }
    return false;
}

bool AnnounceReplaces(Observer* observer, const std::vector<std::string>& targets) {
    return observer == nullptr || targets.empty() || observer->BeforePutInPlaceAll(targets);
}

NewFile::NewFile(std::string target) : target_(std::move(target)), temp_(UniqueTempFile(target_)) {
    if (!temp_.empty()) {
        Open(TRUNCATE_EXISTING);
    }
}

NewFile::NewFile(std::string target, std::string workPath)
    : target_(std::move(target)), temp_(std::move(workPath)) {
    if (!Open(CREATE_ALWAYS)) {
        temp_.clear();
    }
}

NewFile::~NewFile() {
    Discard();
}

void NewFile::Discard() {
    file_.Reset();
    if (!temp_.empty()) {
        framework::SetAttributesOf(temp_, FILE_ATTRIBUTE_NORMAL);
        framework::DeletePath(temp_);
        temp_.clear();
    }
}

bool NewFile::Open(DWORD disposition) {
    file_.Reset(framework::OpenPath(temp_, GENERIC_WRITE, 0, disposition, FILE_ATTRIBUTE_NORMAL));
    return created();
}

bool NewFile::Write(const void* data, size_t size) {
    if (failed_ || finished_ || !file_) {
        return false;
    }
    const char* bytes = static_cast<const char*>(data);
    crc_ = Crc32(crc_, bytes, size);
    if (buffer_.size() + size > kBlock && !Flush()) {
        return false;
    }
    if (size >= kBlock) {
        failed_ = !WriteAll(file_.Get(), bytes, size);
    } else {
        buffer_.append(bytes, size);
    }
    written_ += size;
    return Settle();
}

void NewFile::SetLastWriteTime(const FILETIME& time) {
    time_ = time;
    hasTime_ = true;
}

bool NewFile::Flush() {
    failed_ = failed_ || !WriteAll(file_.Get(), buffer_.data(), buffer_.size());
    buffer_.clear();
    return Settle();
}

bool NewFile::Settle() {
    if (failed_) {
        Discard();
    }
    return !failed_;
}

bool NewFile::Finish(uint64_t size) {
    failed_ = failed_ || finished_ || !file_;
    if (!Settle() || !Flush()) {
        return false;
    }
    // Flushed before the rename that puts it in place: after a power cut the rename may be on
    // the disk while data written without a flush is not, and the target would hold zeros.
    failed_ = written_ != size || SizeOf(file_.Get()) != size ||
              (hasTime_ && !SetFileTime(file_.Get(), nullptr, nullptr, &time_)) ||
              !FlushFileBuffers(file_.Get());
    // A failed close may be the last write failing.
    failed_ = !CloseHandle(file_.Release()) || failed_;
    finished_ = true;
    return Settle();
}

bool NewFile::PutInPlace(Observer* observer, const std::string& meant) {
    if (!finished_ || failed_ || temp_.empty()) {
        return false;
    }
    failed_ = (observer != nullptr && !observer->BeforePutInPlace(target_)) ||
              !MoveOver(temp_, target_, meant);
    if (!failed_) {
        temp_.clear();
        if (observer != nullptr) {
            observer->AfterPutInPlace(target_, written_, crc_);
        }
    }
    return Settle();
}

bool ReplaceWithCopy(const std::string& source, const std::string& target, Observer* observer,
                     const std::string& meant) {
    framework::File from(framework::OpenPath(source, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
                                             FILE_FLAG_SEQUENTIAL_SCAN));
    FILETIME time;
    if (!from || !GetFileTime(from.Get(), nullptr, nullptr, &time)) {
        return false;
    }
    const uint64_t size = SizeOf(from.Get());
    NewFile file(target);
    std::vector<char> block(kBlock);
    DWORD got = 0;
    while (ReadFile(from.Get(), block.data(), kBlock, &got, nullptr) && got > 0) {
        if (!file.Write(block.data(), got)) {
            return false;
        }
    }
    // A read error ends the loop as the end of the file would; the size check tells them apart.
    file.SetLastWriteTime(time);
    return file.Commit(size, observer, meant);
}

}  // namespace replace
