#include <cstdio>
#include <string_view>

#include "disk/disk.h"
#include "disk/platform.h"
#include "engine/manifest.h"
#include "text/cp932.h"
#include "text/line_reader.h"

namespace disk {
namespace {

constexpr size_t kMaxKeys = 15;
constexpr size_t kMaxEntries = 100;
constexpr int kMaxBreaks = 100;  // Renovo turns at most this many TAB pairs into line breaks

std::string Trim(std::string_view s) {
    size_t b = s.find_first_not_of(" \t");
    size_t e = s.find_last_not_of(" \t");
    return b == std::string_view::npos ? "" : std::string(s.substr(b, e - b + 1));
}

std::vector<std::string> SplitCommas(const std::string& s) {
    std::vector<std::string> out;
    size_t from = 0;
    for (;;) {
        size_t c = s.find(',', from);
        out.push_back(Trim(std::string_view(s).substr(from, c == std::string::npos ? c : c - from)));
        if (c == std::string::npos) {
            return out;
        }
        from = c + 1;
    }
}

// A relative folder with no ".." part, whichever separator: what it receives stays inside
// the installation folder, as the update run requires.
bool InsideFolder(const std::string& sub) {
    return !sub.empty() && engine::SubFolderStaysInside(sub);
}

class Parser {
public:
    Parser(const std::string& path, Project& p, Diagnostics& out) : path_(path), p_(p), out_(out) {
        size_t slash = path.find_last_of("/\\");
        folder_ = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    }

    bool Run() {
        text::LineReader reader;
        if (!reader.Open(path_)) {
            out_.Error(path_, 0, "cannot be read");
            return false;
        }
        std::string line;
        while (reader.ReadLine(line) == text::LineReader::Status::kLine) {
            ++lineNo_;
            Line(line);
        }
        EndNotes();
        if (p_.uninstallKeys.empty()) {
            out_.Error(path_, 0, "no [product] uninstall key: Renovo needs one to find the product");
        }
        if (p_.version.empty()) {
            out_.Error(path_, 0, "no [product] version");
        }
        if (p_.program.empty()) {
            out_.Error(path_, 0, "no [disk] program: where Renovo.exe comes from");
        }
        return !out_.HasErrors();
    }

private:
    void Line(const std::string& raw) {
        std::string t = Trim(raw);
        if (notes_) {
            if (t.empty() || t[0] != '[') {
                notesLines_.push_back({raw, lineNo_});
                return;
            }
            EndNotes();
        }
        if (t.empty() || t[0] == ';' || t[0] == '#') {
            return;
        }
        if (t[0] == '[') {
            Section(Trim(t.substr(0, t.find(" ;"))));
            return;
        }
        size_t eq = t.find('=');
        if (eq == std::string::npos) {
            Error("expected \"key = value\"");
            return;
        }
        // A comment may follow a value after a blank and a semicolon.
        std::string value = t.substr(eq + 1);
        size_t comment = value.find(" ;");
        Value(Trim(t.substr(0, eq)), Trim(value.substr(0, comment)));
    }

    void Section(const std::string& t) {
        section_ = t;
        if (t == "[start notes]") {
            notes_ = &p_.startNotes;
        } else if (t == "[destination notes]") {
            notes_ = &p_.destNotes;
        } else if (t != "[product]" && t != "[pictures]" && t != "[disk]" && t != "[files]") {
            Error("unknown section " + t);
        }
    }

    // Notes keep their lines; empty lines at either end are dropped.
    void EndNotes() {
        if (!notes_) {
            return;
        }
        while (!notesLines_.empty() && Trim(notesLines_.back().first).empty()) {
            notesLines_.pop_back();
        }
        size_t first = 0;
        while (first < notesLines_.size() && Trim(notesLines_[first].first).empty()) {
            ++first;
        }
        if (notesLines_.size() - first > kMaxBreaks + 1) {
            out_.Error(path_, notesLines_[first].second,
                       "notes of more than 101 lines: Renovo breaks at most 100 of them");
        }
        std::string text;
        const int current = lineNo_;
        for (size_t i = first; i < notesLines_.size(); ++i) {
            lineNo_ = notesLines_[i].second;
            std::string line = notesLines_[i].first;
            if (line.find('\t') != std::string::npos) {
                Error("a TAB in notes would read as a line break");
            }
            text += (i > first ? "\t\t" : "") + Cp932(line);
        }
        lineNo_ = current;
        *notes_ = text;
        notes_ = nullptr;
        notesLines_.clear();
    }

