#include <gtest/gtest.h>

#include "wizard/installed_folder.h"

namespace {

TEST(FolderFromUninstallString, Cases) {
    struct Case {
        std::string value;
        int result;
        std::string after;
    } cases[] = {
        {"C:\\TOOLS\\UNINST.EXE -fD:\\PROD\\SETUP.LOG", 1, "D:\\PROD\\"},
        {"C:\\TOOLS\\UNINST.EXE -fD:\\PROD\\SETUP.LOG -cD:\\PROD\\X.DLL", 1, "D:\\PROD\\"},
        {"C:\\TOOLS\\UNINST.EXE -fD:\\SETUP.LOG", 1, "D:\\"},
        {"C:\\TOOLS\\UNINST.EXE -fSETUP.LOG", 1, ""},
        {"C:\\TOOLS\\UNINST.EXE /F D:\\PROD\\SETUP.LOG", 0, "C:\\TOOLS\\UNINST.EXE /F D:\\PROD\\SETUP.LOG"},
        {"UNINST.EXE -FD:\\PROD\\SETUP.LOG", 0, "UNINST.EXE -FD:\\PROD\\SETUP.LOG"},  // case-sensitive
        {"", 0, ""},
        {"X -f\"C:\\My Prod\\a.log\"", 1, "\"C:\\My Prod\\"},  // quotes stay, blanks stay
        {"X -fC:\\表\\ソフト.LOG", 1, "C:\\表\\"},              // 0x5C trail bytes are not separators
        {"X -fC:/PROD/SETUP.LOG", 1, "C:/PROD/"},
        {"X -f -fC:\\P\\S.LOG", 1, ""},  // the first " -f" counts; its tail ends at " -"
    };
    for (const Case& c : cases) {
        std::string text = c.value;
        EXPECT_EQ(wizard::FolderFromUninstallString(text), c.result) << c.value;
        EXPECT_EQ(text, c.after) << c.value;
    }
}

// A tail that would have to be cut gives no proposal rather than a wrong one.
TEST(FolderFromUninstallString, LongTailsGiveNothing) {
    std::string dir63 = "C:\\" + std::string(54, 'D') + "\\S.LOG";  // 63 bytes
    ASSERT_EQ(dir63.size(), 63u);
    std::string text = "U.EXE -f" + dir63 + " -x" + std::string(300, 'y');
    EXPECT_EQ(wizard::FolderFromUninstallString(text), 1);
    EXPECT_EQ(text, "C:\\" + std::string(54, 'D') + "\\");

    std::string longer = "U.EXE -f" + dir63 + "G";
    EXPECT_EQ(wizard::FolderFromUninstallString(longer), 0);
    EXPECT_EQ(longer, "U.EXE -f" + dir63 + "G");
}

}  // namespace
