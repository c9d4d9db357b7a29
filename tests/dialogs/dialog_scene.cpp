#include "dialog_scene.h"

#include <mutex>
#include <thread>

#include "drive/shared_state.h"
#include "framework/cwinapp.h"
#include "sim/sim_drive_file.h"
#include "sim/sim_restart.h"
#include "sim/sim_storage_stack.h"
#include "tests/support/process_windows.h"
#include "tests/support/updater_mutex_held.h"
#include "tests/support/worker_end.h"
#include "ui/res/resource.h"
#include "update/notify.h"
#include "update/worker_launch.h"

namespace {

constexpr DWORD POLL_MS = 5;
constexpr char FIRST_LETTER = 'E';
constexpr uint8_t ASPI_ADAPTER = 0;
constexpr uint8_t FIRST_ASPI_TARGET = 1;

sim::AspiAddress AspiAddressOf(int index) {
    return {ASPI_ADAPTER, static_cast<uint8_t>(FIRST_ASPI_TARGET + index), 0};
}

char LetterOf(int index) {
    return static_cast<char>(FIRST_LETTER + index);
}

// Posted to the dialog's thread behind other messages; the hook notes its number once the
// thread has taken it from its queue, so every message posted before it has been handled.
UINT SettleMessage() {
    static const UINT message = RegisterWindowMessageA("KestranDialogTestSettle");
    return message;
}
std::atomic<LONG> g_lastSettled{0};
std::atomic<LONG> g_nextSettle{0};

LRESULT CALLBACK NoteSettle(int code, WPARAM removal, LPARAM message) {
    const MSG* msg = reinterpret_cast<const MSG*>(message);
    if (code == HC_ACTION && removal == PM_REMOVE && msg->message == SettleMessage())
        g_lastSettled = static_cast<LONG>(msg->wParam);
    return CallNextHookEx(nullptr, code, removal, message);
}

// The settle hook on the thread that runs the dialog, for as long as it runs.
class SettleHook {
public:
    SettleHook()
        : m_hook(SetWindowsHookExA(WH_GETMESSAGE, &NoteSettle, nullptr, GetCurrentThreadId())) {}
    ~SettleHook() { UnhookWindowsHookEx(m_hook); }

private:
    HHOOK m_hook;
};

// A start that ended before its message loop leaves its quit message behind.
void DropQuitMessage() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

void DestroyProgressDialog(CWnd* progress) {
    // Its window's end deletes the object.
    if (progress != nullptr)
        progress->DestroyWindow();
}

// Runs this thread's messages as the application's loop does until the quit message.
int PumpUntilQuit(DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                return static_cast<int>(msg.wParam);
            if (!WalkPreTranslateTree(&msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return -1;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(timeoutMs - elapsed, 50),
                                  QS_ALLINPUT);
    }
}

std::mutex g_enableLock;
std::vector<EnableRecorder::Step> g_enableSteps;

bool SystemCloseEnabledOf(HWND dialog) {
    HMENU menu = GetSystemMenu(dialog, FALSE);
    UINT state = GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && (state & (MF_DISABLED | MF_GRAYED)) == 0;
}

LRESULT CALLBACK NoteEnable(int code, WPARAM sent, LPARAM message) {
    const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(message);
    // The dialog's own controls only, not the parts a combo box is made of.
    HWND parent = code == HC_ACTION ? GetParent(call->hwnd) : nullptr;
    if (parent != nullptr && call->message == WM_ENABLE && ClassNameOf(parent) == "#32770" &&
        (GetWindowLongA(call->hwnd, GWL_STYLE) & WS_CHILD) != 0) {
        std::lock_guard<std::mutex> guard(g_enableLock);
        g_enableSteps.push_back(
            {GetDlgCtrlID(call->hwnd), call->wParam != 0, SystemCloseEnabledOf(parent)});
    }
    return CallNextHookEx(nullptr, code, sent, message);
}

} // namespace

Transport TransportOfThisRun() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    return version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? Transport::Aspi
                                                              : Transport::PassThrough;
}

DialogScene::DialogScene(const MainImageHeader& image)
    : m_transport(TransportOfThisRun()), m_images(image) {
    SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &m_screenSaverBefore, 0);
    sim::SimStorageStack::Instance().Reset();
    sim::SimRestart::Instance().Reset();
    if (m_transport == Transport::Aspi) {
        m_aspi = std::make_unique<sim::AspiSetup>("dialog_scene");
        m_aspi->AddAdapter("SIM ADAPTER 0");
        m_aspi->Publish();
    }
}

DialogScene::~DialogScene() {
    for (std::thread& happening : m_happenings)
        happening.join();
    EndWorkers();
    DestroyProgressDialog(g_pIndicator);
    DestroyProgressDialog(g_pAutoIndicator);
    DropQuitMessage();
    ReleaseUpdaterMutex();
    sim::SimRestart::Instance().Reset();
    sim::SimStorageStack::Instance().Reset();
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, m_screenSaverBefore, nullptr, SPIF_SENDCHANGE);
}

void DialogScene::AddDrive(const sim::SimDrive& drive) {
    const int index = m_drives++;
    if (m_transport == Transport::PassThrough) {
        sim::SimStorageStack::Instance().Attach(LetterOf(index), drive);
        return;
    }
    m_aspi->PutDrive(AspiAddressOf(index), drive);
    m_aspi->Publish();
}

void DialogScene::Meanwhile(std::function<void()> happening) {
    m_happenings.emplace_back(std::move(happening));
}

void DialogScene::AddDriveAfterTheFirstScan(const sim::SimDrive& drive) {
    Meanwhile([this, drive] {
        if (m_transport == Transport::PassThrough) {
            const std::string lastLetter = "\\\\.\\Z:";
            WaitUntil([&] {
                const std::vector<std::string> opens = Opens();
                return std::find(opens.begin(), opens.end(), lastLetter) != opens.end();
            });
        } else {
            Sleep(2000);
        }
        AddDrive(drive);
    });
}

