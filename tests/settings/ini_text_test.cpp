// The INI reader and writer against tables of files.
#include "settings/ini_text.h"

#include <gtest/gtest.h>

#include "tests/settings/ini_cases.h"

namespace {

using ini_cases::ReadCase;
using ini_cases::ReadCases;
using ini_cases::WriteCase;
using ini_cases::WriteCases;

TEST(IniText, FindsValuesAsTheProfileFunctionsDo) {
    for (const ReadCase& c : ReadCases()) {
        EXPECT_EQ(settings::FindIniValue(c.file, c.section, c.key), c.value) << c.what;
    }
}

TEST(IniText, WritesOnlyWhatChanges) {
    for (const WriteCase& c : WriteCases()) {
        const std::string written = settings::WithIniValue(c.file, c.section, c.key, c.value);
        EXPECT_EQ(written, c.expected) << c.what;
        EXPECT_EQ(settings::FindIniValue(written, c.section, c.key), c.value) << c.what;
    }
}

}  // namespace
