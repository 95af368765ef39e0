#include "text/cp932.h"
#include "wizard/installed_folder.h"

namespace wizard {

bool FolderFromUninstallString(std::string& value) {
    size_t option = text::FindOnBoundary(value, " -f");
    if (option == std::string::npos) {
        return false;
    }
    std::string tail = value.substr(option + 3);
    size_t next = text::FindOnBoundary(tail, " -");
    if (next != std::string::npos) {
        tail.resize(next);
    }
    if (tail.size() > kTailLimit) {
        return false;
    }
    text::PathParts parts = text::SplitPath(tail);
    value = parts.drive + parts.dir;
    return true;
}

}  // namespace wizard
