// A wnaspi32.dll that loads but offers neither ASPI entry point: what a damaged or foreign
// library of that name looks like to the updater.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
