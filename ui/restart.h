#pragma once
// The restart of Windows after a successful interactive update.

#include <windows.h>

// Asks Windows to restart at once (EWX_REBOOT | EWX_FORCE, reason 0). On the NT family the
// process first enables its shutdown privilege; Windows 9x has none. True when Windows took the
// request.
bool RequestRestart();
