#include "engine/manifest.h"

#include "engine/program_folder.h"
#include "text/cp932.h"
#include "text/line_reader.h"

#ifdef _WIN32
#include "framework/wide.h"
#endif

namespace engine {

namespace {

constexpr int kTabLimit = 100;

// The 41 positional lines, in file order.
std::string* FixedLine(UpdateContext& ctx, int index) {
    if (index < kKeyCount) {
        return &ctx.uninstallKeys[index];
    }
    std::string* middle[] = {&ctx.destFolder,   &ctx.requiredVersion, &ctx.masterAdjust,
                             &ctx.settingsFile, &ctx.digitizerOption, &ctx.viewBitmap,
                             &ctx.startBitmap,  &ctx.destBitmap,      &ctx.confirmBitmap,
                             &ctx.startNotes,   &ctx.destNotes};
    constexpr int kMiddle = static_cast<int>(std::size(middle));
    if (index < kKeyCount + kMiddle) {
        return middle[index - kKeyCount];
    }
    return &ctx.systemNames[index - kKeyCount - kMiddle];
}
constexpr int kFixedLines = 41;

void ResetForReading(UpdateContext& ctx) {
    ctx = UpdateContext{};
    ctx.entryName[0] = "c:\\temp\\mib300.lzh";
    ctx.entryDisk[0] = 1;
}

// Like a C string: the text of a line ends at its first NUL byte.
std::string_view UpToNul(std::string_view line) {
    return line.substr(0, line.find('\0'));
}

void AddEntry(UpdateContext& ctx, const FileListFields& f) {
    int i = ctx.entryCount;
    ctx.entryDisk[i] = text::AtoiRule(f.disk);
    ctx.entryKind[i] = text::AtoiRule(f.kind) == 1 ? EntryKind::kArchive : EntryKind::kPlainFile;
    ctx.entryName[i] = text::ToUpperAscii(f.name);
    ctx.entrySubFolder[i] = f.subFolder;
    ++ctx.entryCount;
}

}  // namespace

int ScanFileListLine(std::string_view line, FileListFields& fields) {
    line = UpToNul(line);
    std::string* targets[] = {&fields.disk, &fields.kind, &fields.name, &fields.subFolder};
    size_t pos = 0;
    int scanned = 0;
    for (std::string* target : targets) {
        if (scanned > 0) {
            if (pos >= line.size() || line[pos] != ',') {
                break;
            }
            ++pos;
        }
        size_t end = line.find(',', pos);
        if (end == std::string_view::npos) {
            end = line.size();
        }
        if (end == pos) {
            break;
        }
        *target = text::TruncateBytes(line.substr(pos, end - pos), kFieldLimit);
        pos = end;
        ++scanned;
    }
    return scanned;
}

bool SubFolderStaysInside(std::string_view sub) {
    if (!sub.empty() && (sub[0] == '\\' || sub[0] == '/')) {
        return false;
    }
    if (text::FindChar(sub, ':') != std::string_view::npos) {
        return false;
    }
    for (size_t from = 0; from <= sub.size();) {
        size_t end = from;
        while (end < sub.size() && sub[end] != '\\' && sub[end] != '/') {
            end += text::CharLength(sub, end);
        }
        const std::string_view part = sub.substr(from, end - from);
        // Windows drops a part's trailing dots and blanks: "...", ". ." and ".. " are "..".
        if (part.size() > 1 && part.find_first_not_of(". ") == std::string_view::npos) {
            return false;
        }
        from = end + 1;
    }
    return true;
}

int FirstEscapingEntry(const UpdateContext& ctx) {
    for (int i = 0; i < ctx.entryCount; ++i) {
        if (!SubFolderStaysInside(ctx.entrySubFolder[i])) {
            return i;
        }
    }
    return -1;
}

void TabsToLineBreaks(std::string& s) {
    for (int n = 0; n < kTabLimit; ++n) {
        size_t tab = s.find('\t');
        if (tab == std::string::npos) {
            return;
        }
        s[tab] = '\r';
        if (tab + 1 < s.size()) {
            s[tab + 1] = '\n';
        }
    }
}

// On Windows by the path's UTF-16 form: fopen would read the cp932 path in the system's code page.
static std::FILE* OpenForReading(const std::string& path) {
#ifdef _WIN32
    return _wfopen(framework::Wide(path).c_str(), L"rb");
#else
    return std::fopen(path.c_str(), "rb");
#endif
}

bool ReadManifestFile(const std::string& path, UpdateContext& ctx) {
    ResetForReading(ctx);
    text::LineReader reader;
    if (!reader.Attach(OpenForReading(path))) {
        return false;
    }
    return ReadManifestLines(reader, ctx);
}

bool ReadManifestLines(text::LineReader& reader, UpdateContext& ctx) {
    ResetForReading(ctx);
    std::string line;
    text::LineReader::Status status = text::LineReader::Status::kLine;
    for (int i = 0; i < kFixedLines; ++i) {
        status = reader.ReadLine(line);
        if (status == text::LineReader::Status::kError) {
            ResetForReading(ctx);
            return false;
        }
        *FixedLine(ctx, i) = status == text::LineReader::Status::kLine ? UpToNul(line) : "";
    }
    FileListFields fields;
    while (ctx.entryCount < kMaxEntries) {
        status = reader.ReadLine(line);
        if (status == text::LineReader::Status::kEnd) {
            break;
        }
        if (status == text::LineReader::Status::kError) {
            ResetForReading(ctx);
            return false;
        }
        ScanFileListLine(line, fields);
        AddEntry(ctx, fields);
    }
    TabsToLineBreaks(ctx.startNotes);
    TabsToLineBreaks(ctx.destNotes);
    return true;
}

bool ReadManifest(UpdateContext& ctx) { return ReadManifestFile(ProgramFolder() + kManifestFile, ctx); }

}  // namespace engine