void DialogScene::Unplug(int index) {
    sim::SimStorageStack::Instance().Unplug(LetterOf(index));
}

sim::SimDrive DialogScene::Drive(int index) const {
    if (m_transport == Transport::PassThrough)
        return sim::SimStorageStack::Instance().Drive(LetterOf(index));
    sim::SimDrive drive = sim::OpenDriveFile(m_aspi->DriveFile(AspiAddressOf(index)));
    drive.journal = m_aspi->JournalOf(AspiAddressOf(index));
    return drive;
}

std::vector<std::string> DialogScene::Opens() const {
    std::vector<std::string> paths;
    for (const sim::OpenCall& open : sim::SimStorageStack::Instance().OpenCalls())
        paths.push_back(open.path);
    return paths;
}

void DialogScene::SetScreenSaverActive(bool active) {
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, active, nullptr, SPIF_SENDCHANGE);
}

bool DialogScene::ScreenSaverActive() {
    BOOL active = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
    return active != FALSE;
}

BOOL WatchedUpdaterDlg::OnInitDialog() {
    window = m_hWnd;
    BOOL result = CUpdaterDlg::OnInitDialog();
    initialised = true;
    return result;
}

bool DialogUser::WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) const {
    return WaitUntil(condition, timeoutMs);
}

std::string DialogUser::Text(int controlId) const {
    char text[1024] = {};
    GetDlgItemTextA(m_dialog, controlId, text, sizeof text);
    return text;
}

bool DialogUser::Enabled(int controlId) const {
    return IsWindowEnabled(GetDlgItem(m_dialog, controlId)) != FALSE;
}

bool DialogUser::SystemCloseEnabled() const {
    return SystemCloseEnabledOf(m_dialog);
}

void DialogUser::Click(int controlId) const {
    Post(WM_COMMAND, MAKEWPARAM(controlId, BN_CLICKED),
         reinterpret_cast<LPARAM>(GetDlgItem(m_dialog, controlId)));
}

void DialogUser::Select(int index) const {
    HWND list = GetDlgItem(m_dialog, IDC_DRIVE_LIST);
    SendMessageA(list, CB_SETCURSEL, index, 0);
    Post(WM_COMMAND, MAKEWPARAM(IDC_DRIVE_LIST, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    // A user's next pick comes after the dialog has seen this one.
    Settle();
}

LRESULT DialogUser::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
    return SendMessageA(m_dialog, message, wParam, lParam);
}

void DialogUser::Post(UINT message, WPARAM wParam, LPARAM lParam) const {
    PostMessageA(m_dialog, message, wParam, lParam);
}

void DialogUser::PressKey(WPARAM virtualKey) const {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(m_dialog, nullptr), &info);
    HWND target = info.hwndFocus != nullptr ? info.hwndFocus : m_dialog;
    const UINT scan = MapVirtualKeyA(static_cast<UINT>(virtualKey), 0);
    PostMessageA(target, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
    PostMessageA(target, WM_KEYUP, virtualKey, 1 | (scan << 16) | 0xC0000000u);
    Settle();
}

void DialogUser::Settle() const {
    const LONG number = ++g_nextSettle;
    PostMessageA(m_dialog, SettleMessage(), static_cast<WPARAM>(number), 0);
    WaitFor([number] { return g_lastSettled.load() >= number; });
}

bool VersionsShown(const DialogUser& user) {
    return !user.Text(IDC_CURRENT_VERSION).empty();
}

HWND VisibleProgressDialog() {
    return VisibleDialogWithControl(GetCurrentProcessId(), IDC_PROGRESS_BAR);
}

ModalRun RunModal(WatchedUpdaterDlg& dialog, const std::function<void(DialogUser&)>& user) {
    ModalRun run;
    std::atomic<bool> ended{false};
    SettleHook hook;
    std::thread userThread([&] {
        while (!ended && !(dialog.initialised && IsWindowVisible(dialog.window)))
            Sleep(POLL_MS);
        if (ended || !user)
            return;
        DialogUser acting(dialog.window);
        user(acting);
        run.userDone = true;
    });
    run.result = dialog.DoModal();
    ended = true;
    userThread.join();
    run.window = dialog.window;
    return run;
}

AutoRun RunAutoMode(const std::function<void(DialogUser&)>& user,
                    const std::function<void(CAutoDlg&)>& afterQuit, DWORD timeoutMs) {
    AutoRun run;
    SettleHook hook;
    auto dialog = std::make_unique<CAutoDlg>();
    run.window = dialog->m_hWnd;
    std::thread userThread;
    if (user)
        userThread = std::thread([&] {
            DialogUser acting(run.window);
            user(acting);
            run.userDone = true;
        });
    run.exitCode = PumpUntilQuit(timeoutMs);
    if (userThread.joinable())
        userThread.join();
    if (afterQuit)
        afterQuit(*dialog);
    dialog.reset();
    return run;
}

EnableRecorder::EnableRecorder()
    : m_hook(SetWindowsHookExA(WH_CALLWNDPROC, &NoteEnable, nullptr, GetCurrentThreadId())) {
    Clear();
}

EnableRecorder::~EnableRecorder() {
    UnhookWindowsHookEx(m_hook);
}

std::vector<EnableRecorder::Step> EnableRecorder::Steps() const {
    std::lock_guard<std::mutex> guard(g_enableLock);
    return g_enableSteps;
}

void EnableRecorder::Clear() {
    std::lock_guard<std::mutex> guard(g_enableLock);
    g_enableSteps.clear();
}
