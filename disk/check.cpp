#include <optional>

#include "disk/disk.h"
#include "disk/platform.h"
#include "disk/signature.h"
#include "display/dib_header.h"
#include "engine/manifest.h"
#include "lzh/encode_file.h"
#include "lzh/lzh.h"
#include "receipt/whole_set.h"
#include "text/cp932.h"
#include "text/line_reader.h"

namespace disk {
namespace {

constexpr int kFixedLines = 41;
constexpr int kMaxEntries = 100;
constexpr int kFirstPictureLine = 21;

// The file of `name` (cp932, '\' between folders) in `dir`, found as FAT finds it: without
// regard to the case of ASCII letters.
std::optional<std::string> Find(const std::string& dir, const std::string& name) {
    std::string at = dir;
    size_t from = 0;
    for (;;) {
        size_t sep = text::FindChar(name, '\\', from);
        std::string part = name.substr(from, sep == std::string::npos ? sep : sep - from);
        auto names = ListFolder(at);
        if (!names) {
            return std::nullopt;
        }
        bool found = false;
        for (const std::string& n : *names) {
            if (text::EqualsIgnoreCase(StoredName(n), part)) {
                at += "/" + n;
                found = true;
                break;
            }
        }
        if (!found) {
            return std::nullopt;
        }
        if (sep == std::string::npos) {
            return at;
        }
        from = sep + 1;
    }
}

class NullSink : public lzh::ByteSink {
public:
    bool Write(const void*, size_t) override { return true; }
};

// Every member decoded, its CRC compared. Empty when good, else what is wrong.
std::string ArchiveFault(const std::string& path) {
    lzh::FileMemberSource in(path);
    if (!in.Ok()) {
        return "cannot be read";
    }
    lzh::Reader reader(in);
    lzh::Member m;
    int members = 0;
    for (;;) {
        lzh::Status s = reader.Next(m);
        if (s == lzh::Status::kEnd) {
            return members ? "" : "holds no member";
        }
        if (s != lzh::Status::kOk) {
            return std::string("does not read: ") + lzh::StatusName(s);
        }
        NullSink sink;
        if ((s = reader.Extract(sink)) != lzh::Status::kOk) {
            return "member " + ForConsole(m.path) + ": " + lzh::StatusName(s);
        }
        ++members;
    }
}

bool Drawable(const std::string& path) {
    lzh::FileMemberSource in(path);
    uint8_t h[display::kFileHeaderSize + display::kInfoHeaderSize];
    auto size = FileSize(path);
    return in.Ok() && size && in.Read(h, sizeof h) == sizeof h &&
           display::ValidateDibHeader(std::span<const uint8_t, display::kFileHeaderSize>(h, 14),
                                      std::span<const uint8_t, display::kInfoHeaderSize>(h + 14, 40),
                                      *size);
}

bool IsNumber(const std::string& s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

class Checker {
public:
    // `oneFolder`: disks_[0] holds every disk's files.
    Checker(const std::vector<std::string>& disks, uint64_t capacity, Diagnostics& out,
            bool oneFolder)
        : disks_(disks), capacity_(capacity), out_(out), info_(disks[0] + "/info.txt"),
          oneFolder_(oneFolder) {}

    void Run() {
        if (auto program = Find(disks_[0], "RENOVO.EXE")) {
            CheckSignature(*program, out_);
        } else {
            out_.Error(disks_[0], 0, "Renovo.exe is missing from disk 1");
        }
        if (ReadLines()) {
            Fixed();
            FileList();
        }
        for (const std::string& d : disks_) {
            if (!oneFolder_) {
                Capacity(d);
            }
        }
    }

private:
    bool ReadLines() {
        text::LineReader reader;
        if (!reader.Open(info_)) {
            out_.Error(info_, 0, "missing from disk 1");
            return false;
        }
        std::string line;
        text::LineReader::Status s;
        while ((s = reader.ReadLine(line)) == text::LineReader::Status::kLine) {
            lines_.push_back(line);
        }
        if (s == text::LineReader::Status::kError) {
            out_.Error(info_, static_cast<int>(lines_.size()) + 1, "read error");
            return false;
        }
        if (lines_.size() < kFixedLines) {
            out_.Error(info_, static_cast<int>(lines_.size()),
                       "the file ends after " + std::to_string(lines_.size()) +
                           " lines; 41 fixed lines come before the file list");
            lines_.resize(kFixedLines);
        }
        return true;
    }
    const std::string& At(int line) const { return lines_[line - 1]; }
    void Error(int line, const std::string& t) { out_.Error(info_, line, t); }
    void Warn(int line, const std::string& t) { out_.Warn(info_, line, t); }

    void Fixed() {
        if (At(1).empty()) {
            Error(1, "no Uninstall key: the destination page cannot find the product");
        }
        for (int l = 2; l <= 15; ++l) {
            if (!At(l).empty() && At(l - 1).empty()) {
                Warn(l, "an Uninstall key after an empty line is never tried");
            }
        }
        if (!IsNumber(At(17))) {
            Error(17, "the version must be a decimal number");
        }
        for (int l : {18, 20}) {
            if (At(l) != "0" && At(l) != "1") {
                Error(l, "a flag must be 0 or 1 (\"" + ForConsole(At(l)) + "\" reads as " +
                             (text::FlagIsOn(At(l)) ? "on" : "off") + ")");
            }
        }
        if (At(19) != "NULL" && !UnsafeName(At(19)).empty()) {
            Error(19, "the settings file must be a file name or NULL");
        }
        for (int l = kFirstPictureLine; l < kFirstPictureLine + 4; ++l) {
            Picture(l);
        }
        for (int l : {25, 26}) {
            if (std::count(At(l).begin(), At(l).end(), '\t') > 200) {
                Warn(l, "more than 100 line breaks: the later TABs are shown as they are");
            }
        }
        if (At(27).empty()) {
            Warn(27, "no system names: the installed variant is never identified");
        }
    }

    void Picture(int l) {
        if (At(l).empty()) {
            Warn(l, "no picture");
            return;
        }
        auto f = Find(disks_[0], At(l));
        if (!f) {
            Error(l, "the picture " + ForConsole(At(l)) + " is not on disk 1");
        } else if (!Drawable(*f)) {
            Error(l, "the picture " + ForConsole(At(l)) + " is not a bitmap that Renovo can draw");
        }
    }

    void FileList() {
        engine::FileListFields fields;
        int current = 1;
        for (size_t i = kFixedLines; i < lines_.size(); ++i) {
            const int l = static_cast<int>(i) + 1;
            if (l - kFixedLines > kMaxEntries) {
                Error(l, "more than 100 entries: Renovo ignores this line and those after it");
                return;
            }
            const std::string& line = lines_[i];
            int scanned = engine::ScanFileListLine(line, fields);
            if (scanned < 4) {
                Error(l, "the line does not scan completely: " + std::to_string(4 - scanned) +
                             " field(s) carried over from the line before");
            }
            for (size_t from = 0, n = 0; n < 4 && from <= line.size(); ++n) {
                size_t c = line.find(',', from);
                if ((c == std::string::npos ? line.size() : c) - from > kFieldLimit) {
                    Error(l, "field " + std::to_string(n + 1) + " is over 31 bytes");
                }
                if (c == std::string::npos) {
                    break;
                }
                from = c + 1;
            }
            Entry(l, fields, current);
        }
    }

    void Entry(int l, const engine::FileListFields& f, int& current) {
        const int d = text::AtoiRule(f.disk);
        const std::string name = text::ToUpperAscii(f.name);
        if (d < 1 || (!oneFolder_ && d > static_cast<int>(disks_.size()))) {
            Error(l, "disk " + std::to_string(d) + ": no such disk in the set");
            return;
        }
        const std::string& dir = oneFolder_ ? disks_[0] : disks_[d - 1];
        // The disk prompt looks for the entry's own file (a START archive's variants are
        // checked below, one per system).
        const bool archive = text::AtoiRule(f.kind) == 1;
        const std::string own = receipt::FileOnDisk({archive ? 1 : 2, name}, 0);
        if (d != 1 && d != current) {
            if (!(archive && text::SplitPath(name).fname == "START") && !Find(dir, own)) {
                Error(l, "the prompt for disk " + std::to_string(d) + " looks for " +
                             ForConsole(own) + ", which that disk does not hold");
            }
            current = d;
        }
        if (f.subFolder.empty() || f.subFolder.back() != '\\') {
            Warn(l, "the subfolder does not end with \\");
        }
        if (!engine::SubFolderStaysInside(f.subFolder)) {
            Error(l, "the subfolder " + ForConsole(f.subFolder) +
                         " leaves the installation folder: Renovo refuses the update");
        }
        if (!archive) {
            if (!Find(dir, name)) {
                Error(l, ForConsole(name) + " is not on disk " + std::to_string(d));
            }
            return;
        }
        text::PathParts parts = text::SplitPath(name);
        if (parts.fname == "START" && parts.ext.empty()) {
            StartVariants(l, dir, name, d);
            return;
        }
        Archive(l, dir, name + ".lzh", d);
    }

    void StartVariants(int l, const std::string& dir, const std::string& name, int d) {
        bool any = false;
        for (int n = 0; n <= 99; n = n == 15 ? 99 : n + 1) {
            std::string variant = name + std::to_string(n) + ".lzh";
            if (Find(dir, variant)) {
                any = true;
                Archive(l, dir, variant, d);
            }
        }
        if (!any) {
            Error(l, "no variant of " + ForConsole(name) + " (START0.lzh to START15.lzh, START99.lzh) on disk " +
                         std::to_string(d));
        }
    }

    void Archive(int l, const std::string& dir, const std::string& file, int d) {
        auto path = Find(dir, file);
        if (!path) {
            Error(l, ForConsole(file) + " is not on disk " + std::to_string(d));
            return;
        }
        if (std::string fault = ArchiveFault(*path); !fault.empty()) {
            Error(l, ForConsole(file) + ": " + fault);
        }
    }

    void Capacity(const std::string& dir) {
        uint64_t used = 0;
        Walk(dir, used);
        if (used > capacity_) {
            out_.Error(dir, 0, std::to_string(used) + " bytes on the disk, over its capacity of " +
                                   std::to_string(capacity_));
        }
    }
    void Walk(const std::string& dir, uint64_t& used) {
        for (const std::string& n : ListFolder(dir).value_or(std::vector<std::string>{})) {
            std::string p = dir + "/" + n;
            if (IsFolder(p)) {
                used += kCluster;
                Walk(p, used);
            } else {
                used += (FileSize(p).value_or(0) + kCluster - 1) / kCluster * kCluster;
            }
        }
    }

    const std::vector<std::string>& disks_;
    uint64_t capacity_;
    Diagnostics& out_;
    std::string info_;
    bool oneFolder_;
    std::vector<std::string> lines_;
};

}  // namespace

void CheckDisks(const std::vector<std::string>& disks, uint64_t capacity, Diagnostics& out) {
    if (!disks.empty()) {
        Checker(disks, capacity, out, false).Run();
    }
}

void CheckOneFolder(const std::string& dir, Diagnostics& out) {
    const std::vector<std::string> folder{dir};
    Checker(folder, 0, out, true).Run();
}

}  // namespace disk
