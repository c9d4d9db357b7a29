#include "session_guard.h"

#include "ui/dialog_texts.h"
#include "ui/res/resource.h"

BOOL AllowSessionEnd(CWnd& dialog, BOOL frameworkAllows, BOOL updateDone) {
    if (!frameworkAllows)
        return FALSE;
    if (updateDone)
        return TRUE;
    ShowText(dialog, IDS_CLOSE_UPDATER_FIRST, MB_ICONWARNING);
    return FALSE;
}

bool RefuseSuspend(UINT message, WPARAM wParam, LRESULT* result) {
    if (message != WM_POWERBROADCAST || wParam != PBT_APMQUERYSUSPEND)
        return false;
    *result = BROADCAST_QUERY_DENY;
    return true;
}
