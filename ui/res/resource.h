// Numbers of the updater's resources: the code asks for every text, dialog and icon by these.
#pragma once

// Dialog templates.
#define IDD_ABOUT_BOX 100
#define IDD_UPDATER 102
#define IDD_PROGRESS 129
#define IDD_AUTO_MODE 130

// Application icon (title bar and minimised interactive dialog).
#define IDI_APP_ICON 128

// The version box's item in the interactive dialog's system menu. System-menu command ids must
// keep their low four bits clear (Windows uses them), and stay below 0xF000.
#define IDM_ABOUTBOX 0x0010

// Controls addressed by the dialogs' code.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
#define IDC_DRIVE_LIST 1000
#define IDC_UPDATE 1002
#define IDC_DRIVE_NAME 1004
#define IDC_CURRENT_VERSION 1005
#define IDC_IMAGE_VERSION 1006
#define IDC_PROGRESS_BAR 1007
#define IDC_COUNTDOWN 1008

// Message texts. Every message box takes its caption from IDS_APP_CAPTION.
#define IDS_ABOUT_MENU_ITEM 101
#define IDS_DRIVE_NOT_FOUND 102
#define IDS_ASPI_LOAD_FAILED 103
#define IDS_ASPI_SUPPORT_INFO_MISSING 104
#define IDS_ASPI_SEND_COMMAND_MISSING 105
#define IDS_UNKNOWN_OS 106
#define IDS_DISC_IN_DRIVE_PRESS_AGAIN 107
#define IDS_DEVICE_OPEN_FAILED 108
#define IDS_UPDATE_DONE_RESTART 109
#define IDS_UNEXPECTED_ERROR 110
#define IDS_COMMAND_ERROR_NOT_UPDATED 111
#define IDS_APP_CAPTION 112
#define IDS_NOTICE_OF_USE 113
#define IDS_FIRMWARE_FILE_NOT_FOUND 114
#define IDS_CLOSE_UPDATER_FIRST 115
#define IDS_UPDATE_FAILED 116
#define IDS_UPDATE_SUCCEEDED 117
#define IDS_INCOMPATIBLE_FIRMWARE 118
#define IDS_COMMAND_ERROR_STOPPED 119
#define IDS_FILE_OPEN_ERROR 120
#define IDS_UPDATE_UNNECESSARY 121
#define IDS_PLEASE_WAIT 122
#define IDS_DISC_IN_DRIVE_EJECT 123
#define IDS_RESTART_VERSIONS_NOTE 124
#define IDS_SECONDS_TO_GO 125
#define IDS_NOT_ADMINISTRATOR 126
#define IDS_MORE_THAN_ONE_DRIVE 127
