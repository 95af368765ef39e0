#include "text/cp932.h"
#include "wizard/installed_folder.h"

namespace wizard {

int FolderFromUninstallString(std::string& value) {
    size_t option = text::FindOnBoundary(value, " -f");
    if (option == std::string::npos) {
        return 0;
    }
    std::string tail = value.substr(option + 3);
    size_t next = text::FindOnBoundary(tail, " -");
    if (next != std::string::npos) {
        tail.resize(next);
    }
    if (tail.size() > kTailLimit) {
        return 0;
    }
    text::PathParts parts = text::SplitPath(tail);
    value = parts.drive + parts.dir;
    return 1;
}

}  // namespace wizard
