#include "trust/access.h"

#include <sddl.h>

#include <cstdio>
#include <vector>

#include "framework/directory.h"
#include "framework/files.h"
#include "framework/handles.h"
#include "framework/wide.h"
#include "text/cp932.h"
#include "trust/texts.h"

namespace trust {

namespace {

std::string SidText(PSID sid) {
    wchar_t* text = nullptr;
    if (sid == nullptr || !ConvertSidToStringSidW(sid, &text)) {
        return {};
    }
    const framework::LocalBlock owned(text);
    return framework::NarrowShown(text);  // digits and letters only
}

// A folder of the system, to compare with: one whose name cp932 cannot carry shows '?', which
// no path of ours can hold, so no folder we are asked about can match it by mistake.
std::string SystemFolder(const std::wstring& path) {
    return framework::NarrowShown(path);
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
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
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
std::string Environment(const wchar_t* name) {
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) {
        return {};
    }
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), size));
    return SystemFolder(value);
}

std::string RegistryText(HKEY root, const std::wstring& path, const wchar_t* name, REGSAM view) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &raw) != ERROR_SUCCESS) {
        return {};
    }
    const framework::RegistryKey key(raw);
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key.Get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return {};
    }
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()),
                         &size) != ERROR_SUCCESS) {
        return {};
    }
    value.resize(wcsnlen(value.c_str(), size / sizeof(wchar_t)));
    if (type == REG_EXPAND_SZ) {
        const DWORD need = ExpandEnvironmentStringsW(value.c_str(), nullptr, 0);
        std::wstring expanded(need, L'\0');
        expanded.resize(need == 0 ? 0 : ExpandEnvironmentStringsW(value.c_str(), expanded.data(), need) - 1);
        value = expanded;
    }
    return SystemFolder(value);
}

// KEY_WOW64_64KEY and KEY_WOW64_32KEY: XP's headers lack them, XP's registry ignores them.
constexpr REGSAM kViews[] = {0x0100, 0x0200};
constexpr wchar_t kCurrentVersion[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr wchar_t kProfileList[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

void AddProfiles(std::vector<std::string>& profiles) {
    profiles.push_back(RegistryText(HKEY_LOCAL_MACHINE, kProfileList, L"ProfilesDirectory", 0));
    profiles.push_back(Environment(L"USERPROFILE"));
    profiles.push_back(Environment(L"PUBLIC"));
    profiles.push_back(Environment(L"ALLUSERSPROFILE"));
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProfileList, 0, KEY_READ, &raw) != ERROR_SUCCESS) {
        return;
    }
    const framework::RegistryKey list(raw);
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];  // a key's name is at most 255 characters
        DWORD length = sizeof name / sizeof name[0];
        if (RegEnumKeyExW(list.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        profiles.push_back(RegistryText(HKEY_LOCAL_MACHINE,
                                        std::wstring(kProfileList) + L"\\" + name,
                                        L"ProfileImagePath", 0));
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
    const framework::File object(framework::OpenPath(
        path, READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS));
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
    const UINT size = GetSystemWindowsDirectoryW(nullptr, 0);
    std::wstring windows(size, L'\0');
    windows.resize(GetSystemWindowsDirectoryW(windows.data(), size));
    system.windows = SystemFolder(windows);
    for (const wchar_t* name : {L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432"}) {
        system.programFiles.push_back(Environment(name));
    }
    for (REGSAM view : kViews) {
        for (const wchar_t* value : {L"ProgramFilesDir", L"ProgramFilesDir (x86)"}) {
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
