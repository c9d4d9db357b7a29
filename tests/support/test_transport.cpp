#include "tests/support/test_transport.h"

#include <stdexcept>

#include "drive/aspi_transport.h"
#include "drive/shared_state.h"
#include "sim/sim_drive_file.h"
#include "sim/sim_storage_stack.h"

namespace {

constexpr sim::AspiAddress DRIVE_ADDRESS{0, 1, 0};

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
    AspiTransport() { m_setup.AddAdapter("SIM ADAPTER 0"); }
    std::string Name() const override { return "Aspi"; }

    void Install(const sim::SimDrive& drive) override {
        LoadAspiLibrary();
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
        return "kestran_test_aspi." + std::to_string(++serial);
    }
    sim::AspiSetup m_setup{FolderName()};
};

} // namespace

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
