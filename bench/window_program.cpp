// A second reference, for the share of Wine's windowing in the twin's figures: a Win32 program
// of ours that loads the common controls, creates one hidden window, answers its queued messages
// and ends. Under Wine this start brings up user32, the X11 driver and its connection to the
// display, which the empty program never loads.
#include <windows.h>
#include <commctrl.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    InitCommonControls();
    HWND window =
        CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, instance, nullptr);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    if (window != nullptr)
        DestroyWindow(window);
    return window != nullptr ? 0 : 1;
}
