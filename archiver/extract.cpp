#include "archiver/extract.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "archiver/command.h"
#include "archiver/texts.h"
#include "archiver/win32_file.h"
#include "framework/directory.h"
#include "framework/files.h"
#include "replace/replace_file.h"
#include "text/cp932.h"

namespace archiver {

namespace {

const char* Reason(lzh::Status status) {
    switch (status) {
        case lzh::Status::kBadHeader:
            return kBadHeader;
        case lzh::Status::kTruncated:
            return kTruncated;
        case lzh::Status::kUnknownMethod:
            return kUnknownMethod;
        case lzh::Status::kBadData:
            return kBadData;
        case lzh::Status::kCrcMismatch:
            return kCrcMismatch;
        case lzh::Status::kWriteError:
            return kCannotWrite;
        default:
            return kArchiveUnreadable;
    }
}

// "<reason>\nファイル: <member>\n書庫: <archive>\n<note>", most useful first.
Outcome Failure(Result result, const std::string& reason, const std::string& member,
                const std::string& archive, const char* note) {
    std::string text = reason;
    if (!member.empty()) {
        text += std::string("\n") + kMemberLabel + member;
    }
    text += std::string("\n") + kArchiveLabel + archive;
    if (note != nullptr) {
        text += std::string("\n") + note;
    }
    return {result, text};
}

bool IsRegularFile(const lzh::Member& m) {
    return !m.isDirectory && !m.isSymlink;
}

// A regular member is refused when its bare name is not a plain Windows file name, or when
// it is stored below a symbolic link of the same archive (a crafted way out of the folder).
const char* Refusal(const lzh::Member& m, std::vector<std::string>& links) {
    std::string path = text::ToUpperAscii(m.path);
    if (m.isSymlink) {
        links.push_back(path + "\\");
        return nullptr;
    }
    for (const std::string& link : links) {
        if (!m.isDirectory && path.starts_with(link)) {
            return kBelowLink;
        }
    }
    return m.isDirectory || IsSafeBareName(m.name) ? nullptr : kUnsafeName;
}

bool IsEmptyFile(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    return framework::StatusOf(path, data) &&
           data.nFileSizeLow == 0 && data.nFileSizeHigh == 0;
}

bool MemberTime(const lzh::Member& m, FILETIME& time) {
    if (m.hasUnixTime) {
        ULARGE_INTEGER t;
        t.QuadPart = static_cast<ULONGLONG>(m.unixTime + 11644473600LL) * 10000000ULL;
        time.dwLowDateTime = t.LowPart;
        time.dwHighDateTime = t.HighPart;
        return m.unixTime >= -11644473600LL;
    }
    FILETIME local;
    return m.dosTime != 0 && DosDateTimeToFileTime(HIWORD(m.dosTime), LOWORD(m.dosTime), &local) &&
           LocalFileTimeToFileTime(&local, &time);
}

bool KeepNewerTarget(Replace replace, const lzh::Member& m, const std::string& target) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    FILETIME time;
    return replace == Replace::kUnlessNewer && MemberTime(m, time) &&
           framework::StatusOf(target, data) &&
           CompareFileTime(&data.ftLastWriteTime, &time) > 0;
}

// Reads the whole archive once: every header, name and member's data must be sound, and the
// archive whole (at least one member, then its end mark), before a single file is written.
// A copy that went wrong shows as an empty or cut file, which must not pass for an update.
// `targets` gets the files the extraction will replace, in order.
Outcome Verify(const std::string& archive, const std::string& destination, Replace replace,
               uint64_t& total, std::vector<std::string>& targets) {
    FileSource source(archive);
    if (!source.opened()) {
        bool missing = source.openError() == ERROR_FILE_NOT_FOUND ||
                       source.openError() == ERROR_PATH_NOT_FOUND;
        return Failure(Result::kBadArchive, missing ? kArchiveMissing : kArchiveUnreadable, "",
                       archive, nullptr);
    }
    if (IsEmptyFile(archive)) {
        return Failure(Result::kBadArchive, kArchiveEmpty, "", archive, kNothingWritten);
    }
    lzh::Reader reader(source);
    lzh::Member member;
    std::string last;
    std::vector<std::string> links;
    for (int members = 0;; ++members) {
        lzh::Status status = reader.Next(member);
        if (status == lzh::Status::kEnd) {
            return members > 0 ? Outcome{}
                               : Failure(Result::kBadArchive, kNoMembers, "", archive,
                                         kNothingWritten);
        }
        if (status != lzh::Status::kOk) {
            return Failure(Result::kBadArchive, Reason(status), last, archive, kNothingWritten);
        }
        last = member.path;
        total += IsRegularFile(member) ? member.originalSize : 0;
        if (const char* refusal = Refusal(member, links)) {
            return Failure(Result::kBadArchive, refusal, member.path, archive, kNothingWritten);
        }
        const std::string target = JoinPath(destination, member.name);
        if (IsRegularFile(member) && !KeepNewerTarget(replace, member, target)) {
            targets.push_back(target);
        }
        NullSink sink;
        status = IsRegularFile(member) ? reader.Extract(sink) : reader.Skip();
        if (status != lzh::Status::kOk) {
            return Failure(Result::kBadArchive, Reason(status), member.path, archive,
                           kNothingWritten);
        }
    }
}

// Creates the destination and any missing folders above it.
bool EnsureFolder(std::string folder) {
    while (EndsWithSeparator(folder) && folder.size() > 1 && folder[folder.size() - 2] != ':') {
        folder.pop_back();
    }
    DWORD attributes = framework::AttributesOf(folder);
    if (folder.empty() || attributes != INVALID_FILE_ATTRIBUTES) {
        return folder.empty() || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    text::PathParts parts = text::SplitPath(folder);
    std::string parent = parts.drive + parts.dir;
    bool hasParent = !parts.dir.empty() && parts.dir != "\\" && parts.dir != "/";
    if (hasParent && !EnsureFolder(parent)) {
        return false;
    }
    return framework::MakeFolder(folder) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// Counts what a member's sink takes and tells the progress now and then: about a hundred
// times an archive, so that showing it costs next to nothing beside the decoding.
class CountingSink : public lzh::ByteSink {
public:
    CountingSink(lzh::ByteSink& inner, Progress* progress, const std::string& member,
                 uint64_t& done, uint64_t total)
        : inner_(inner),
          progress_(progress),
          member_(member),
          done_(done),
          total_(total),
          step_(total / 100 + 1) {
        Tell();
    }
    bool Write(const void* buf, size_t n) override {
        done_ += n;
        if (done_ >= next_) {
            Tell();
        }
        return inner_.Write(buf, n);
    }

private:
    void Tell() {
        if (progress_ != nullptr) {
            progress_->Advance(member_, done_, total_);
        }
        next_ = done_ + step_;
    }

    lzh::ByteSink& inner_;
    Progress* progress_;
    const std::string& member_;
    uint64_t& done_;
    uint64_t total_;
    uint64_t step_;
    uint64_t next_ = 0;
};

// Decodes the current member into a new file beside the target; the target is replaced
// only once the data and its CRC checked out. The file holds what the reader hands on, which
// for a Macintosh member is its data fork alone, fewer bytes than the header's size. Returns a
// reason, or null.
const char* WriteMember(lzh::Reader& reader, const lzh::Member& m, const std::string& target,
                        const Callbacks& callbacks, uint64_t& done, uint64_t total) {
    replace::NewFile file(target);
    if (!file.created()) {
        return kCannotWrite;
    }
    NewFileSink fileSink(file);
    const uint64_t start = done;
    CountingSink sink(fileSink, callbacks.progress, m.name, done, total);
    lzh::Status status = reader.Extract(sink);
    done = start + m.originalSize;  // the whole member is behind, whatever was written of it
    if (callbacks.progress != nullptr) {
        callbacks.progress->Advance(m.name, done, total);
    }
    if (status != lzh::Status::kOk) {
        return Reason(status);
    }
    FILETIME time;
    if (MemberTime(m, time)) {
        file.SetLastWriteTime(time);
    }
    if (!file.Finish(fileSink.handed())) {
        return kCannotWrite;
    }
    // Renamed only where the member was meant to go: no folder on the way swapped for a link.
    return file.PutInPlace(callbacks.observer, framework::FullPath(target)) ? nullptr
                                                                             : kCannotReplace;
}

std::string Padded(uint64_t n, size_t width) {
    std::string digits = std::to_string(n);
    return std::string(digits.size() < width ? width - digits.size() : 0, ' ') + digits;
}

std::string Hex4(unsigned value) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%04X", value & 0xFFFFu);
    return hex;
}

std::string Extracted(int count) {
    return std::to_string(count) + kExtracted;
}

}  // namespace

Outcome Extract(const std::string& archive, const std::string& destination,
                const Callbacks& callbacks, Replace replace) {
    uint64_t total = 0;
    std::vector<std::string> targets;
    if (Outcome checked = Verify(archive, destination, replace, total, targets);
        checked.result != Result::kDone) {
        return checked;
    }
    if (!EnsureFolder(destination)) {
        return Failure(Result::kWriteFailed, kCannotCreateFolder, "", archive, kNothingWritten);
    }
    if (!replace::AnnounceReplaces(callbacks.observer, targets)) {
        return Failure(Result::kWriteFailed, kCannotReplace, "", archive, kNothingWritten);
    }
    FileSource source(archive);
    lzh::Reader reader(source);
    lzh::Member member;
    int written = 0;
    uint64_t done = 0;
    for (lzh::Status status; (status = reader.Next(member)) != lzh::Status::kEnd;) {
        const char* reason = status != lzh::Status::kOk ? Reason(status) : nullptr;
        std::string target = JoinPath(destination, member.name);
        if (reason == nullptr &&
            (!IsRegularFile(member) || KeepNewerTarget(replace, member, target))) {
            status = reader.Skip();
            reason = status != lzh::Status::kOk ? Reason(status) : nullptr;
        } else if (reason == nullptr) {
            reason = WriteMember(reader, member, target, callbacks, done, total);
            written += reason == nullptr ? 1 : 0;
        }
        if (reason != nullptr) {
            return Failure(Result::kWriteFailed, reason, member.path, archive,
                           written > 0 ? kEarlierKept : kNothingWritten);
        }
    }
    return {Result::kDone, Extracted(written)};
}

bool ListTargets(const std::string& archive, const std::string& destination,
                 std::vector<std::string>& targets, std::string* refusal) {
    FileSource source(archive);
    lzh::Reader reader(source);
    lzh::Member m;
    std::vector<std::string> links;
    for (lzh::Status status; source.opened() && (status = reader.Next(m)) != lzh::Status::kEnd;) {
        if (status != lzh::Status::kOk) {
            return false;
        }
        if (const char* reason = Refusal(m, links)) {
            if (refusal != nullptr) {
                *refusal =
                    Failure(Result::kBadArchive, reason, m.path, archive, kNothingWritten).text;
            }
            return false;
        }
        if (reader.Skip() != lzh::Status::kOk) {
            return false;
        }
        if (IsRegularFile(m)) {
            targets.push_back(JoinPath(destination, m.name));
        }
    }
    return source.opened();
}

Outcome ListArchive(const std::string& archive) {
    FileSource source(archive);
    if (!source.opened()) {
        return Failure(Result::kBadArchive, kArchiveMissing, "", archive, nullptr);
    }
    lzh::Reader reader(source);
    lzh::Member m;
    std::string text = kListHeading;
    for (lzh::Status status; (status = reader.Next(m)) != lzh::Status::kEnd;) {
        if (status == lzh::Status::kOk) {
            status = reader.Skip();
        }
        if (status != lzh::Status::kOk) {
            return Failure(Result::kBadArchive, Reason(status), m.path, archive, nullptr);
        }
        text += "\n" + Padded(m.originalSize, 9) + " " + Padded(m.packedSize, 8) + " " + m.method +
                " " + Hex4(m.crc) + " ";
        text += m.path;
    }
    return {Result::kDone, text};
}

}  // namespace archiver
