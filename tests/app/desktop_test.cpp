// With no one at the desktop (a service, SYSTEM in session 0), no mode may put a question where
// nobody sees it: the wizard and /SILENT run as /VERYSILENT, and the log says why.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/command_run.h"
#include "framework/desktop.h"
#include "tests/support/test_support.h"

namespace {

struct DesktopCase {
    const char* switches;  // before /LOG=
    bool visible;
    const char* silenced;  // the log's line when the mode was silenced, else nullptr
};

class NoDesktop : public ::testing::TestWithParam<DesktopCase> {};

// This test program's folder holds no manifest, so every run that asks nothing is refused
// at once with 1; a run that asked would open a window and wait.
TEST_P(NoDesktop, RunsAsVerySilentAndSaysSo) {
    const DesktopCase& c = GetParam();
    testing_support::TempDir dir;
    const std::string log = dir / "renovo.log";
    framework::DesktopAnswerForTest answer(c.visible);
    EXPECT_EQ(app::RunCommandLine(::GetModuleHandleA(nullptr),
                                  std::string(c.switches) + " /LOG=" + log),
              1);
    const std::string text = testing_support::ReadFile(log);
    const std::string line = "no visible desktop: the ";
    if (c.silenced == nullptr) {
        EXPECT_EQ(text.find(line), std::string::npos) << text;
    } else {
        EXPECT_NE(text.find(line + c.silenced + " mode runs very silent, asking nothing"),
                  std::string::npos)
            << text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    App, NoDesktop,
    ::testing::Values(DesktopCase{"", false, "wizard"}, DesktopCase{"/SILENT", false, "silent"},
                      DesktopCase{"/VERYSILENT", false, nullptr},
                      DesktopCase{"/VERYSILENT", true, nullptr}));

TEST(Desktop, TheSeamAnswersUntilItGoes) {
    const bool real = framework::HasVisibleDesktop();
    {
        framework::DesktopAnswerForTest answer(!real);
        EXPECT_EQ(framework::HasVisibleDesktop(), !real);
    }
    EXPECT_EQ(framework::HasVisibleDesktop(), real);
}

}  // namespace
