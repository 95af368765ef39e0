#include <windows.h>

#include "app/renovo_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    try {
        CRenovoApp app(instance);
        return app.Run();
    } catch (...) {
        return 1;  // nothing was shown that could still be saved
    }
}
