// Receipts in the real (Wine) registry: written where a 32-bit program's keys are, with every
// value a fleet tool or support reads, removed by what /RESTORE knows, and a key the run may
// not write reported as such.
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>

#include <cstdio>
#include <fstream>

#include "receipt/identity.h"
#include "receipt/receipt.h"

namespace {

constexpr char kId[] = "00112233445566778899AABBCCDDEEFF";
constexpr char kOtherId[] = "FFEEDDCCBBAA99887766554433221100";

bool Exists32(const std::wstring& path, REGSAM view = KEY_WOW64_32KEY) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

std::wstring Text(const std::wstring& path, const wchar_t* name) {
    HKEY key = nullptr;
    wchar_t buf[512] = {};
    DWORD size = sizeof buf - sizeof(wchar_t);
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | KEY_WOW64_32KEY, &key) ==
        ERROR_SUCCESS) {
        RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size);
        RegCloseKey(key);
    }
    return buf;
}

DWORD Number(const std::wstring& path, const wchar_t* name) {
    HKEY key = nullptr;
    DWORD value = 0xFFFFFFFF;
    DWORD size = sizeof value;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | KEY_WOW64_32KEY, &key) ==
        ERROR_SUCCESS) {
        RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
        RegCloseKey(key);
    }
    return value;
}

// Deletes the key and everything below it (RegDeleteTree is newer than XP).
void DeleteTree(HKEY parent, const std::wstring& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, name.c_str(), 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, &key) !=
        ERROR_SUCCESS) {
        return;
    }
    wchar_t sub[256];
    DWORD length = 256;
    while (RegEnumKeyExW(key, 0, sub, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
        DeleteTree(key, sub);
        length = 256;
    }
    RegCloseKey(key);
    RegDeleteKeyW(parent, name.c_str());
}

void DeleteTree32(const wchar_t* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE", 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, &key) ==
        ERROR_SUCCESS) {
        DeleteTree(key, path);
        RegCloseKey(key);
    }
}

// Gives the key an access list of one entry: `access` to everyone.
bool AllowOnly(const wchar_t* path, DWORD access) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, WRITE_DAC | KEY_WOW64_32KEY, &key) !=
        ERROR_SUCCESS) {
        return false;
    }
    EXPLICIT_ACCESSW entry{};
    BuildExplicitAccessWithNameW(&entry, const_cast<wchar_t*>(L"EVERYONE"), access, SET_ACCESS,
                                 NO_INHERITANCE);
    PACL acl = nullptr;
    bool ok = SetEntriesInAclW(1, &entry, nullptr, &acl) == ERROR_SUCCESS &&
              SetSecurityInfo(key, SE_REGISTRY_KEY,
                              DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, acl, nullptr) == ERROR_SUCCESS;
    LocalFree(acl);
    RegCloseKey(key);
    return ok;
}

receipt::Receipt Sample(const std::string& folder, unsigned long set) {
    return {0, "2026-12-09T20:41:07Z", folder, set, "3", "1.0.0.1"};
}

class Receipts : public ::testing::Test {
protected:
    void SetUp() override { DeleteTree32(L"Renovo"); }
    void TearDown() override { DeleteTree32(L"Renovo"); }
};

// "ﾃﾞﾓ製品" in cp932 and as the registry holds it.
const std::string kProduct = "\xc3\xde\xd3\x90\xbb\x95\x69";
const std::wstring kProductW = L"\xff83\xff9e\xff93\x88fd\x54c1";

TEST_F(Receipts, WrittenInThe32BitViewWithEveryValue) {
    receipt::Receipt r{6, "2026-12-09T20:41:07Z", "C:\\\x83\x5c\x83\x74\x83\x67", 12, "3", "1.0.0.1"};
    receipt::Outcome o = receipt::WriteReceipt(kProduct, kId, r);
    ASSERT_EQ(o.status, receipt::Status::kDone) << o.error;
    const std::wstring path = L"SOFTWARE\\Renovo\\Updates\\" + kProductW + L"\\" +
                              std::wstring(kId, kId + 32);
    ASSERT_TRUE(Exists32(path));
    EXPECT_EQ(Number(path, L"Result"), 6u);
    EXPECT_EQ(Text(path, L"Time"), L"2026-12-09T20:41:07Z");
    EXPECT_EQ(Text(path, L"Folder"), L"C:\\\x30bd\x30d5\x30c8");  // ソフト
    EXPECT_EQ(Number(path, L"BackupSet"), 12u);
    EXPECT_EQ(Text(path, L"Version"), L"3");
    EXPECT_EQ(Text(path, L"Program"), L"1.0.0.1");
#ifdef _WIN64
    EXPECT_FALSE(Exists32(L"SOFTWARE\\Renovo", KEY_WOW64_64KEY));  // not the 64-bit view
    EXPECT_TRUE(Exists32(L"SOFTWARE\\WOW6432Node\\Renovo\\Updates", KEY_WOW64_64KEY));
#endif
}

