// What every other test takes for granted about the platform it runs on.
#include <gtest/gtest.h>

#include <windows.h>

#include "text/cp932.h"

namespace {

TEST(Platform, AnsiCodePageIs932) { EXPECT_EQ(GetACP(), 932u); }

// Our lead-byte table agrees with the system's own for every byte value.
TEST(Platform, LeadBytesAgreeWithTheSystem) {
    ASSERT_EQ(GetACP(), 932u);
    for (int b = 0; b < 256; ++b) {
        EXPECT_EQ(text::IsLeadByte(static_cast<unsigned char>(b)),
                  IsDBCSLeadByteEx(932, static_cast<BYTE>(b)) != 0)
            << b;
    }
}

TEST(Platform, JapaneseFileNamesRoundTrip) {
    char temp[MAX_PATH + 1] = {};
    ASSERT_GT(GetTempPathA(sizeof temp, temp), 0u);
    std::string path = std::string(temp) + "表示ソフト.txt";
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    WIN32_FIND_DATAA fd;
    HANDLE f = FindFirstFileA(path.c_str(), &fd);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    FindClose(f);
    EXPECT_STREQ(fd.cFileName, "表示ソフト.txt");
    EXPECT_TRUE(DeleteFileA(path.c_str()));
}

}  // namespace
