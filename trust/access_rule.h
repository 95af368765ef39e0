// Who could have written a file, and whether they could write into a folder themselves: an
// elevated run takes a folder from a product's settings only where whoever could change the
// settings could write anyway. Over a plain model of a security descriptor; pure.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace trust {

// Well-known SIDs, as text.
inline constexpr char kEveryone[] = "S-1-1-0";
inline constexpr char kAuthenticatedUsers[] = "S-1-5-11";
inline constexpr char kUsers[] = "S-1-5-32-545";
inline constexpr char kAdministrators[] = "S-1-5-32-544";
inline constexpr char kSystem[] = "S-1-5-18";
inline constexpr char kCreatorOwner[] = "S-1-3-0";

// Access bits as on files (generic rights already mapped to file rights).
inline constexpr uint32_t kAddFile = 0x0002;  // FILE_ADD_FILE / FILE_WRITE_DATA
inline constexpr uint32_t kChangeRights = 0x0002 | 0x0004 | 0x0010 | 0x0100 | 0x0040 |
                                          0x00010000 | 0x00040000 | 0x00080000;
// (write data, append, write EA, write attributes, delete child, DELETE, WRITE_DAC,
// WRITE_OWNER)

struct Ace {
    bool allow = true;
    std::string sid;
    uint32_t mask = 0;
    bool inheritOnly = false;  // applies only to what is made inside
};

struct Descriptor {
    std::string owner;         // empty: none recorded
    bool hasDacl = false;      // false: everyone may do anything
    std::vector<Ace> aces;     // in order
};

// Administrators and SYSTEM, or a SID the caller counts with them (Wine's one user).
using IsAdministratorFn = bool (*)(const std::string& sid);
bool IsBuiltInAdministrator(const std::string& sid);

// The SIDs other than administrators that may change what `file` guards: its owner (who may
// always change the list) and every SID granted a change right ahead of any denial. Everyone
// when there is no access list.
std::vector<std::string> OthersWhoMayChange(const Descriptor& file, IsAdministratorFn isAdmin);

// Whether every one of `who` may add files to what `folder` guards, by an entry naming it or a
// group every such user belongs to (Everyone; Authenticated Users and Users for any but
// Everyone), no denial of a group it belongs to coming first.
bool AllMayAddFiles(const Descriptor& folder, const std::vector<std::string>& who);

}  // namespace trust
