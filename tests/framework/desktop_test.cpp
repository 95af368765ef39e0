// The no-desktop check: the interactive window station is visible, a service's is not, and the
// seam answers for a test without asking Windows.
#include <gtest/gtest.h>

#include <windows.h>

#include "framework/desktop.h"

namespace {

TEST(Desktop, TheInteractiveWindowStationIsVisible) {
    EXPECT_TRUE(framework::HasVisibleDesktop());
}

// A window station of its own, as a service has: nobody sees it.
TEST(Desktop, AServicesWindowStationIsNot) {
    HWINSTA interactive = GetProcessWindowStation();
    HWINSTA service = CreateWindowStationW(L"RenovoServiceTest", 0, WINSTA_ALL_ACCESS, nullptr);
    ASSERT_NE(service, nullptr) << GetLastError();
    ASSERT_TRUE(SetProcessWindowStation(service));
    bool visible = framework::HasVisibleDesktop();
    SetProcessWindowStation(interactive);
    CloseWindowStation(service);
    EXPECT_FALSE(visible);
    EXPECT_TRUE(framework::HasVisibleDesktop());
}

TEST(Desktop, TheSeamAnswersAndGivesBackTheAnswerBefore) {
    {
        framework::DesktopAnswerForTest none(false);
        EXPECT_FALSE(framework::HasVisibleDesktop());
        {
            framework::DesktopAnswerForTest seen(true);
            EXPECT_TRUE(framework::HasVisibleDesktop());
        }
        EXPECT_FALSE(framework::HasVisibleDesktop());
    }
    EXPECT_TRUE(framework::HasVisibleDesktop());
}

}  // namespace
