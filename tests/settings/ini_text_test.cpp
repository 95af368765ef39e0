// The INI reader and writer against tables of files; under Wine at code page 932 the same
// tables also go through GetPrivateProfileStringA and WritePrivateProfileStringA, and every
// answer must be the same.
#include "settings/ini_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include "framework/handles.h"
#include "settings/profile.h"
#include "tests/support/test_support.h"
#endif

namespace {

struct ReadCase {
    const char* what;
    std::string file;
    std::string section;
    std::string key;
    std::optional<std::string> value;  // nullopt: the profile functions give their default
};

const std::vector<ReadCase>& ReadCases() {
    static const std::vector<ReadCase> cases = {
        {"plain", "[SYSTEM]\r\nTITLE=abc\r\n", "SYSTEM", "TITLE", "abc"},
        {"names without regard to case", "[system]\r\ntitle=abc\r\n", "SYSTEM", "Title", "abc"},
        {"blanks around names and value", "  [SYSTEM]  \r\n \t TITLE  =   abc def \t \r\n",
         "SYSTEM", "TITLE", "abc def"},
        {"blanks around the asked names", "[S]\r\nK=v\r\n", " S ", "\tK ", "v"},
        {"first of two equal keys", "[S]\r\nK=1\r\nk=2\r\n", "S", "K", "1"},
        {"only the first section of a name", "[S]\r\nA=1\r\n[s]\r\nK=2\r\n", "S", "K",
         std::nullopt},
        {"a comment is no value of the key after it", "[S]\r\n;K=1\r\nK=2\r\n", "S", "K", "2"},
        {"missing section", "[S]\r\nK=1\r\n", "T", "K", std::nullopt},
        {"missing key", "[S]\r\nK=1\r\n", "S", "L", std::nullopt},
        {"a key without '='", "[S]\r\nK\r\n", "S", "K", std::nullopt},
        {"an empty value is no default", "[S]\r\nK=\r\n", "S", "K", ""},
        {"enclosing double quotes", "[S]\r\nK=\"a b\"\r\n", "S", "K", "a b"},
        {"enclosing single quotes", "[S]\r\nK='x'\r\n", "S", "K", "x"},
        {"quotes that differ stay", "[S]\r\nK=\"x'\r\n", "S", "K", "\"x'"},
        {"a lone quote stays", "[S]\r\nK=\"\r\n", "S", "K", "\""},
        {"LF line ends", "[S]\nA=1\nK=lf\n", "S", "K", "lf"},
        {"CR line ends", "[S]\rA=1\rK=cr\r", "S", "K", "cr"},
        {"no line end at the end", "[S]\r\nK=last", "S", "K", "last"},
        {"'=' inside the value", "[S]\r\nK=a=b\r\n", "S", "K", "a=b"},
        {"text after the header", "[S] note\r\nK=v\r\n", "S", "K", "v"},
        {"a header without ']' is a key line", "[S\r\nK=v\r\n", "S", "K", std::nullopt},
        {"^Z at the end", "[S]\r\nK=v\x1a", "S", "K", "v"},
        {"Japanese names and value", "[設定]\r\nﾃﾞｼﾞﾀｲｻﾞ=表示\r\n", "設定", "ﾃﾞｼﾞﾀｲｻﾞ", "表示"},
        {"a trail byte 0x5D is no ']'", "[A‐B]\r\nK=v\r\n", "A‐B", "K", "v"},
        {"a trail byte 0x5C stays", "[S]\r\nK=ソフト\\表\r\n", "S", "K", "ソフト\\表"},
        {"full-width letters keep their case", "[ＳＹＳ]\r\nｔｉｔｌｅ=w\r\n", "ＳＹＳ",
         "ＴＩＴＬＥ", std::nullopt},
        {"Greek and Cyrillic keep their case", "[ΑΩ]\r\nОЯ=g\r\n", "αω", "ОЯ", std::nullopt},
        {"a trail byte is never upper-cased", "[S]\r\nア=wrong\r\nャ=right\r\n", "S", "ャ",
         "right"},
        {"ideographic spaces are text", "[S]\r\nK=　v　\r\n", "S", "K", "　v　"},
    };
    return cases;
}

TEST(IniText, FindsValuesAsTheProfileFunctionsDo) {
    for (const ReadCase& c : ReadCases()) {
        EXPECT_EQ(settings::FindIniValue(c.file, c.section, c.key), c.value) << c.what;
    }
}

struct WriteCase {
    const char* what;
    std::string file;
    std::string section;
    std::string key;
    std::string value;
    std::string expected;
    std::vector<std::pair<std::string, std::string>> others;  // keys that must read the same
};

const std::vector<WriteCase>& WriteCases() {
    static const std::vector<WriteCase> cases = {
        {"a value replaced where it stands", "[S]\r\nA=1\r\nK=old\r\nB=2\r\n", "S", "K", "new",
         "[S]\r\nA=1\r\nK=new\r\nB=2\r\n", {{"S", "A"}, {"S", "B"}}},
        {"blanks around the old value kept", "[S]\r\nK = old  \r\n", "S", "K", "new",
         "[S]\r\nK = new  \r\n", {}},
        {"a new key after its section's last line", "[S]\r\nA=1\r\n\r\n[T]\r\nX=1\r\n", "S",
         "K", "v", "[S]\r\nA=1\r\nK=v\r\n\r\n[T]\r\nX=1\r\n", {{"S", "A"}, {"T", "X"}}},
        {"a new key in a section without keys", "[S]\r\n[T]\r\nX=1\r\n", "S", "K", "v",
         "[S]\r\nK=v\r\n[T]\r\nX=1\r\n", {{"T", "X"}}},
        {"a new key at the end without a line end", "[S]\r\nA=1", "S", "K", "v",
         "[S]\r\nA=1\r\nK=v\r\n", {{"S", "A"}}},
        {"a new section at the end", "[S]\r\nA=1\r\n", "N", "K", "v",
         "[S]\r\nA=1\r\n[N]\r\nK=v\r\n", {{"S", "A"}}},
        {"a new section after a last line without its end", "[S]\r\nA=1", "N", "K", "v",
         "[S]\r\nA=1\r\n[N]\r\nK=v\r\n", {{"S", "A"}}},
        {"an empty file", "", "N", "K", "v", "[N]\r\nK=v\r\n", {}},
        {"LF line ends kept", "[S]\nK=1\nB=2\n", "S", "K", "v", "[S]\nK=v\nB=2\n", {{"S", "B"}}},
        {"the key as the file writes it", "[system]\r\ntitle=x\r\n", "SYSTEM", "TITLE", "v",
         "[system]\r\ntitle=v\r\n", {}},
        {"a key without '=' gets its value", "[S]\r\nK\r\nB=2\r\n", "S", "K", "v",
         "[S]\r\nK=v\r\nB=2\r\n", {{"S", "B"}}},
        {"comments and Japanese kept", "; 設定\r\n[SYSTEM]\r\nTITLE=製品 Type-C\r\n; 終\r\n",
         "SYSTEM", "TITLE", "製品 Type-C 拡張",
         "; 設定\r\n[SYSTEM]\r\nTITLE=製品 Type-C 拡張\r\n; 終\r\n", {}},
    };
    return cases;
}

TEST(IniText, WritesOnlyWhatChanges) {
    for (const WriteCase& c : WriteCases()) {
        const std::string written = settings::WithIniValue(c.file, c.section, c.key, c.value);
        EXPECT_EQ(written, c.expected) << c.what;
        EXPECT_EQ(settings::FindIniValue(written, c.section, c.key), c.value) << c.what;
    }
}

#ifdef _WIN32

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
    ASSERT_TRUE(settings::WriteProfileString(fresh, "SYSTEM", "VERSION", "3"));
    EXPECT_EQ(testing_support::ReadFile(fresh), "[SYSTEM]\r\nVERSION=3\r\n");
    EXPECT_EQ(settings::ReadProfileString(fresh, "system", "version", "0", 100), "3");
    EXPECT_EQ(settings::ReadProfileString(dir / "none.ini", "SYSTEM", "VERSION", "0", 100), "0");
    EXPECT_EQ(settings::ReadProfileString(fresh, "SYSTEM", "VERSION", "0", 1), "");

    const std::string locked = dir / "locked.ini";
    testing_support::WriteFile(locked, "[SYSTEM]\r\nTITLE=a\r\n");
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(settings::WriteProfileString(locked, "SYSTEM", "TITLE", "b"));
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
    EXPECT_FALSE(settings::WriteProfileString(path, "SYSTEM", "TITLE", std::string(1 << 20, 'x')));
    EXPECT_EQ(testing_support::ReadFile(path), before);
}

#endif

}  // namespace