    std::string Cp932(const std::string& utf8) {
        auto s = ToCp932(utf8);
        if (!s) {
            Error("\"" + utf8 + "\" has characters that Shift-JIS (cp932) cannot hold");
            return "";
        }
        return *s;
    }
    std::string PathOf(const std::string& utf8) {
        bool absolute = !utf8.empty() && (utf8[0] == '/' || utf8[0] == '\\' ||
                                          (utf8.size() > 1 && utf8[1] == ':'));
        auto s = ToPlatformPath(absolute ? utf8 : folder_ + utf8);
        if (!s) {
            Error("the path \"" + utf8 + "\" cannot be named on this system");
            return "";
        }
        return *s;
    }
    std::string Flag(const std::string& v) {
        if (v == "yes" || v == "1") {
            return "1";
        }
        if (v != "no" && v != "0") {
            Error("expected yes or no");
        }
        return "0";
    }
    std::string SafeName(const std::string& utf8) {
        std::string n = Cp932(utf8);
        if (std::string why = UnsafeName(n); !why.empty() && !n.empty()) {
            Error("\"" + utf8 + "\": " + why);
        }
        return n;
    }
    std::string Field(const std::string& utf8, const char* what) {
        std::string s = Cp932(utf8);
        if (s.size() > kFieldLimit) {
            Error(std::string(what) + " \"" + utf8 + "\" is " + std::to_string(s.size()) +
                  " bytes in Shift-JIS; a file-list field holds at most 31");
        }
        return s;
    }

    void Value(const std::string& key, const std::string& v) {
        if (section_ == "[product]") {
            Product(key, v);
        } else if (section_ == "[pictures]") {
            Pictures(key, v);
        } else if (section_ == "[disk]") {
            Disk(key, v);
        } else if (section_ == "[files]") {
            Files(key, v);
        } else {
            Error("\"" + key + "\" outside a section");
        }
    }

    void Product(const std::string& key, const std::string& v) {
        if (key == "uninstall" || key == "system") {
            auto& list = key == "uninstall" ? p_.uninstallKeys : p_.systemNames;
            if (list.size() == kMaxKeys) {
                Error("more than 15 " + key + " lines");
            } else if (v.empty()) {
                Error("an empty " + key + " line would end the list");
            } else {
                list.push_back(Cp932(v));
            }
        } else if (key == "folder") {
            p_.destFolder = Cp932(v);
        } else if (key == "version") {
            if (v.empty() || v.find_first_not_of("0123456789") != std::string::npos) {
                Error("the version must be a decimal number");
            }
            p_.version = v;
        } else if (key == "master_adjust") {
            p_.masterAdjust = Flag(v);
        } else if (key == "digitizer") {
            p_.digitizerOption = Flag(v);
        } else if (key == "settings") {
            p_.settingsFile = v == "auto" ? "NULL" : SafeName(v);
        } else {
            Error("unknown key \"" + key + "\"");
        }
    }

    void Pictures(const std::string& key, const std::string& v) {
        const char* keys[] = {"view", "start", "destination", "confirm"};
        for (int i = 0; i < 4; ++i) {
            if (key == keys[i]) {
                Picture& pic = p_.pictures[i];
                pic.line = lineNo_;
                pic.source = PathOf(v);
                size_t slash = v.find_last_of("/\\");
                pic.name = SafeName(slash == std::string::npos ? v : v.substr(slash + 1));
                return;
            }
        }
        Error("unknown picture \"" + key + "\"");
    }

    void Disk(const std::string& key, const std::string& v) {
        if (key == "capacity") {
            p_.capacity = v == "1.44M" ? kFloppyCapacity : v == "720K" ? 730112 : 0;
            if (p_.capacity == 0 && !v.empty() && v.find_first_not_of("0123456789") == std::string::npos) {
                p_.capacity = std::stoull(v);
            }
            if (p_.capacity == 0) {
                Error("capacity: a number of bytes, 1.44M or 720K");
            }
        } else if (key == "program") {
            p_.program = PathOf(v);
            p_.programLine = lineNo_;
        } else {
            Error("unknown key \"" + key + "\"");
        }
    }

