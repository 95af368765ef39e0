#include <windows.h>

#include "app/renovo_app.h"
#include "app/restore_command.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    try {
        if (const auto folder = app::RestoreRequest(commandLine != nullptr ? commandLine : "")) {
            return app::RunRestore(*folder);
        }
        CRenovoApp app(instance);
        return app.Run();
    } catch (...) {
        return 1;  // nothing was shown that could still be saved
    }
}
