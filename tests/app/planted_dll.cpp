// A DLL that stands for one an attacker places beside the program (a download folder, a share
// others may write) under the name of one that Windows loads by name.
#include <windows.h>

extern "C" __declspec(dllexport) int RenovoPlanted() {
    return 42;
}
