// What the update-run tests share: a message seam with scripted answers that records every
// message, a product folder made on disk, the LZH fixtures, and drive A: as a floppy drive
// whose disks the test swaps.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/message_seam.h"

namespace backup {
class BackupSet;
}
namespace engine {
struct UpdateContext;
}

namespace update_test {

struct Message {
    std::string text;
    std::string caption;
    engine::Buttons buttons;
    int waitDepth;  // how many wait cursors were shown while the message was up
};

// Answers each message with the next scripted answer (an action may run first, as a user
// swaps disks before pressing OK); unscripted messages get OK, and a prompt that keeps
// coming back is cancelled so that a faulty run cannot loop for ever.
class ScriptedSeam : public engine::MessageSeam {
public:
    struct Answer {
        int button;
        std::function<void()> before;
    };
    void Script(int button, std::function<void()> before = {}) {
        answers_.push_back({button, std::move(before)});
    }
    int ShowMessage(const std::string& text, const std::string& caption,
                    engine::Buttons buttons) override;
    void BeginWaitCursor() override { ++depth_; }
    void EndWaitCursor() override { --depth_; }

    std::vector<Message> messages;
    int depth() const { return depth_; }
    std::vector<std::string> Texts() const;

private:
    std::vector<Answer> answers_;
    size_t next_ = 0;
    int depth_ = 0;
};

// The text the fixture archive's member holds: its line 64 times over.
std::string MemberText(const std::string& line);

// Copies fixture archive `fixture` (e.g. "ONE") to `path`.
void CopyFixture(const std::string& fixture, const std::string& path);

// Every file below `folder` (relative name -> content, folders as "name\").
std::map<std::string, std::string> Snapshot(const std::string& folder);

// Appends a file-list entry to the manifest the run reads.
void AddEntry(engine::UpdateContext& ctx, int disk, int kind, const std::string& name,
              const std::string& sub);

// Puts `content` in place of `target` through the one way an installed file is replaced, with
// `set` as its observer.
bool PutInPlace(backup::BackupSet& set, const std::string& target, const std::string& content);

// Reads one value of an INI file through the profile functions ("<none>" when missing).
std::string ProfileValue(const std::string& path, const std::string& section,
                         const std::string& key);

// Drive A: as Wine's floppy drive over a folder of the test run. Each disk is a folder of
// its own beside it; inserting a disk renames folders, as a user swaps disks.
class FloppyDrive {
public:
    FloppyDrive();
    ~FloppyDrive();
    FloppyDrive(const FloppyDrive&) = delete;
    FloppyDrive& operator=(const FloppyDrive&) = delete;

    // Empty when drive A: is ready for the tests; otherwise why not.
    const std::string& unavailable() const { return unavailable_; }
    // Where disk `n` keeps its files while it is out of the drive (n >= 1).
    std::string DiskFolder(int n);
    void Insert(int n);

private:
    std::string ParkedFolder(int n) const;
    std::string floppy_;  // the folder behind A:, as a Windows path without separator
    std::string unavailable_;
    int inserted_ = 0;  // 0: the drive's own empty folder
    std::vector<int> made_;
};

}  // namespace update_test
