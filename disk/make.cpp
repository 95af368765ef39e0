#include <algorithm>
#include <cstdio>
#include <memory>

#include "disk/disk.h"
#include "disk/platform.h"
#include "disk/signature.h"
#include "display/dib_header.h"
#include "engine/manifest.h"
#include "lzh/encode.h"
#include "lzh/encode_file.h"
#include "receipt/identity.h"
#include "text/cp932.h"

namespace disk {
namespace {

constexpr const char* kProgramName = "RENOVO.EXE";
constexpr const char* kManifestName = "info.txt";

uint64_t Clusters(uint64_t bytes) { return (bytes + kCluster - 1) / kCluster * kCluster; }

bool CopyFile(const std::string& from, const std::string& to) {
    lzh::FileMemberSource in(from);
    lzh::FileArchiveSink out(to);
    if (!in.Ok() || !out.Ok()) {
        return false;
    }
    char buf[65536];
    for (;;) {
        size_t n = in.Read(buf, sizeof buf);
        if (in.Failed()) {
            return false;
        }
        if (n == 0) {
            return out.Close();
        }
        if (!out.Write(buf, n)) {
            return false;
        }
    }
}

bool WriteText(const std::string& path, const std::string& text) {
    lzh::FileArchiveSink out(path);
    return out.Ok() && out.Write(text.data(), text.size()) && out.Close();
}

bool Drawable(const std::string& path) {
    lzh::FileMemberSource in(path);
    uint8_t h[display::kFileHeaderSize + display::kInfoHeaderSize];
    auto size = FileSize(path);
    if (!in.Ok() || !size || in.Read(h, sizeof h) != sizeof h) {
        return false;
    }
    return display::ValidateDibHeader(std::span<const uint8_t, display::kFileHeaderSize>(h, 14),
                                      std::span<const uint8_t, display::kInfoHeaderSize>(h + 14, 40),
                                      *size)
        .has_value();
}

// Packs a file, or a folder's files (flat, in name order), with the default method and level.
bool Pack(const std::string& source, const std::string& archive) {
    std::vector<std::pair<std::string, std::string>> files;  // stored name, path
    if (IsFolder(source)) {
        auto names = ListFolder(source);
        if (!names) {
            return false;
        }
        std::sort(names->begin(), names->end());
        for (const std::string& n : *names) {
            if (!IsFolder(source + "/" + n)) {
                files.push_back({n, source + "/" + n});
            }
        }
    } else {
        size_t slash = source.find_last_of("/\\");
        files.push_back({slash == std::string::npos ? source : source.substr(slash + 1), source});
    }
    lzh::FileArchiveSink sink(archive);
    lzh::Writer writer(sink, {});
    for (const auto& [name, path] : files) {
        lzh::MemberEntry e;
        e.path = StoredName(name);
        lzh::FileMemberSource in(path);
        if (!in.Ok() || !FileTimes(path, e.unixTime, e.dosTime) ||
            writer.AddFile(e, in) != lzh::Status::kOk) {
            return false;
        }
    }
    return writer.Finish() == lzh::Status::kOk && sink.Close();
}

struct Placed {
    std::string name;  // on the disk (cp932)
    std::string file;  // the file to put there
    int line = 0;      // the project line of its entry; 0 for disk 1's own files
};

struct Unit {
    bool newDisk = false;
    std::vector<Placed> files;
    uint64_t bytes = 0;
};

// Which file goes on which disk, and the disk of each entry.
struct Layout {
    std::vector<std::vector<Placed>> content;
    std::vector<int> diskOf;
    std::string work;  // the packed archives, removed once they are written
};

bool WriteFile(const Placed& f, const std::string& dir, const std::string& work, Diagnostics& out) {
    if (!CopyFile(f.file, dir + "/" + f.name)) {
        out.Error(dir + "/" + ForConsole(f.name), 0, "cannot be written");
        return false;
    }
    if (f.file.rfind(work, 0) == 0) {
        std::remove(f.file.c_str());
    }
    return true;
}

// One folder holds every disk's files only when no two disks hold the same name (as FAT
// compares names); disk 1's manifest is one of them.
bool NamesCollide(const Layout& layout, const std::string& project, Diagnostics& out) {
    std::vector<std::pair<std::string, size_t>> seen{{text::ToUpperAscii(kManifestName), 0}};
    bool collide = false;
    for (size_t d = 0; d < layout.content.size(); ++d) {
        for (const Placed& f : layout.content[d]) {
            const std::string upper = text::ToUpperAscii(f.name);
            auto same = std::find_if(seen.begin(), seen.end(), [&](const auto& s) {
                return s.first == upper && s.second != d;
            });
            if (same != seen.end()) {
                out.Error(project, f.line,
                          ForConsole(f.name) + " on disk " + std::to_string(d + 1) +
                              " has the name of a file on disk " + std::to_string(same->second + 1) +
                              ": one folder cannot hold both");
                collide = true;
            }
            seen.push_back({upper, d});
        }
    }
    return collide;
}

}  // namespace

std::string ManifestText(const Project& p, const std::vector<int>& diskOf) {
    std::vector<std::string> lines;
    for (size_t i = 0; i < 15; ++i) {
        lines.push_back(i < p.uninstallKeys.size() ? p.uninstallKeys[i] : "");
    }
    lines.insert(lines.end(), {p.destFolder, p.version, p.masterAdjust, p.settingsFile,
                               p.digitizerOption});
    for (const Picture& pic : p.pictures) {
        lines.push_back(pic.source.empty() ? "" : pic.name);
    }
    lines.push_back(p.startNotes);
    lines.push_back(p.destNotes);
    for (size_t i = 0; i < 15; ++i) {
        lines.push_back(i < p.systemNames.size() ? p.systemNames[i] : "");
    }
    for (size_t i = 0; i < p.entries.size(); ++i) {
        const ProjectEntry& e = p.entries[i];
        lines.push_back(std::to_string(diskOf[i]) + (e.archive ? ",1," : ",2,") + e.name + "," +
                        e.subFolder);
    }
    std::string text;
    for (const std::string& l : lines) {
        text += l + "\r\n";
    }
    return text;
}

namespace {

bool LayOut(const Project& p, const std::string& outDir, Diagnostics& out, Layout& layout) {
    const std::string& project = p.path;
    std::vector<Placed> first;  // disk 1's own files
    if (!FileSize(p.program)) {
        out.Error(project, p.programLine, "Renovo.exe is not at " + p.program);
    }
    first.push_back({kProgramName, p.program, 0});
    for (const Picture& pic : p.pictures) {
        if (pic.source.empty()) {
            continue;
        }
        if (!Drawable(pic.source)) {
            out.Error(project, pic.line, pic.source + ": not a Windows bitmap that Renovo can draw");
        }
        first.push_back({pic.name, pic.source, pic.line});
    }
    const std::string work = layout.work = outDir + "/.packed";
    if (out.HasErrors() || !MakeFolder(outDir) || !MakeFolder(work)) {
        if (!out.HasErrors()) {
            out.Error(outDir, 0, "cannot create the folder");
        }
        return false;
    }
    if (!p.signing.pfx.empty()) {
        // Signed before the layout, so that disk 1 has room for the signature too.
        first[0].file = work + "/" + kProgramName;
        std::string why = SignProgram(p.signing, p.program, first[0].file);
        if (!why.empty()) {
            out.Error(project, p.programLine, "cannot sign Renovo.exe: " + why);
            return false;
        }
    }
    std::vector<Unit> units;
    for (const ProjectEntry& e : p.entries) {
        Unit u;
        u.newDisk = e.newDisk;
        if (e.sources.empty()) {
            out.Error(project, e.line, "a START archive without any variant line");
        }
        for (const Source& s : e.sources) {
            std::string onDisk = e.name + s.variant + (e.archive ? ".lzh" : "");
            // Numbered: two entries may pack archives of one name for two disks.
            std::string file =
                e.archive ? work + "/" + std::to_string(units.size()) + "." + onDisk : s.path;
            if (e.archive && !Pack(s.path, file)) {
                out.Error(project, e.line, "cannot pack " + s.path);
            }
            auto size = FileSize(file);
            if (!size) {
                out.Error(project, e.line, "cannot read " + s.path);
                continue;
            }
            u.files.push_back({onDisk, file, e.line});
            u.bytes += Clusters(*size);
        }
        if (u.bytes > p.capacity) {
            out.Error(project, e.line, "the entry takes " + std::to_string(u.bytes) +
                                           " bytes, more than a disk holds (" +
                                           std::to_string(p.capacity) + ")");
        }
        units.push_back(u);
    }
    if (out.HasErrors()) {
        return false;
    }
    // Disk 1 keeps room for the manifest as it would be with two-digit disk numbers.
    uint64_t used = Clusters(ManifestText(p, std::vector<int>(p.entries.size(), 99)).size());
    for (const auto& f : first) {
        used += Clusters(FileSize(f.file).value_or(0));
    }
    if (used > p.capacity) {
        out.Error(project, p.programLine, "Renovo.exe, info.txt and the pictures do not fit on disk 1");
        return false;
    }
    std::vector<int>& diskOf = layout.diskOf;
    std::vector<std::vector<Placed>>& content = layout.content;
    content = {first};
    for (const Unit& u : units) {
        if (u.newDisk || used + u.bytes > p.capacity) {
            content.emplace_back();
            used = 0;
        }
        used += u.bytes;
        content.back().insert(content.back().end(), u.files.begin(), u.files.end());
        diskOf.push_back(static_cast<int>(content.size()));
    }
    return true;
}

}  // namespace

bool MakeDisks(const Project& p, const std::string& outDir, Diagnostics& out,
               std::vector<std::string>& disks) {
    Layout layout;
    if (!LayOut(p, outDir, out, layout)) {
        return false;
    }
    for (size_t d = 0; d < layout.content.size(); ++d) {
        std::string dir = outDir + "/disk" + std::to_string(d + 1);
        if (!MakeFolder(dir)) {
            out.Error(dir, 0, "cannot create the folder");
            return false;
        }
        for (const Placed& f : layout.content[d]) {
            if (!WriteFile(f, dir, layout.work, out)) {
                return false;
            }
        }
        disks.push_back(dir);
    }
    RemoveFolder(layout.work);
    if (!WriteText(disks[0] + "/" + kManifestName, ManifestText(p, layout.diskOf))) {
        out.Error(disks[0] + "/" + kManifestName, 0, "cannot be written");
        return false;
    }
    CheckDisks(disks, p.capacity, out);
    return !out.HasErrors();
}

bool MakeOneFolder(const Project& p, const std::string& dir, Diagnostics& out) {
    Layout layout;
    if (!LayOut(p, dir, out, layout) || NamesCollide(layout, p.path, out)) {
        return false;
    }
    for (const std::vector<Placed>& disk : layout.content) {
        for (const Placed& f : disk) {
            if (!WriteFile(f, dir, layout.work, out)) {
                return false;
            }
        }
    }
    RemoveFolder(layout.work);
    if (!WriteText(dir + "/" + kManifestName, ManifestText(p, layout.diskOf))) {
        out.Error(dir + "/" + kManifestName, 0, "cannot be written");
        return false;
    }
    CheckOneFolder(dir, out);
    return !out.HasErrors();
}

std::optional<std::string> DetectionRuleFor(const std::string& disk1) {
    const std::string manifest = disk1 + "/" + kManifestName;
    lzh::FileMemberSource in(manifest);
    std::string bytes;
    char buf[65536];
    for (size_t n; in.Ok() && (n = in.Read(buf, sizeof buf)) > 0;) {
        bytes.append(buf, n);
    }
    engine::UpdateContext ctx;
    if (!in.Ok() || in.Failed() || engine::ReadManifestFile(manifest, ctx) != 1) {
        return std::nullopt;
    }
    return receipt::DetectionRule(receipt::ProductKeyOf(ctx.uninstallKeys),
                                  receipt::UpdateIdOf(bytes));
}

}  // namespace disk
