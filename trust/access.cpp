#include "trust/access.h"

#include <sddl.h>

#include <cstdio>
#include <vector>

#include "framework/directory.h"
#include "framework/handles.h"
#include "text/cp932.h"
#include "trust/texts.h"

namespace trust {

namespace {

std::string SidText(PSID sid) {
    char* text = nullptr;
    if (sid == nullptr || !ConvertSidToStringSidA(sid, &text)) {
        return {};
    }
    const framework::LocalBlock owned(text);
    return text;
}

// The SID of the user this process runs as.
std::string ProcessUser() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) {
        return {};
    }
    const framework::KernelObject token(raw);
    DWORD size = 0;
    GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> data(size);
    if (size == 0 || !GetTokenInformation(token.Get(), TokenUser, data.data(), size, &size)) {
        return {};
    }
    return SidText(reinterpret_cast<const TOKEN_USER*>(data.data())->User.Sid);
}

bool UnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

uint32_t FileRights(ACCESS_MASK mask) {
    GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                            FILE_ALL_ACCESS};
    MapGenericMask(&mask, &mapping);
    return mask;
}

std::string Joined(const std::vector<std::string>& sids) {
    std::string out;
    for (const std::string& sid : sids) {
        out += (out.empty() ? "" : ", ") + sid;
    }
    return out;
}

// The environment's value, empty when unset.
std::string Environment(const char* name) {
    const DWORD size = GetEnvironmentVariableA(name, nullptr, 0);
    if (size == 0) {
        return {};
    }
    std::string value(size, '\0');
    value.resize(GetEnvironmentVariableA(name, value.data(), size));
    return value;
}

std::string RegistryText(HKEY root, const char* path, const char* name, REGSAM view) {
    HKEY raw = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ | view, &raw) != ERROR_SUCCESS) {
        return {};
    }
    const framework::RegistryKey key(raw);
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key.Get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return {};
    }
    std::string value(size + 1, '\0');
    if (RegQueryValueExA(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()),
                         &size) != ERROR_SUCCESS) {
        return {};
    }
    value.resize(strnlen(value.c_str(), size));
    if (type == REG_EXPAND_SZ) {
        const DWORD need = ExpandEnvironmentStringsA(value.c_str(), nullptr, 0);
        std::string expanded(need, '\0');
        expanded.resize(ExpandEnvironmentStringsA(value.c_str(), expanded.data(), need) - 1);
        return expanded;
    }
    return value;
}

// KEY_WOW64_64KEY and KEY_WOW64_32KEY: XP's headers lack them, XP's registry ignores them.
constexpr REGSAM kViews[] = {0x0100, 0x0200};
constexpr char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr char kProfileList[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

void AddProfiles(std::vector<std::string>& profiles) {
    profiles.push_back(RegistryText(HKEY_LOCAL_MACHINE, kProfileList, "ProfilesDirectory", 0));
    profiles.push_back(Environment("USERPROFILE"));
    profiles.push_back(Environment("PUBLIC"));
    profiles.push_back(Environment("ALLUSERSPROFILE"));
    HKEY raw = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProfileList, 0, KEY_READ, &raw) != ERROR_SUCCESS) {
        return;
    }
    const framework::RegistryKey list(raw);
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD length = sizeof name;
        if (RegEnumKeyExA(list.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        profiles.push_back(RegistryText(HKEY_LOCAL_MACHINE,
                                        (std::string(kProfileList) + "\\" + name).c_str(),
                                        "ProfileImagePath", 0));
    }
}

}  // namespace

