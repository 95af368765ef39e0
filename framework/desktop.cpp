#include "framework/desktop.h"

#include <windows.h>

namespace framework {
namespace {

std::optional<bool> g_injected;

}  // namespace

bool HasVisibleDesktop() {
    if (g_injected) {
        return *g_injected;
    }
    // The process's own handle: not to be closed.
    HWINSTA station = ::GetProcessWindowStation();
    USEROBJECTFLAGS flags{};
    DWORD needed = 0;
    if (station == nullptr ||
        !::GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, &needed)) {
        return true;
    }
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}

DesktopAnswerForTest::DesktopAnswerForTest(bool visible) : previous_(g_injected) {
    g_injected = visible;
}

DesktopAnswerForTest::~DesktopAnswerForTest() { g_injected = previous_; }

}  // namespace framework
