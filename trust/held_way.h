// Folders held open from a check to the last change made in them: each opened without
// following a link and without delete sharing, so that no one can rename or remove it and put
// a junction or symbolic link in its place while it is held. And where Windows can say (Vista
// and later), whether an open file or folder truly lies where it was meant to.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "framework/handles.h"

namespace trust {

class HeldWay {
public:
    // Holds `root` and every folder below it on the way to `folder` (a full path at or below
    // `root`; both without trailing separator), outermost first; those held already stay.
    // false: one is a junction or symbolic link, is no folder, or cannot be opened; refused()
    // names it and why() says which. What was held before stays held.
    bool Hold(const std::string& root, const std::string& folder);
    // The same for the folders below `root` alone (the folder the user named is taken as named).
    bool HoldBelow(const std::string& root, const std::string& folder);
    // Lets go of one folder (before the run removes it itself).
    void Release(const std::string& folder);
    void ReleaseAll() { held_.clear(); }
    bool Holds(const std::string& folder) const;

    const std::string& refused() const { return refused_; }
    const std::string& why() const { return why_; }
    bool refusedAsLink() const { return link_; }

private:
    bool HoldOne(const std::string& folder);
    std::map<std::string, framework::File> held_;  // by upper-cased path
    std::string refused_, why_;
    bool link_ = false;
};

// Opens a folder the way HeldWay does; invalid when it is a link or no folder (`link` says
// which).
framework::File OpenHeld(const std::string& folder, bool& link);

enum class Where { kThere, kElsewhere, kUnknown };

// Whether the open `object` lies at `meant` (a full path; short names and case do not
// matter). kUnknown where Windows cannot say (XP lacks GetFinalPathNameByHandleW); `actual`
// gets the path Windows gives.
Where WhereIs(HANDLE object, const std::string& meant, std::string* actual = nullptr);
// The same for a path, opened without following a link at its last name.
Where WhereIs(const std::string& path, const std::string& meant, std::string* actual = nullptr);

}  // namespace trust
