#include "trust/system_folders.h"

#include "text/cp932.h"

namespace trust {

namespace {

// A trail byte 0x5C is no separator.
bool EndsInSeparator(const std::string& s) {
    size_t last = std::string::npos;
    for (size_t i = 0; i < s.size(); i += text::CharLength(s, i)) {
        last = i;
    }
    return last + 1 == s.size() && s[last] == '\\';
}

// Upper-cased, '/' as '\', without a trailing separator (a root keeps its own).
std::string Normal(std::string_view path) {
    std::string out = text::ToUpperAscii(path);
    for (size_t i = 0; i < out.size(); i += text::CharLength(out, i)) {
        if (out[i] == '/') {
            out[i] = '\\';
        }
    }
    while (out.size() > 3 && EndsInSeparator(out)) {
        out.pop_back();
    }
    return out;
}

bool IsDriveRoot(const std::string& normal) {
    const bool onDrive = normal.size() >= 3 && normal[1] == ':' && normal[2] == '\\';
    return !onDrive || normal.size() == 3;
}

bool Same(const std::string& normal, std::string_view other) {
    return !other.empty() && normal == Normal(other);
}

bool AtOrBelow(const std::string& normal, std::string_view root) {
    const std::string r = Normal(root);
    return !r.empty() && normal.compare(0, r.size(), r) == 0 &&
           (normal.size() == r.size() || normal[r.size()] == '\\');
}

}  // namespace

Forbidden ForbiddenFolder(std::string_view folder, const SystemFolders& system) {
    const std::string normal = Normal(folder);
    if (IsDriveRoot(normal)) {
        return Forbidden::kDriveRoot;
    }
    if (AtOrBelow(normal, system.windows)) {
        return Forbidden::kWindows;
    }
    for (const std::string& programFiles : system.programFiles) {
        if (Same(normal, programFiles)) {
            return Forbidden::kProgramFiles;
        }
    }
    for (const std::string& profile : system.profiles) {
        if (Same(normal, profile)) {
            return Forbidden::kProfile;
        }
    }
    return Forbidden::kNone;
}

const char* ForbiddenName(Forbidden forbidden) {
    switch (forbidden) {
        case Forbidden::kWindows:
            return "the Windows folder or below it";
        case Forbidden::kDriveRoot:
            return "the root of a drive, or no folder on a drive";
        case Forbidden::kProgramFiles:
            return "a Program Files folder itself";
        case Forbidden::kProfile:
            return "a profile folder";
        case Forbidden::kNone:
            break;
    }
    return "";
}

}  // namespace trust
