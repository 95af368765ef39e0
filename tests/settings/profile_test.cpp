// The settings files through our own reader and writer and through the platform's profile
// functions at code page 932 under Wine: every answer must be the same. Writes happen in place
// or not at all.
#include "settings/profile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "framework/handles.h"
#include "settings/ini_text.h"
#include "tests/settings/ini_cases.h"
#include "tests/support/test_support.h"

namespace {

using ini_cases::ReadCase;
using ini_cases::ReadCases;
using ini_cases::WriteCase;
using ini_cases::WriteCases;

std::optional<std::string> ProfileValue(const std::string& path, const std::string& section,
                                        const std::string& key) {
    // Two defaults: a value equal to one of them is still told apart from the default.
    std::string answers[2];
    const char* defaults[2] = {"<none1>", "<none2>"};
    for (int i = 0; i < 2; ++i) {
        std::string buffer(4096, '\0');
        const DWORD got = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaults[i],
                                                   buffer.data(), 4096, path.c_str());
        answers[i] = buffer.substr(0, got);
    }
    if (answers[0] == defaults[0] && answers[1] == defaults[1]) {
        return std::nullopt;
    }
    return answers[0];
}

TEST(IniText, ReadsAsWindowsProfileFunctionsAtCodePage932) {
    ASSERT_EQ(GetACP(), 932u) << "the comparison needs the Japanese code page";
    testing_support::TempDir dir;
    int n = 0;
    for (const ReadCase& c : ReadCases()) {
        const std::string path = dir / ("read" + std::to_string(n++) + ".ini");
        testing_support::WriteFile(path, c.file);
        EXPECT_EQ(ProfileValue(path, c.section, c.key), settings::FindIniValue(c.file, c.section,
                                                                               c.key))
            << c.what;
    }
}

TEST(IniText, WritesReadBackAsWindowsProfileFunctionsWriteAtCodePage932) {
    ASSERT_EQ(GetACP(), 932u) << "the comparison needs the Japanese code page";
    testing_support::TempDir dir;
    int n = 0;
    for (const WriteCase& c : WriteCases()) {
        const std::string theirs = dir / ("theirs" + std::to_string(n) + ".ini");
        const std::string ours = dir / ("ours" + std::to_string(n++) + ".ini");
        testing_support::WriteFile(theirs, c.file);
        testing_support::WriteFile(ours, settings::WithIniValue(c.file, c.section, c.key, c.value));
        ASSERT_TRUE(WritePrivateProfileStringA(c.section.c_str(), c.key.c_str(), c.value.c_str(),
                                               theirs.c_str()))
            << c.what;
        auto probes = c.others;
        probes.emplace_back(c.section, c.key);
        for (const auto& [section, key] : probes) {
            EXPECT_EQ(ProfileValue(ours, section, key), ProfileValue(theirs, section, key))
                << c.what << ": [" << section << "] " << key;
        }
    }
}

// The settings file's own bytes: refusals and a full disk leave every one of them.
TEST(Profile, WritesInPlaceOrNotAtAll) {
    testing_support::TempDir dir;
    const std::string fresh = dir / "fresh.ini";
    ASSERT_TRUE(settings::WriteProfileValue(fresh, "SYSTEM", "VERSION", "3"));
    EXPECT_EQ(testing_support::ReadFile(fresh), "[SYSTEM]\r\nVERSION=3\r\n");
    EXPECT_EQ(settings::ReadProfileString(fresh, "system", "version", "0", 100), "3");
    EXPECT_EQ(settings::ReadProfileString(dir / "none.ini", "SYSTEM", "VERSION", "0", 100), "0");
    EXPECT_EQ(settings::ReadProfileString(fresh, "SYSTEM", "VERSION", "0", 1), "");

    const std::string locked = dir / "locked.ini";
    testing_support::WriteFile(locked, "[SYSTEM]\r\nTITLE=a\r\n");
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(settings::WriteProfileValue(locked, "SYSTEM", "TITLE", "b"));
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(testing_support::ReadFile(locked), "[SYSTEM]\r\nTITLE=a\r\n");
}

TEST(Profile, AFullDiskLeavesTheFileAsItWas) {
    testing_support::SmallDiskFolder disk;
    if (!disk.unavailable().empty()) {
        GTEST_SKIP() << disk.unavailable();
    }
    const std::string path = disk / "tovaka1.ini";
    const std::string before = "[SYSTEM]\r\nTITLE=製品\r\n";
    testing_support::WriteFile(path, before);
    {
        const framework::File filler(CreateFileA((disk / "filler").c_str(), GENERIC_WRITE, 0,
                                                 nullptr, CREATE_ALWAYS, 0, nullptr));
        const std::string block(64 << 10, 'f');
        DWORD written = 0;
        while (WriteFile(filler.Get(), block.data(), static_cast<DWORD>(block.size()), &written,
                         nullptr) &&
               written == block.size()) {
        }
    }
    EXPECT_FALSE(settings::WriteProfileValue(path, "SYSTEM", "TITLE", std::string(1 << 20, 'x')));
    EXPECT_EQ(testing_support::ReadFile(path), before);
}

}  // namespace
