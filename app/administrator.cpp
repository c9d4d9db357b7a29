#include "administrator.h"

#include <windows.h>

bool UserIsAdministrator() {
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &administrators))
        return false;
    BOOL member = FALSE;
    const bool checked = CheckTokenMembership(nullptr, administrators, &member) != FALSE;
    FreeSid(administrators);
    return checked && member != FALSE;
}
