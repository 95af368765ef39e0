#include "trust/access_rule.h"

#include <algorithm>

namespace trust {

namespace {

// Whether an entry for `group` applies to `who`. Every user is in Everyone; every signed-in
// one (any SID but Everyone's and the anonymous one) in Authenticated Users, and through it in
// Users.
bool Includes(const std::string& group, const std::string& who) {
    if (group == who || group == kEveryone) {
        return true;
    }
    const bool someone = who != kEveryone && who != "S-1-5-7";
    return someone && (group == kAuthenticatedUsers || group == kUsers);
}

// The rights entries give `who` in order: a right denied first is never granted later.
bool Granted(const Descriptor& d, const std::string& who, uint32_t wanted) {
    if (!d.hasDacl) {
        return true;
    }
    uint32_t granted = 0, denied = 0;
    for (const Ace& ace : d.aces) {
        if (ace.inheritOnly || !Includes(ace.sid, who)) {
            continue;
        }
        const uint32_t fresh = ace.mask & ~(granted | denied);
        (ace.allow ? granted : denied) |= fresh;
    }
    return (granted & wanted) == wanted;
}

}  // namespace

bool IsBuiltInAdministrator(const std::string& sid) {
    return sid == kAdministrators || sid == kSystem;
}

std::vector<std::string> OthersWhoMayChange(const Descriptor& file, IsAdministratorFn isAdmin) {
    std::vector<std::string> others;
    const auto add = [&](const std::string& sid) {
        if (!isAdmin(sid) && sid != kCreatorOwner &&
            std::find(others.begin(), others.end(), sid) == others.end()) {
            others.push_back(sid);
        }
    };
    if (!file.owner.empty()) {
        add(file.owner);
    }
    if (!file.hasDacl) {
        add(kEveryone);
        return others;
    }
    for (const Ace& ace : file.aces) {
        if (ace.allow && !ace.inheritOnly && (ace.mask & kChangeRights) != 0) {
            // A denial ahead of it for the same SID may take the rights back.
            uint32_t rights = 0;
            for (uint32_t bit = 1; bit != 0; bit <<= 1) {
                if ((ace.mask & kChangeRights & bit) && Granted(file, ace.sid, bit)) {
                    rights |= bit;
                }
            }
            if (rights != 0) {
                add(ace.sid);
            }
        }
    }
    return others;
}

bool AllMayAddFiles(const Descriptor& folder, const std::vector<std::string>& who) {
    return std::all_of(who.begin(), who.end(),
                       [&](const std::string& sid) { return Granted(folder, sid, kAddFile); });
}

}  // namespace trust
