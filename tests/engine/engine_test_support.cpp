#include "engine_test_support.h"

#include <cstring>
#include <mutex>
#include <stdexcept>

#include "drive/aspi_transport.h"
#include "drive/pass_through.h"
#include "sim/sim_drive_file.h"
#include "sim/sim_storage_stack.h"
#include "tests/support/message_pump.h"
#include "tests/support/worker_end.h"
#include "update/notify.h"
#include "update/worker_launch.h"
#include "update/worker_operation.h"

namespace {

std::mutex g_seenLock;
std::vector<Notification> g_seen;

LRESULT CALLBACK RecordNotification(int code, WPARAM removal, LPARAM message) {
    const MSG* msg = reinterpret_cast<const MSG*>(message);
    if (code == HC_ACTION && removal == PM_REMOVE && msg->message == WM_UPDATER_NOTIFY) {
        std::lock_guard<std::mutex> guard(g_seenLock);
        g_seen.push_back({msg->hwnd, msg->wParam, msg->lParam});
    }
    return CallNextHookEx(nullptr, code, removal, message);
}

} // namespace

BEGIN_MESSAGE_MAP(IdleUpdaterDlg, CUpdaterDlg)
ON_MESSAGE(WM_UPDATER_NOTIFY, &IdleUpdaterDlg::OnEngineNotify)
END_MESSAGE_MAP()

LRESULT IdleUpdaterDlg::OnEngineNotify(WPARAM wParam, LPARAM lParam) {
    CloseDeviceOnFinalMessage(lParam);
    if (wParam == NOTIFY_DRIVE_INFO)
        CheckFirmwareVersion();
    return 0;
}

BEGIN_MESSAGE_MAP(IdleAutoDlg, CAutoDlg)
ON_MESSAGE(WM_UPDATER_NOTIFY, &IdleAutoDlg::OnEngineNotify)
END_MESSAGE_MAP()

IdleAutoDlg::IdleAutoDlg() {
    MSG msg;
    while (PeekMessageA(&msg, m_hWnd, WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE)) {
    }
    PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

LRESULT IdleAutoDlg::OnEngineNotify(WPARAM, LPARAM lParam) {
    CloseDeviceOnFinalMessage(lParam);
    return 0;
}

EngineState::~EngineState() {
    EndWorkers();
}

NotifyRecorder::NotifyRecorder()
    : m_hook(SetWindowsHookExA(WH_GETMESSAGE, &RecordNotification, nullptr, GetCurrentThreadId())) {
    std::lock_guard<std::mutex> guard(g_seenLock);
    g_seen.clear();
}

NotifyRecorder::~NotifyRecorder() {
    UnhookWindowsHookEx(m_hook);
}

std::vector<Notification> NotifyRecorder::Seen() const {
    std::lock_guard<std::mutex> guard(g_seenLock);
    return g_seen;
}

bool NotifyRecorder::PumpUntil(WPARAM what, DWORD timeoutMs) const {
    return PumpMessagesUntil(
        [this, what] {
            for (const Notification& seen : Seen())
                if (seen.what == what)
                    return !NotificationPending(seen.window);
            return false;
        },
        timeoutMs);
}

bool NotificationPending(HWND window) {
    MSG msg;
    return PeekMessageA(&msg, window, WM_UPDATER_NOTIFY, WM_UPDATER_NOTIFY, PM_NOREMOVE) != 0;
}
