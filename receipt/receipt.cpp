#include "receipt/receipt.h"

#include <windows.h>

#include <vector>

#include "framework/handles.h"
#include "framework/wide.h"
#include "receipt/identity.h"
#include "text/cp932.h"

namespace receipt {
namespace {

// The product is a 32-bit program: its keys, and so its receipts, are in the 32-bit view.
constexpr REGSAM kView = KEY_WOW64_32KEY;

using framework::Wide;

Outcome Failed(LONG error) {
    return {error == ERROR_ACCESS_DENIED ? Status::kMayNotWrite : Status::kFailed,
            static_cast<unsigned long>(error), 0};
}

LONG Open(HKEY parent, const std::wstring& path, REGSAM access, framework::RegistryKey& key) {
    HKEY h = nullptr;
    LONG rc = ::RegOpenKeyExW(parent, path.c_str(), 0, access | kView, &h);
    key.Reset(rc == ERROR_SUCCESS ? h : nullptr);
    return rc;
}

LONG SetText(HKEY key, const wchar_t* name, const std::string& value) {
    std::wstring w = Wide(value);
    return ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(w.c_str()),
                            static_cast<DWORD>((w.size() + 1) * sizeof(wchar_t)));
}

LONG SetNumber(HKEY key, const wchar_t* name, unsigned long value) {
    DWORD v = value;
    return ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
}

std::optional<std::wstring> GetText(HKEY key, const wchar_t* name) {
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::nullopt;
    }
    std::wstring w(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(w.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(w.data()), &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    w.resize(w.find(L'\0') == std::wstring::npos ? w.size() : w.find(L'\0'));
    return w;
}

std::optional<DWORD> GetNumber(HKEY key, const wchar_t* name) {
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD) {
        return std::nullopt;
    }
    return value;
}

// The names of the key's subkeys, read whole before anything is deleted.
std::vector<std::wstring> SubKeys(HKEY key) {
    DWORD count = 0;
    DWORD longest = 0;
    std::vector<std::wstring> names;
    if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr,
                           nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return names;
    }
    for (DWORD i = 0; i < count; ++i) {
        std::wstring name(longest + 1, L'\0');
        DWORD length = longest + 1;
        if (::RegEnumKeyExW(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) ==
            ERROR_SUCCESS) {
            names.push_back(name.substr(0, length));
        }
    }
    return names;
}

std::string WithoutTrailingSeparator(std::string folder) {
    size_t last = std::string::npos;  // where the last character begins
    for (size_t at = 0; at < folder.size(); at += text::CharLength(folder, at)) {
        last = at;
    }
    if (last != std::string::npos && folder[last] == '\\') {
        folder.erase(last);
    }
    return folder;
}

// A product key left without receipts goes, so that removing the last one leaves nothing.
void RemoveIfEmpty(HKEY updates, const std::wstring& product) {
    framework::RegistryKey key;
    if (Open(updates, product, KEY_READ, key) == ERROR_SUCCESS && SubKeys(key.Get()).empty()) {
        key.Reset();
        ::RegDeleteKeyW(updates, product.c_str());
    }
}

}  // namespace

std::string NowUtc() {
    SYSTEMTIME t{};
    ::GetSystemTime(&t);
    auto two = [](unsigned n) { return std::string(n < 10 ? "0" : "") + std::to_string(n); };
    return std::to_string(t.wYear) + "-" + two(t.wMonth) + "-" + two(t.wDay) + "T" + two(t.wHour) +
           ":" + two(t.wMinute) + ":" + two(t.wSecond) + "Z";
}

std::optional<std::string> UpdateIdOfFile(const std::string& path) {
    framework::File file(::CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return std::nullopt;
    }
    std::string bytes;
    std::vector<char> chunk(65536);
    DWORD got = 0;
    while (::ReadFile(file.Get(), chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) {
        if (got == 0) {
            return UpdateIdOf(bytes);
        }
        bytes.append(chunk.data(), got);
    }
    return std::nullopt;
}

Outcome WriteReceipt(const std::string& productKey, const std::string& updateId,
                     const Receipt& r) {
    if (productKey.empty()) {
        return {Status::kNoProduct, 0, 0};
    }
    HKEY h = nullptr;
    LONG rc = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, Wide(ReceiptKeyPath(productKey, updateId)).c_str(),
                                0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE | kView, nullptr,
                                &h, nullptr);
    if (rc != ERROR_SUCCESS) {
        return Failed(rc);
    }
    framework::RegistryKey key(h);
    // The value the detection rule looks for comes last: a receipt cut short is not detected.
    for (LONG step : {SetText(h, L"Time", r.time), SetText(h, L"Folder", r.folder),
                      SetNumber(h, L"BackupSet", r.backupSet), SetText(h, L"Version", r.version),
                      SetText(h, L"Program", r.program), SetNumber(h, L"Result", r.result)}) {
        if (step != ERROR_SUCCESS) {
            return Failed(step);
        }
    }
    return {};
}