bool ReadDescriptor(PSECURITY_DESCRIPTOR descriptor, Descriptor& out) {
    PSID owner = nullptr;
    BOOL defaulted = FALSE, present = FALSE;
    PACL acl = nullptr;
    if (!GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) ||
        !GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted)) {
        return false;
    }
    out = Descriptor{};
    out.owner = SidText(owner);
    out.hasDacl = present && acl != nullptr;
    for (DWORD i = 0; out.hasDacl && i < acl->AceCount; ++i) {
        void* raw = nullptr;
        if (!GetAce(acl, i, &raw)) {
            return false;
        }
        const auto* header = static_cast<const ACE_HEADER*>(raw);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_DENIED_ACE_TYPE) {
            continue;  // audit entries; object entries do not occur on files
        }
        const auto* ace = static_cast<const ACCESS_ALLOWED_ACE*>(raw);
        out.aces.push_back({header->AceType == ACCESS_ALLOWED_ACE_TYPE,
                            SidText(const_cast<DWORD*>(&ace->SidStart)), FileRights(ace->Mask),
                            (header->AceFlags & INHERIT_ONLY_ACE) != 0});
    }
    return true;
}

// Through a handle: Wine's GetFileSecurity answers a default, not what the file records.
bool ReadDescriptorOf(const std::string& path, Descriptor& out) {
    const framework::File object(CreateFileA(
        path.c_str(), READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    const SECURITY_INFORMATION wanted = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD size = 0;
    if (!object) {
        return false;
    }
    GetKernelObjectSecurity(object.Get(), wanted, nullptr, 0, &size);
    std::vector<BYTE> descriptor(size);
    return size != 0 &&
           GetKernelObjectSecurity(object.Get(), wanted, descriptor.data(), size, &size) &&
           ReadDescriptor(descriptor.data(), out);
}

bool IsAdministratorSid(const std::string& sid) {
    static const std::string wineUser = UnderWine() ? ProcessUser() : std::string();
    return IsBuiltInAdministrator(sid) || (!wineUser.empty() && sid == wineUser);
}

std::string WhyNotTheirs(const Descriptor& settings, const Descriptor& folder) {
    const std::vector<std::string> others = OthersWhoMayChange(settings, IsAdministratorSid);
    if (others.empty() || AllMayAddFiles(folder, others)) {
        return {};
    }
    return "the settings may be changed by " + Joined(others) +
           ", who may not write into the folder themselves";
}

SystemFolders SystemFoldersOfThisPc() {
    SystemFolders system;
    const UINT size = GetSystemWindowsDirectoryA(nullptr, 0);
    system.windows.resize(size);
    system.windows.resize(GetSystemWindowsDirectoryA(system.windows.data(), size));
    for (const char* name : {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432"}) {
        system.programFiles.push_back(Environment(name));
    }
    for (REGSAM view : kViews) {
        for (const char* value : {"ProgramFilesDir", "ProgramFilesDir (x86)"}) {
            system.programFiles.push_back(
                RegistryText(HKEY_LOCAL_MACHINE, kCurrentVersion, value, view));
        }
    }
    AddProfiles(system.profiles);
    return system;
}

std::string WhySettingsFolderRefused(const std::string& settingsFile, const std::string& folder,
                                     bool elevated) {
    const std::string full = framework::FullPath(folder);
    const Forbidden forbidden = ForbiddenFolder(full, SystemFoldersOfThisPc());
    if (forbidden != Forbidden::kNone) {
        return ForbiddenName(forbidden);
    }
    Descriptor settings;
    if (!elevated) {
        return {};
    }
    if (!ReadDescriptorOf(settingsFile, settings)) {
        return "the settings' access list cannot be read (error " +
               std::to_string(GetLastError()) + ")";
    }
    // A folder the run would make: judged by the nearest one that exists.
    std::string existing = full;
    Descriptor there;
    while (!ReadDescriptorOf(existing, there)) {
        const text::PathParts parts = text::SplitPath(existing);
        if (parts.fname.empty() && parts.ext.empty()) {
            return "no folder on its way can be read";
        }
        existing = parts.drive + (parts.dir.size() > 1 ? parts.dir.substr(0, parts.dir.size() - 1)
                                                       : parts.dir);
    }
    return WhyNotTheirs(settings, there);
}

std::string FolderRefusedMessage(const std::string& setting, const std::string& folder) {
    std::string out(std::snprintf(nullptr, 0, kFolderRefused, setting.c_str(), folder.c_str()) + 1,
                    '\0');
    std::snprintf(out.data(), out.size(), kFolderRefused, setting.c_str(), folder.c_str());
    out.pop_back();
    return out;
}

}  // namespace trust