TEST_F(Receipts, RemovedOneByOneAndTheEmptyProductWithTheLast) {
    ASSERT_EQ(receipt::WriteReceipt("P", kId, Sample("C:\\P", 1)).status, receipt::Status::kDone);
    ASSERT_EQ(receipt::WriteReceipt("P", kOtherId, Sample("C:\\P", 2)).status, receipt::Status::kDone);
    EXPECT_EQ(receipt::RemoveReceipt("P", kId).removed, 1);
    EXPECT_FALSE(Exists32(L"SOFTWARE\\Renovo\\Updates\\P\\00112233445566778899AABBCCDDEEFF"));
    EXPECT_TRUE(Exists32(L"SOFTWARE\\Renovo\\Updates\\P"));
    receipt::Outcome again = receipt::RemoveReceipt("P", kId);
    EXPECT_EQ(again.status, receipt::Status::kDone);
    EXPECT_EQ(again.removed, 0);
    EXPECT_EQ(receipt::RemoveReceipt("P", kOtherId).removed, 1);
    EXPECT_FALSE(Exists32(L"SOFTWARE\\Renovo\\Updates\\P"));
    EXPECT_EQ(receipt::RemoveReceipt("Q", kId).status, receipt::Status::kDone);
}

TEST_F(Receipts, RestoreRemovesOnlyTheReceiptOfTheSetItUndid) {
    struct Written {
        const char* product;
        const char* id;
        const char* folder;
        unsigned long set;
        bool removed;
    } written[] = {
        {"P", kId, "C:\\TOVAKA", 2, true},
        {"P", kOtherId, "C:\\TOVAKA", 1, false},  // the update before
        {"Q", kId, "D:\\TOVAKA", 2, false},       // another product's folder
        {"R", kOtherId, "c:\\tovaka\\", 2, true}, // the same folder written otherwise
    };
    for (const Written& w : written) {
        ASSERT_EQ(receipt::WriteReceipt(w.product, w.id, Sample(w.folder, w.set)).status,
                  receipt::Status::kDone);
    }
    receipt::Outcome o = receipt::RemoveReceiptsOf("C:\\TOVAKA\\", 2);
    EXPECT_EQ(o.status, receipt::Status::kDone);
    EXPECT_EQ(o.removed, 2);
    for (const Written& w : written) {
        std::string path = std::string("SOFTWARE\\Renovo\\Updates\\") + w.product + "\\" + w.id;
        EXPECT_EQ(Exists32(std::wstring(path.begin(), path.end())), !w.removed) << path;
    }
    EXPECT_FALSE(Exists32(L"SOFTWARE\\Renovo\\Updates\\R"));
}

// "C:\ソ" ends in the byte '\' as the trail of its last character: no separator to drop.
TEST_F(Receipts, AFolderEndingInATrailByteKeepsIt) {
    const std::string folder = "C:\\\x83\x5c";
    ASSERT_EQ(receipt::WriteReceipt("S", kId, Sample(folder, 3)).status, receipt::Status::kDone);
    EXPECT_EQ(receipt::RemoveReceiptsOf("C:\\\x83", 3).removed, 0);
    EXPECT_EQ(receipt::RemoveReceiptsOf(folder + "\\", 3).removed, 1);
}

TEST_F(Receipts, NoProductNoReceipt) {
    EXPECT_EQ(receipt::WriteReceipt("", kId, Sample("C:\\P", 1)).status, receipt::Status::kNoProduct);
    EXPECT_FALSE(Exists32(L"SOFTWARE\\Renovo"));
}

// A key whose access list lets nobody add a subkey stands for HKLM to a run without elevation.
TEST_F(Receipts, AKeyTheRunMayNotWriteIsToldNotFailed) {
    ASSERT_EQ(receipt::WriteReceipt("Locked", kOtherId, Sample("C:\\P", 1)).status,
              receipt::Status::kDone);
    ASSERT_TRUE(AllowOnly(L"SOFTWARE\\Renovo\\Updates\\Locked", KEY_READ));

    receipt::Outcome o = receipt::WriteReceipt("Locked", kId, Sample("C:\\P", 1));
    EXPECT_EQ(o.status, receipt::Status::kMayNotWrite);
    EXPECT_EQ(o.error, static_cast<unsigned long>(ERROR_ACCESS_DENIED));
    std::string line = receipt::Describe(o, receipt::ReceiptKeyPath("Locked", kId), false);
    EXPECT_NE(line.find("may not write the key, error 5"), std::string::npos) << line;
    EXPECT_NE(line.find("HKLM\\SOFTWARE\\Renovo\\Updates\\Locked\\" + std::string(kId)),
              std::string::npos)
        << line;
    EXPECT_TRUE(AllowOnly(L"SOFTWARE\\Renovo\\Updates\\Locked", KEY_ALL_ACCESS));  // to clean up
}

TEST(UpdateIdOfFile, TheFilesBytes) {
    const char* path = "receipt_test_info.txt";
    std::ofstream(path, std::ios::binary) << std::string(70000, 'x') << "\r\n";
    EXPECT_EQ(receipt::UpdateIdOfFile(path), receipt::UpdateIdOf(std::string(70000, 'x') + "\r\n"));
    std::remove(path);
    EXPECT_FALSE(receipt::UpdateIdOfFile(path));
}

TEST(NowUtc, IsoTime) {
    std::string t = receipt::NowUtc();
    ASSERT_EQ(t.size(), 20u) << t;
    EXPECT_EQ(t.substr(0, 2), "20");
    EXPECT_EQ(t[10], 'T');
    EXPECT_EQ(t[19], 'Z');
}

}  // namespace
