#pragma once
// Resource numbers of the framework's test program.

#define IDD_TEST_DIALOG 200

#define IDC_DRIVE_LIST 1000
#define IDC_UPDATE 1002
#define IDC_PROGRESS 1007
#define IDC_COUNTDOWN 1008

// Strings in two blocks of the table (96..111 and 112..127) and one in a block of its own.
#define IDS_MENU_ITEM 101
#define IDS_CAPTION 112
#define IDS_PLEASE_WAIT 122
#define IDS_OTHER_BLOCK 300
// Numbers without a string: one inside a block that exists, one in a block that does not.
#define IDS_MISSING_IN_BLOCK 100
#define IDS_MISSING_BLOCK 2000