    void Files(const std::string& key, const std::string& v) {
        std::vector<std::string> f = SplitCommas(v);
        if (key == "new_disk") {
            newDisk_ = Flag(v) == "1";
            return;
        }
        if (key == "variant") {
            Variant(f);
            return;
        }
        if (key != "archive" && key != "file") {
            Error("unknown key \"" + key + "\" (archive, variant or file)");
            return;
        }
        ProjectEntry e;
        e.line = lineNo_;
        e.archive = key == "archive";
        e.newDisk = newDisk_;
        newDisk_ = false;
        bool start = e.archive && f.size() >= 1 && text::EqualsIgnoreCase(f[0], "START");
        if (f.size() != (start ? 2u : 3u)) {
            Error(start ? "expected \"archive = START, SUBFOLDER\", then its variant lines"
                        : "expected \"" + key + " = NAME, SUBFOLDER, SOURCE\"");
            return;
        }
        if (p_.entries.size() == kMaxEntries) {
            Error("more than 100 entries: Renovo reads at most 100");
            return;
        }
        e.name = Field(f[0], "the name");
        std::string why = UnsafeName(e.name + (e.archive ? ".lzh" : ""));
        if (!e.name.empty() && !why.empty()) {
            Error("\"" + f[0] + "\": " + why);
        }
        std::string sub = f[1].empty() || f[1].back() == '\\' ? f[1] : f[1] + "\\";
        if (sub.empty()) {
            Error("an empty subfolder cannot be written in the file list (use .\\)");
        }
        e.subFolder = Field(sub, "the subfolder");
        if (!InsideFolder(e.subFolder)) {
            Error("the subfolder must stay inside the installation folder");
        }
        if (!start) {
            e.sources.push_back({"", PathOf(f[2])});
        }
        p_.entries.push_back(e);
    }

    void Variant(const std::vector<std::string>& f) {
        if (p_.entries.empty() || !p_.entries.back().archive ||
            !text::EqualsIgnoreCase(p_.entries.back().name, "START")) {
            Error("a variant belongs after \"archive = START, SUBFOLDER\"");
            return;
        }
        if (f.size() != 2 || f[0].empty() || f[0].find_first_not_of("0123456789") != std::string::npos) {
            Error("expected \"variant = SYSTEM NUMBER, SOURCE\"");
            return;
        }
        p_.entries.back().sources.push_back({f[0], PathOf(f[1])});
    }

    void Error(const std::string& text) { out_.Error(path_, lineNo_, text); }

    std::string path_;
    std::string folder_;
    Project& p_;
    Diagnostics& out_;
    int lineNo_ = 0;
    bool newDisk_ = false;
    std::string section_;
    std::string* notes_ = nullptr;
    std::vector<std::pair<std::string, int>> notesLines_;
};

}  // namespace

bool Diagnostics::HasErrors() const {
    for (const Diagnostic& d : items) {
        if (!d.warning) {
            return true;
        }
    }
    return false;
}

std::string Diagnostics::Format() const {
    std::string s;
    for (const Diagnostic& d : items) {
        s += d.file + (d.line ? ":" + std::to_string(d.line) : "") + ": " +
             (d.warning ? "warning: " : "") + d.text + "\n";
    }
    return s;
}

bool ParseProject(const std::string& path, Project& project, Diagnostics& out) {
    project.path = path;
    return Parser(path, project, out).Run();
}

std::string UnsafeName(const std::string& s) {
    if (s.empty()) {
        return "an empty name";
    }
    for (size_t i = 0; i < s.size(); i += text::CharLength(s, i)) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (text::CharLength(s, i) == 1 &&
            (c < 0x20 || std::string_view("\\/:*?\"<>|,").find(static_cast<char>(c)) !=
                             std::string_view::npos)) {
            return "a file name may not hold control characters or any of \\ / : * ? \" < > | ,";
        }
    }
    if (s.back() == '.' || s.back() == ' ' || s[0] == ' ') {
        return "a file name may not begin with a blank or end with a dot or a blank";
    }
    std::string stem = text::ToUpperAscii(s.substr(0, s.find('.')));
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "COM1", "COM2", "COM3", "COM4", "LPT1",
                               "LPT2", "LPT3"}) {
        if (stem == device) {
            return "a device name, not a file name";
        }
    }
    return "";
}

}  // namespace disk
