#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <string>

#include "settings/version_checks.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::TempDir;
using testing_support::WriteFile;

constexpr char kNoFile[] = "<none>";

// Places past the given names hold a name no title contains: an empty one would match.
std::array<std::string, 15> Names(std::initializer_list<std::string> given) {
    std::array<std::string, 15> names;
    names.fill("<unused>");
    std::copy(given.begin(), given.end(), names.begin());
    return names;
}

void WriteIni(const TempDir& dir, const std::string& name, const std::string& body) {
    if (body != kNoFile) {
        WriteFile(dir / name, body);
    }
}

TEST(CheckInstalledVersion, VersionFileAndNumberRules) {
    const std::string longZeros = "[SYSTEM]\r\nVERSION=" + std::string(31, '0') + "3\r\n";
    struct Case {
        std::string tovaka, pallum, required;
        int result;
    } cases[] = {
        {"[SYSTEM]\r\n", kNoFile, "2", 1},  // missing VERSION counts as version 2
        {"[SYSTEM]\r\n", kNoFile, "3", 0},
        {kNoFile, kNoFile, "2", 1},
        {"[SYSTEM]\r\nVERSION=9999\r\n", kNoFile, "2", 1},
        {"[SYSTEM]\r\nVERSION=9999\r\n", kNoFile, "9999", 0},
        {"[SYSTEM]\r\nVERSION=\r\n", kNoFile, "0", 1},  // present but empty reads 0
        {"[SYSTEM]\r\nVERSION=\r\n", kNoFile, "2", 0},
        {"[SYSTEM]\r\nVERSION=3rd\r\n", kNoFile, " 3", 1},
        {"[OTHER]\r\nVERSION=3\r\n", kNoFile, "3", 0},
        {"[SYSTEM]\r\nVERSION=4\r\n", kNoFile, "4", 0},  // 4 and up read PALLUM1.ini only
        {kNoFile, "[SYSTEM]\r\n", "4", 0},
        {kNoFile, "[SYSTEM]\r\nVERSION=4\r\n", "4", 1},
        {"[SYSTEM]\r\nVERSION=5\r\n", "[SYSTEM]\r\nVERSION=5\r\n", "5x", 1},
        {kNoFile, "[SYSTEM]\r\nVERSION=3\r\n", "3", 0},  // below 4 never reads PALLUM1.ini
        {longZeros, kNoFile, "3", 0},                    // cut to 31 bytes: only zeros left
        {longZeros, kNoFile, "0", 1},
    };
    for (const Case& c : cases) {
        TempDir dir;
        WriteIni(dir, "tovaka1.ini", c.tovaka);
        WriteIni(dir, "PALLUM1.ini", c.pallum);
        EXPECT_EQ(settings::CheckInstalledVersion(c.required, dir.path()), c.result)
            << c.tovaka << " | " << c.pallum << " | " << c.required;
    }
}

TEST(GetSystemNumber, MakerDecidesForVestimaInAnyCase) {
    struct Case {
        std::string file, body;
        int result;
    } cases[] = {
        {"vestima1.ini", "[SYSTEM]\r\nMAKER=1\r\n", 0},
        {"VESTIMA1.ini", "[SYSTEM]\r\nMAKER=01\r\n", 0},
        {"Vestima1.Ini", "[SYSTEM]\r\nMAKER=2\r\n", 99},
        {"vestima1.ini", "[SYSTEM]\r\nMAKER=\r\n", 99},
        {"vestima1.ini", "[SYSTEM]\r\nTITLE=x\r\n", 0},
        {"vestima1.ini", kNoFile, 0},
        {"vestima1.ini", "[SYSTEM]\r\nMAKER= 1x\r\n", 0},
    };
    const std::array<std::string, 15> names = Names({"x"});
    for (const Case& c : cases) {
        TempDir dir;
        WriteIni(dir, c.file, c.body);
        EXPECT_EQ(settings::GetSystemNumber(names, dir.path(), c.file), c.result)
            << c.file << " " << c.body;
    }
}

TEST(GetSystemNumber, FirstNameInOrderFoundOnCharacterBoundary) {
    const std::string tail99 = std::string(95, '.');
    struct Case {
        std::array<std::string, 15> names;
        std::string title;
        int result;
    } cases[] = {
        {Names({"A", "B", "C", "D", "E"}), "xxEyyCzz", 3},  // name order wins, not position
        {Names({"A", "B", "C"}), "none", -1},
        {Names({"A", "B", "C", "D", ""}), "none", 5},
        {Names({"ア", "B"}), "xアy", 1},
        {Names({"A", "B"}), "xアy", -1},  // "ア" is 0x83 0x41: its trail byte is no "A"
        {Names({"A", "B"}), "xアyA", 1},
        {Names({"システム"}), "新システム版", 1},
        {Names({"x", "VEST"}), tail99 + "VEST", 2},       // bytes 95-98: inside the 99 read
        {Names({"x", "VEST"}), tail99 + "....VEST", -1},  // beyond byte 98
        {Names({"x", "VEST"}), tail99 + "..VEST", -1},    // cut through the name
    };
    for (const Case& c : cases) {
        TempDir dir;
        WriteFile(dir / "tovaka1.ini", "[SYSTEM]\r\nTITLE=" + c.title + "\r\n");
        EXPECT_EQ(settings::GetSystemNumber(c.names, dir.path(), "tovaka1.ini"), c.result)
            << c.title;
    }
}

TEST(GetSystemNumber, MissingTitleMatchesOnlyAnEmptyName) {
    TempDir dir;
    WriteFile(dir / "tovaka1.ini", "[SYSTEM]\r\nVERSION=2\r\n");
    EXPECT_EQ(settings::GetSystemNumber(Names({"A", "B"}), dir.path(), "tovaka1.ini"), -1);
    EXPECT_EQ(settings::GetSystemNumber(Names({"A", "B", ""}), dir.path(), "tovaka1.ini"), 3);
}

}  // namespace
