#include "backup/set_security.h"

#include <sddl.h>

#include <cstdio>
#include <vector>

#include "framework/handles.h"
#include "framework/wide.h"

namespace backup {

namespace {

// -1: ask the token; 0 or 1: a test's answer.
int g_elevatedForTesting = -1;

// Owner Administrators (BA); Administrators and SYSTEM (SY) full control, Users (BU) read and
// traverse; each entry inherited by files (OI) and folders (CI); P: nothing inherited.
constexpr wchar_t kProtected[] = L"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)";

// Anything beyond reading: data, attributes, deletion, the access list and the owner.
constexpr DWORD kChangeRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA |
                                FILE_WRITE_ATTRIBUTES | FILE_DELETE_CHILD | DELETE | WRITE_DAC |
                                WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

std::vector<BYTE> TokenInformation(TOKEN_INFORMATION_CLASS kind) {
    framework::KernelObject token;
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) {
        return {};
    }
    token.Reset(raw);
    DWORD size = 0;
    GetTokenInformation(token.Get(), kind, nullptr, 0, &size);
    std::vector<BYTE> data(size);
    if (size == 0 || !GetTokenInformation(token.Get(), kind, data.data(), size, &size)) {
        return {};
    }
    return data;
}

struct WellKnown {
    BYTE administrators[SECURITY_MAX_SID_SIZE] = {};
    BYTE system[SECURITY_MAX_SID_SIZE] = {};
    WellKnown() {
        SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
        InitializeSid(administrators, &nt, 2);
        *GetSidSubAuthority(administrators, 0) = SECURITY_BUILTIN_DOMAIN_RID;
        *GetSidSubAuthority(administrators, 1) = DOMAIN_ALIAS_RID_ADMINS;
        InitializeSid(system, &nt, 1);
        *GetSidSubAuthority(system, 0) = SECURITY_LOCAL_SYSTEM_RID;
    }
};

const WellKnown& Sids() {
    static const WellKnown sids;
    return sids;
}

bool UnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Under Wine every file reads back as owned by the user its programs run as.
bool IsWineUser(PSID sid) {
    static const std::vector<BYTE> user =
        UnderWine() ? TokenInformation(TokenUser) : std::vector<BYTE>{};
    return !user.empty() &&
           EqualSid(sid, reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid);
}

bool IsAdministrator(PSID sid) {
    return EqualSid(sid, const_cast<BYTE*>(Sids().administrators)) ||
           EqualSid(sid, const_cast<BYTE*>(Sids().system)) || IsWineUser(sid);
}

// For the log only.
std::string SidText(PSID sid) {
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text)) {
        return "?";
    }
    const framework::LocalBlock owner(text);
    return framework::NarrowShown(text);
}

std::string Hex(DWORD value) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%lX", static_cast<unsigned long>(value));
    return hex;
}

}  // namespace

bool RunIsElevated() {
    if (g_elevatedForTesting >= 0) {
        return g_elevatedForTesting == 1;
    }
    // CheckTokenMembership would say the same on Windows; Wine's answers no for its
    // administrator, whose token holds the group enabled.
    const std::vector<BYTE> data = TokenInformation(TokenGroups);
    if (data.empty()) {
        return false;
    }
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(data.data());
    for (DWORD i = 0; i < groups->GroupCount; ++i) {
        const SID_AND_ATTRIBUTES& group = groups->Groups[i];
        if (EqualSid(group.Sid, const_cast<BYTE*>(Sids().administrators)) &&
            (group.Attributes & SE_GROUP_ENABLED) &&
            !(group.Attributes & SE_GROUP_USE_FOR_DENY_ONLY)) {
            return true;
        }
    }
    return false;
}

ScopedElevationForTesting::ScopedElevationForTesting(bool elevated)
    : previous_(g_elevatedForTesting) {
    g_elevatedForTesting = elevated ? 1 : 0;
}

ScopedElevationForTesting::~ScopedElevationForTesting() {
    g_elevatedForTesting = previous_;
}

ProtectedDescriptor::ProtectedDescriptor() {
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kProtected, SDDL_REVISION_1,
                                                              &descriptor_, nullptr)) {
        descriptor_ = nullptr;
    }
    attributes_.nLength = sizeof attributes_;
    attributes_.lpSecurityDescriptor = descriptor_;
    attributes_.bInheritHandle = FALSE;
}

ProtectedDescriptor::~ProtectedDescriptor() {
    if (descriptor_ != nullptr) {
        LocalFree(descriptor_);
    }
}

SECURITY_ATTRIBUTES* ProtectedDescriptor::ForThisRun() {
    return descriptor_ != nullptr && RunIsElevated() ? &attributes_ : nullptr;
}

bool Protect(const std::string& folder) {
    ProtectedDescriptor descriptor;
    if (descriptor.Get() == nullptr) {
        return false;
    }
    // SetFileSecurity changes this folder alone: what is already inside keeps its own list,
    // so that a set some user could write never passes for one only administrators could.
    return SetFileSecurityW(framework::Wide(folder).c_str(),
                            OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                            descriptor.Get()) != 0;
}

std::string WhyOthersMayChange(PSECURITY_DESCRIPTOR descriptor) {
    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    if (!GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) || owner == nullptr) {
        return "it has no owner";
    }
    if (!IsAdministrator(owner)) {
        return "its owner " + SidText(owner) + " is not Administrators or SYSTEM";
    }
    BOOL present = FALSE;
    PACL acl = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted) || !present ||
        acl == nullptr) {
        return "it has no access list: everyone may change it";
    }
    for (DWORD i = 0; i < acl->AceCount; ++i) {
        void* raw = nullptr;
        if (!GetAce(acl, i, &raw)) {
            return "its access list cannot be read";
        }
        const auto* header = static_cast<const ACE_HEADER*>(raw);
        if (header->AceType == ACCESS_DENIED_ACE_TYPE || header->AceType == SYSTEM_AUDIT_ACE_TYPE ||
            (header->AceFlags & INHERIT_ONLY_ACE)) {
            continue;  // takes rights away, or applies only to what is made inside
        }
        const DWORD mask = reinterpret_cast<const ACCESS_MASK*>(header + 1)[0];
        if ((mask & kChangeRights) == 0) {
            continue;
        }
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) {
            return "an entry of type " + std::to_string(header->AceType) + " grants " + Hex(mask);
        }
        PSID who = const_cast<DWORD*>(&static_cast<const ACCESS_ALLOWED_ACE*>(raw)->SidStart);
        if (!IsAdministrator(who)) {
            return SidText(who) + " may change it (" + Hex(mask) + ")";
        }
    }
    return {};
}

std::string WhyOthersMayChangeOpen(HANDLE object) {
    DWORD size = 0;
    const SECURITY_INFORMATION wanted = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    GetKernelObjectSecurity(object, wanted, nullptr, 0, &size);
    std::vector<BYTE> descriptor(size);
    if (size == 0 || !GetKernelObjectSecurity(object, wanted, descriptor.data(), size, &size)) {
        return "its security cannot be read (error " + std::to_string(GetLastError()) + ")";
    }
    return WhyOthersMayChange(descriptor.data());
}

}  // namespace backup
