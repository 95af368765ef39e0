// libFuzzer target: one whole "info.txt" of fuzzed bytes through the manifest reader, checked
// against a plain model of the file's lines.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/manifest.h"

namespace {

void Require(bool ok) {
    if (!ok) {
        std::abort();
    }
}

// The lines as the runtime's text mode gives them: the file ends at Ctrl-Z, LF ends a line and
// a CR before it goes, a last line without LF still counts unless it is empty.
std::vector<std::string> ModelLines(std::string_view data) {
    data = data.substr(0, data.find('\x1a'));
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < data.size()) {
        size_t lf = data.find('\n', pos);
        if (lf == std::string_view::npos) {
            lines.emplace_back(data.substr(pos));
            break;
        }
        std::string line(data.substr(pos, lf - pos));
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
        pos = lf + 1;
    }
    return lines;
}

std::string UpToNul(const std::string& s) {
    return s.substr(0, s.find('\0'));
}

// Lines 1-24 and 27-41 are taken as they are; the notes (25, 26) keep their length.
void CheckFixedLines(const engine::UpdateContext& ctx, const std::vector<std::string>& lines) {
    auto line = [&](size_t n) { return n <= lines.size() ? UpToNul(lines[n - 1]) : ""; };
    for (int i = 0; i < engine::kKeyCount; ++i) {
        Require(ctx.uninstallKeys[i] == line(1 + i));
        Require(ctx.systemNames[i] == line(27 + i));
    }
    const std::string* middle[] = {&ctx.destFolder,   &ctx.requiredVersion, &ctx.masterAdjust,
                                   &ctx.settingsFile, &ctx.digitizerOption, &ctx.viewBitmap,
                                   &ctx.startBitmap,  &ctx.destBitmap,      &ctx.confirmBitmap};
    for (size_t i = 0; i < std::size(middle); ++i) {
        Require(*middle[i] == line(16 + i));
    }
    Require(ctx.startNotes.size() == line(25).size());
    Require(ctx.destNotes.size() == line(26).size());
}

bool FieldIsSound(const std::string& field) {
    return field.size() <= engine::kFieldLimit &&
           field.find_first_of(std::string(",\n\0", 3)) == std::string::npos;
}

void CheckFileList(const engine::UpdateContext& ctx, const std::vector<std::string>& lines) {
    const size_t listed = lines.size() > 41 ? lines.size() - 41 : 0;
    Require(ctx.entryCount ==
            static_cast<int>(listed < engine::kMaxEntries ? listed : engine::kMaxEntries));
    for (int i = 0; i < ctx.entryCount; ++i) {
        Require(FieldIsSound(ctx.entryName[i]) && FieldIsSound(ctx.entrySubFolder[i]));
    }
    for (int i = ctx.entryCount; i < engine::kMaxEntries; ++i) {
        Require(ctx.entrySubFolder[i].empty() && ctx.entryKind[i] == engine::EntryKind::kPlainFile);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    size_t offset = 0;
    text::LineReader reader;
    reader.Attach([&](char* out, size_t capacity) -> std::optional<size_t> {
        size_t n = std::min(capacity, bytes.size() - offset);
        std::memcpy(out, bytes.data() + offset, n);
        offset += n;
        return n;
    });
    engine::UpdateContext ctx;
    Require(engine::ReadManifestLines(reader, ctx) == 1);
    const std::vector<std::string> lines = ModelLines(bytes);
    CheckFixedLines(ctx, lines);
    CheckFileList(ctx, lines);
    return 0;
}
