#pragma once
// Whether the user runs the program as a member of the local Administrators group.

// True only when the group's SID can be built, CheckTokenMembership succeeds and it reports
// membership for the calling thread's token.
bool UserIsAdministrator();
