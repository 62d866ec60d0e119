// The DLL entry point. This file is used for Windows only.
#include <windows.h>

// Nothing to set up or tear down: every export works on its own call's data.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
