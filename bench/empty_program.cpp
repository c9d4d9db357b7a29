// The reference of a whole run: a Win32 program of ours that starts and ends at once, built and
// linked as the updater is. Its start, exit and memory are what Wine and the C++ run-time cost
// any program, which the figures of the twin's run leave out.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return 0;
}
