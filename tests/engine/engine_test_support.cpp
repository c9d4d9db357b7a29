#include "engine_test_support.h"

#include <cstring>
#include <mutex>
#include <stdexcept>

#include "drive/aspi_transport.h"
#include "drive/pass_through.h"
#include "sim/sim_drive_file.h"
#include "sim/sim_storage_stack.h"
#include "tests/support/message_pump.h"
#include "update/notify.h"
#include "update/worker_launch.h"

namespace {

constexpr sim::AspiAddress DRIVE_ADDRESS{0, 1, 0};

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

class PassThroughTransport : public TestTransport {
public:
    std::string Name() const override { return "PassThrough"; }
    void Install(const sim::SimDrive& drive) override {
        sim::SimStorageStack::Instance().Reset();
        sim::SimStorageStack::Instance().Attach('E', drive);
        g_nTransport = TRANSPORT_PASS_THROUGH;
        g_DriveTable[0] = {0, 0, 0, 'E'};
        g_nDriveCount = 1;
        g_nSelectedDrive = 0;
    }
    sim::SimDrive Drive() const override { return sim::SimStorageStack::Instance().Drive('E'); }
};

class AspiTransport : public TestTransport {
public:
    std::string Name() const override { return "Aspi"; }
    void Install(const sim::SimDrive& drive) override {
        LoadAspiLibrary();
        m_setup.AddAdapter("SIM ADAPTER 0");
        m_setup.PutDrive(DRIVE_ADDRESS, drive);
        m_setup.Publish();
        g_nTransport = TRANSPORT_ASPI;
        g_DriveTable[0] = {DRIVE_ADDRESS.haId, DRIVE_ADDRESS.target, DRIVE_ADDRESS.lun, 0};
        g_nDriveCount = 1;
        g_nSelectedDrive = 0;
    }
    sim::SimDrive Drive() const override {
        sim::SimDrive drive = sim::OpenDriveFile(m_setup.DriveFile(DRIVE_ADDRESS));
        drive.journal = m_setup.JournalOf(DRIVE_ADDRESS);
        return drive;
    }

private:
    static std::string FolderName() {
        static int serial = 0;
        return "kestran_engine_aspi." + std::to_string(++serial);
    }
    sim::AspiSetup m_setup{FolderName()};
};

} // namespace

EngineState::EngineState() {
    AllocTransferBuffers();
    ResetSharedState();
    g_hDrive = nullptr;
    g_nDriveCount = 0;
    g_nSelectedDrive = 0;
    g_nOperation = 0;
    std::memset(g_DriveTable, 0, sizeof g_DriveTable);
}

EngineState::~EngineState() {
    WaitForLastWorker();
    // A final message still queued would otherwise reach the next test's dialog.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_UPDATER_NOTIFY, WM_UPDATER_NOTIFY, PM_REMOVE)) {
    }
    CloseDriveDevice(&g_hDrive);
    FreeTransferBuffers();
    g_pUpdaterDlg = nullptr;
    g_pAutoDlg = nullptr;
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

ImageFolder::ImageFolder(const ImageFields& fields) : m_files("kestran_engine_images") {
    m_header.version = fields.version;
    m_header.date = fields.date;
    m_files.WriteMainImage(MakeMainImage(m_header));
    m_files.WriteSubImage(MakeSubImage());
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    m_previousDirectory = current;
    SetCurrentDirectoryA(m_files.Path().c_str());
}

ImageFolder::~ImageFolder() {
    SetCurrentDirectoryA(m_previousDirectory.c_str());
}

void ImageFolder::TruncateMain(DWORD length) const {
    m_files.WriteMainImage(MakeMainImage(m_header, length));
}

std::unique_ptr<TestTransport> MakePassThrough() {
    return std::make_unique<PassThroughTransport>();
}

std::unique_ptr<TestTransport> MakeAspi() {
    return std::make_unique<AspiTransport>();
}

void LoadAspiLibrary() {
    if (g_pfnSendASPI32Command == nullptr)
        SelectTransport();
    if (g_pfnSendASPI32Command == nullptr)
        throw std::runtime_error("the simulated wnaspi32.dll did not load: run as Windows 98");
}

std::vector<uint8_t> Opcodes(const sim::SimDrive& drive) {
    std::vector<uint8_t> opcodes;
    for (const sim::JournalEntry& entry : drive.journal)
        opcodes.push_back(entry.command.Opcode());
    return opcodes;
}