Outcome RemoveReceipt(const std::string& productKey, const std::string& updateId) {
    if (productKey.empty()) {
        return {Status::kNoProduct, 0, 0};
    }
    framework::RegistryKey updates;
    LONG rc = Open(HKEY_LOCAL_MACHINE, Wide(kUpdatesKey), KEY_READ, updates);
    if (rc == ERROR_FILE_NOT_FOUND) {
        return {};
    }
    framework::RegistryKey product;
    if (rc == ERROR_SUCCESS) {
        rc = Open(updates.Get(), Wide(productKey), KEY_READ, product);
    }
    if (rc == ERROR_FILE_NOT_FOUND) {
        return {};
    }
    if (rc == ERROR_SUCCESS) {
        rc = ::RegDeleteKeyW(product.Get(), Wide(updateId).c_str());
    }
    if (rc == ERROR_FILE_NOT_FOUND) {
        return {};
    }
    if (rc != ERROR_SUCCESS) {
        return Failed(rc);
    }
    product.Reset();
    RemoveIfEmpty(updates.Get(), Wide(productKey));
    return {Status::kDone, 0, 1};
}

Outcome RemoveReceiptsOf(const std::string& folder, unsigned long backupSet) {
    framework::RegistryKey updates;
    LONG rc = Open(HKEY_LOCAL_MACHINE, Wide(kUpdatesKey), KEY_READ, updates);
    if (rc != ERROR_SUCCESS) {
        return rc == ERROR_FILE_NOT_FOUND ? Outcome{} : Failed(rc);
    }
    const std::string wanted = WithoutTrailingSeparator(folder);
    Outcome outcome;
    for (const std::wstring& product : SubKeys(updates.Get())) {
        framework::RegistryKey productKey;
        if (Open(updates.Get(), product, KEY_READ, productKey) != ERROR_SUCCESS) {
            continue;
        }
        for (const std::wstring& id : SubKeys(productKey.Get())) {
            framework::RegistryKey r;
            if (Open(productKey.Get(), id, KEY_READ, r) != ERROR_SUCCESS) {
                continue;
            }
            auto f = GetText(r.Get(), L"Folder");
            auto set = GetNumber(r.Get(), L"BackupSet");
            r.Reset();
            // A folder cp932 cannot carry is not the one asked about: skipped.
            const std::optional<std::string> there = f ? framework::Narrow(*f) : std::nullopt;
            if (!there || !set || *set != backupSet ||
                !text::EqualsIgnoreCase(WithoutTrailingSeparator(*there), wanted)) {
                continue;
            }
            if ((rc = ::RegDeleteKeyW(productKey.Get(), id.c_str())) != ERROR_SUCCESS) {
                return Failed(rc);
            }
            ++outcome.removed;
        }
        productKey.Reset();
        RemoveIfEmpty(updates.Get(), product);
    }
    return outcome;
}

std::string Describe(const Outcome& o, const std::string& keyPath, bool removing) {
    const std::string where = "HKLM\\" + keyPath + " (32-bit view)";
    switch (o.status) {
        case Status::kDone:
            return (removing ? "receipt removed: " : "receipt written: ") + where;
        case Status::kNoProduct:
            return "no receipt: the manifest names no Uninstall key";
        case Status::kMayNotWrite:
            return std::string(removing ? "receipt not removed" : "receipt not written") +
                   " (this run may not write the key, error " + std::to_string(o.error) +
                   "; the update itself is unaffected): " + where;
        case Status::kFailed:
            break;
    }
    return std::string(removing ? "receipt not removed" : "receipt not written") + " (error " +
           std::to_string(o.error) + "; the update itself is unaffected): " + where;
}

}  // namespace receipt
