// Whether anyone could see this process's windows. A fleet tool runs an installer as SYSTEM in
// session 0, or a service does: its window station is not visible, so a question put there waits
// for ever. Such a run must not ask.
#pragma once

#include <optional>

namespace framework {

// True when the process's window station is the visible, interactive one (WSF_VISIBLE); false
// in a service's or session 0's. A window station that cannot be asked counts as visible, so
// that a doubt never silences a user who is there.
bool HasVisibleDesktop();

// The seam: while set, HasVisibleDesktop answers `answer` without asking Windows. Tests stand a
// service's session in this way; nothing else sets it.
class DesktopAnswerForTest {
public:
    explicit DesktopAnswerForTest(bool visible);
    ~DesktopAnswerForTest();
    DesktopAnswerForTest(const DesktopAnswerForTest&) = delete;
    DesktopAnswerForTest& operator=(const DesktopAnswerForTest&) = delete;

private:
    std::optional<bool> previous_;
};

}  // namespace framework
