#pragma once
// The worker operations and the completion message that a worker posts to its dialog.

#include <windows.h>

// Operation codes, stored in g_nOperation before a worker starts.
constexpr int OP_TEST_UNIT_READY = 0;
constexpr int OP_REQUEST_SENSE = 3;
constexpr int OP_INQUIRY = 18;
constexpr int OP_WRITE_BUFFER = 59;
constexpr int OP_READ_BUFFER = 60;
constexpr int OP_IDENTIFY = 274;
constexpr int OP_READ_OEM_ID = 316;
constexpr int OP_RAW_CDB = 1300;
constexpr int OP_CHECK_DISC = 1301;
constexpr int OP_READ_DRIVE_INFO = 1302;
constexpr int OP_UPDATE = 1303;

// Posted, never sent, to the worker's dialog.
constexpr UINT WM_UPDATER_NOTIFY = WM_APP + 1;

// wParam: what has happened.
constexpr WPARAM NOTIFY_NONE = 0;
constexpr WPARAM NOTIFY_UPDATE_OK = 1;
constexpr WPARAM NOTIFY_UPDATE_FAILED = 2;
constexpr WPARAM NOTIFY_DRIVE_INFO = 3;
constexpr WPARAM NOTIFY_OPEN_PROGRESS = 4;

// lParam: whether the worker is done with the device.
constexpr LPARAM NOTIFY_MIDWAY = 0;
constexpr LPARAM NOTIFY_FINISHED = 5;
