#include "tests/engine/update_run_support.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <stdexcept>

#include "backup/backup_set.h"
#include "backup/texts.h"
#include "engine/update_context.h"
#include "framework/files.h"
#include "replace/replace_file.h"
#include "tests/support/test_support.h"

namespace update_test {

namespace {

constexpr size_t kPromptLimit = 20;

// The source tree's fixture folder, seen through Wine's drive Z: (the Unix root).
std::string FixtureFolder() {
    std::string folder = "Z:" RENOVO_UPDATE_FIXTURES;
    for (char& c : folder) {
        if (c == '/') {
            c = '\\';
        }
    }
    return folder + "\\";
}

std::string UnixToWindows(std::string path) {
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return "Z:" + path;
}

void Move(const std::string& from, const std::string& to) {
    if (!MoveFileA(from.c_str(), to.c_str())) {
        throw std::runtime_error("cannot move " + from + " to " + to);
    }
}

void AddTree(const std::string& root, const std::string& rel,
             std::map<std::string, std::string>& out) {
    // Through the cp932 edge, so that Japanese names read alike at every code page.
    framework::FileFind find;
    if (!find.FindFile(root + rel + "*")) {
        return;
    }
    do {
        const std::string& name = find.FileName();
        // The backup sets are the update's way back, not part of the product.
        if (find.IsDots() || (rel.empty() && name == backup::kBackupFolder)) {
            continue;
        }
        if (find.IsDirectory()) {
            out[rel + name + "\\"] = "";
            AddTree(root, rel + name + "\\", out);
        } else {
            out[rel + name] = find.NameFits() ? testing_support::ReadFile(root + rel + name) : "";
        }
    } while (find.Next());
}

}  // namespace

int ScriptedSeam::ShowMessage(const std::string& text, const std::string& caption,
                              engine::Buttons buttons) {
    messages.push_back({text, caption, buttons, depth_});
    if (next_ < answers_.size()) {
        Answer& a = answers_[next_++];
        if (a.before) {
            a.before();
        }
        return a.button;
    }
    if (buttons == engine::Buttons::kOkCancel && messages.size() > kPromptLimit) {
        ADD_FAILURE() << "the prompt keeps coming back: " << text;
        return engine::kAnswerCancel;
    }
    return engine::kAnswerOk;
}

std::vector<std::string> ScriptedSeam::Texts() const {
    std::vector<std::string> out;
    for (const Message& m : messages) {
        out.push_back(m.text);
    }
    return out;
}

std::string MemberText(const std::string& line) {
    std::string out;
    for (int i = 0; i < 64; ++i) {
        out += line + "\r\n";
    }
    return out;
}

void CopyFixture(const std::string& fixture, const std::string& path) {
    testing_support::WriteFile(path, testing_support::ReadFile(FixtureFolder() + fixture + ".lzh"));
}

std::map<std::string, std::string> Snapshot(const std::string& folder) {
    std::map<std::string, std::string> out;
    AddTree(folder, "", out);
    return out;
}

std::string ProfileValue(const std::string& path, const std::string& section,
                         const std::string& key) {
    char buf[1024] = {};
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "<none>", buf, sizeof buf, path.c_str());
    return buf;
}

FloppyDrive::FloppyDrive() {
    const char* run = std::getenv("RENOVO_RUN_DIR");
    if (!run || !*run) {
        unavailable_ = "RENOVO_RUN_DIR is not set (run under tools/wine-env.sh)";
        return;
    }
    floppy_ = UnixToWindows(std::string(run) + "/floppy");
    if (GetDriveTypeA("A:\\") != DRIVE_REMOVABLE ||
        GetFileAttributesA(floppy_.c_str()) == INVALID_FILE_ATTRIBUTES) {
        unavailable_ = "drive A: is not the harness's floppy drive";
    }
}

FloppyDrive::~FloppyDrive() {
    try {
        if (inserted_ != 0) {
            Insert(0);
        }
    } catch (const std::exception& e) {
        ADD_FAILURE() << e.what();
    }
    for (int n : made_) {
        testing_support::RemoveTree(ParkedFolder(n));
    }
}

std::string FloppyDrive::ParkedFolder(int n) const {
    return floppy_ + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(n);
}

std::string FloppyDrive::DiskFolder(int n) {
    if (n == inserted_) {
        return "A:\\";
    }
    const std::string folder = ParkedFolder(n);
    if (GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES) {
        testing_support::MakeDir(folder);
        made_.push_back(n);
    }
    return folder + "\\";
}

void FloppyDrive::Insert(int n) {
    if (n == inserted_) {
        return;
    }
    DiskFolder(n);
    Move(floppy_, ParkedFolder(inserted_));
    Move(ParkedFolder(n), floppy_);
    inserted_ = n;
}

void AddEntry(engine::UpdateContext& ctx, int disk, int kind, const std::string& name,
              const std::string& sub) {
    const int i = ctx.entryCount++;
    ctx.entryDisk[i] = disk;
    ctx.entryKind[i] = kind == 1 ? engine::EntryKind::kArchive : engine::EntryKind::kPlainFile;
    ctx.entryName[i] = name;
    ctx.entrySubFolder[i] = sub;
}

bool PutInPlace(backup::BackupSet& set, const std::string& target, const std::string& content) {
    replace::NewFile file(target);
    return file.Write(content.data(), content.size()) && file.Commit(content.size(), &set);
}

}  // namespace update_test
