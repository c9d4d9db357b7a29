// The program's entry: the one application object, and WinMain handing over to the framework.
#include <windows.h>

#include "app/updater_app.h"

CUpdaterApp theApp;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand) {
    return AfxWinMain(instance, previous, commandLine, showCommand);
}
