// The one way an installed file is replaced. The new content goes to a temporary file in the
// target's own folder, is checked complete and flushed to the disk, and is put over the target
// in one step (a rename on the same volume), so the target always holds its old or its new
// content, never a part, even after a power cut. On any failure the target is exactly as it
// was and no temporary file is left.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/handles.h"

namespace replace {

// Told of every replace just before its one step; the target may not exist yet. false stops
// the replace: nothing is replaced and the temporary file is removed.
class Observer {
public:
    virtual bool BeforePutInPlace(const std::string& target) = 0;
    // Told at once of targets about to be replaced one after another (an archive's members),
    // so that what the observer must make durable for them costs one flush, not one each.
    virtual bool BeforePutInPlaceAll(const std::vector<std::string>& targets) {
        for (const std::string& target : targets) {
            if (!BeforePutInPlace(target)) {
                return false;
            }
        }
        return true;
    }
    // Told once `target` holds its new content: `size` bytes whose CRC-32 is `crc`.
    virtual void AfterPutInPlace(const std::string& /*target*/, uint64_t /*size*/,
                                 uint32_t /*crc*/) {}

protected:
    ~Observer() = default;
};

// The new content of one target, written into a temporary file beside it. Nothing touches
// the target before PutInPlace. The temporary file is removed as soon as a call fails, and
// when the object goes without a successful PutInPlace.
class NewFile {
public:
    // A temporary file of a unique name in the target's folder.
    explicit NewFile(std::string target);
    // The work file the caller names (in the target's folder), created anew: the master
    // conversion writes "temp.mst". A file that cannot be created there is left alone.
    NewFile(std::string target, std::string workPath);
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    bool created() const { return static_cast<bool>(file_); }
    const std::string& target() const { return target_; }
    const std::string& tempPath() const { return temp_; }

    // Buffered; false once any write has failed (a full disk), and every later call fails.
    bool Write(const void* data, size_t size);
    // The last-write time the new file gets after its last byte.
    void SetLastWriteTime(const FILETIME& time);

    // Writes what is buffered, flushes it to the disk and closes the file; false unless it
    // holds exactly `size` bytes, every one handed to Write.
    bool Finish(uint64_t size);
    // The CRC-32 of the bytes handed to Write so far.
    uint32_t crc() const { return crc_; }
    // The one step: the finished file takes the target's place, `observer` (may be null) told
    // before and after. A read-only target is replaced too; on failure it keeps its attribute.
    // `meant`: the full path the target must truly have (its folders checked for links and
    // held); where Windows can say that the new file lies elsewhere, nothing is renamed
    // (ERROR_CANT_RESOLVE_FILENAME).
    bool PutInPlace(Observer* observer, const std::string& meant = {});
    bool Commit(uint64_t size, Observer* observer, const std::string& meant = {}) {
        return Finish(size) && PutInPlace(observer, meant);
    }

private:
    bool Open(DWORD disposition);
    bool Flush();
    bool Settle();  // on failure, removes the temporary file at once
    void Discard();

    std::string target_;
    std::string temp_;  // empty once there is no temporary file of ours to remove
    framework::File file_;
    std::string buffer_;
    uint64_t written_ = 0;
    uint32_t crc_ = 0;
    bool failed_ = false;
    bool finished_ = false;
    bool hasTime_ = false;
    FILETIME time_{};
};

// Tells `observer` (may be null) of the targets the caller will replace next; false: nothing
// may be replaced. Their replaces still tell it of each one, which it may already know.
bool AnnounceReplaces(Observer* observer, const std::vector<std::string>& targets);

// Puts `from` over `target` in one step, a read-only target too (its bit back on failure);
// no observer is asked. For files that are already complete, such as a backup put back.
// `meant` as for NewFile::PutInPlace.
bool MoveOver(const std::string& from, const std::string& target, const std::string& meant = {});

// Copies the content and last-write time of `source` into a temporary file beside `target`,
// checks that it is as long as the source, and puts it in place. A read error of the source
// fails the replace as a full disk does. `observer` (may be null) is told as by PutInPlace;
// `meant` as for NewFile::PutInPlace.
bool ReplaceWithCopy(const std::string& source, const std::string& target, Observer* observer,
                     const std::string& meant = {});

}  // namespace replace
