// Discovery over sets of simulated devices, through pass-through and through ASPI.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "drive/aspi_transport.h"
#include "engine_test_support.h"
#include "sim/sim_drive_file.h"
#include "sim/sim_storage_stack.h"
#include "ui/auto_dlg.h"
#include "ui/res/resource.h"
#include "ui/updater_dlg.h"
#include "update/worker_launch.h"

namespace {

using sim::AspiAddress;
using sim::Fault;
using sim::SimDrive;
using sim::SimStorageStack;
using ::testing::ElementsAreArray;

const char KESTRAN_TEXT[] = "KESTRAN DVD-RW  XRW-T52A1.00 06/03/20";

SimDrive WithOemCodeAt30() {
    SimDrive drive = SimDrive::Kestran();
    drive.SetIdText(16, "..............0068ORVEDT  ");
    return drive;
}

SimDrive WithNulBeforeCode() {
    SimDrive drive = WithOemCodeAt30();
    drive.idBuffer[20] = 0;
    return drive;
}

SimDrive WithProduct(const std::string& vendor, const std::string& product) {
    SimDrive drive = SimDrive::Kestran();
    drive.identity.vendor = vendor;
    drive.identity.product = product;
    return drive;
}

std::vector<std::string> Lines(CComboBox& list) {
    std::vector<std::string> lines;
    for (int i = 0; i < list.GetCount(); ++i) {
        CString line;
        list.GetLBText(i, line);
        lines.push_back(line.str());
    }
    return lines;
}

std::vector<char> TableLetters(int count) {
    std::vector<char> letters;
    for (int i = 0; i < count; ++i)
        letters.push_back(static_cast<char>(g_DriveTable[i].DriveLetter));
    return letters;
}

class DriveScanTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dialog_.Create(IDD_UPDATER)); }

    EngineState state_;
    IdleUpdaterDlg dialog_;
};

TEST_F(DriveScanTest, LetterScanEntersExactlyTheSupportedModel) {
    const struct {
        const char* name;
        std::vector<std::pair<char, SimDrive>> devices;
        std::vector<char> entered;
    } cases[] = {
        {"OEM code at byte 30", {{'E', WithOemCodeAt30()}}, {'E'}},
        {"NUL before the OEM code", {{'E', WithNulBeforeCode()}}, {}},
        {"product differs in its last character",
         {{'E', WithProduct("KESTRAN ", "DVD-RW  XRW-T52B")}},
         {}},
        {"vendor in other case", {{'E', WithProduct("Kestran ", "DVD-RW  XRW-T52A")}}, {}},
        {"another maker's drive", {{'E', SimDrive::OtherModel()}}, {}},
        {"letters in order",
         {{'Z', SimDrive::Kestran()},
          {'D', SimDrive::Kestran()},
          {'E', SimDrive::OtherModel()},
          {'C', SimDrive::Kestran()}},
         {'C', 'D', 'Z'}},
    };
    std::vector<std::string> allLetters;
    for (char letter = 'C'; letter <= 'Z'; ++letter)
        allLetters.push_back(std::string("\\\\.\\") + letter + ":");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimStorageStack::Instance().Reset();
        SimStorageStack::Instance().Attach('A', SimDrive::Kestran());
        SimStorageStack::Instance().Attach('B', SimDrive::Kestran());
        for (const auto& device : c.devices)
            SimStorageStack::Instance().Attach(device.first, device.second);
        g_nTransport = TRANSPORT_PASS_THROUGH;
        g_nSelectedDrive = 3;

        int count = dialog_.ScanLetterDrives();

        ASSERT_EQ(static_cast<int>(c.entered.size()), count);
        EXPECT_EQ(count, g_nDriveCount);
        EXPECT_EQ(c.entered, TableLetters(count));
        std::vector<std::string> lines;
        for (char letter : c.entered)
            lines.push_back(std::string(1, letter) + ": " + KESTRAN_TEXT);
        EXPECT_EQ(lines, Lines(dialog_.m_cbDrive));
        std::vector<std::string> opened;
        for (const sim::OpenCall& open : SimStorageStack::Instance().OpenCalls())
            opened.push_back(open.path);
        EXPECT_EQ(allLetters, opened);
        EXPECT_EQ(nullptr, g_hDrive);
        EXPECT_EQ(0, SimStorageStack::Instance().OpenHandleCount());
        EXPECT_EQ(3, g_nSelectedDrive);
    }
}

TEST_F(DriveScanTest, SecondLetterScanKeepsTheEntriesBeyondItsCount) {
    SimStorageStack::Instance().Reset();
    SimStorageStack::Instance().Attach('D', SimDrive::Kestran());
    SimStorageStack::Instance().Attach('E', SimDrive::Kestran());
    g_nTransport = TRANSPORT_PASS_THROUGH;
    IdleAutoDlg automatic;
    ASSERT_EQ(2, automatic.ScanLetterDrives());
    SimStorageStack::Instance().Reset();
    SimStorageStack::Instance().Attach('F', SimDrive::Kestran());
    ASSERT_EQ(1, automatic.ScanLetterDrives());
    EXPECT_EQ(1, g_nDriveCount);
    EXPECT_EQ('F', g_DriveTable[0].DriveLetter);
    EXPECT_EQ('E', g_DriveTable[1].DriveLetter);
    EXPECT_EQ(0, g_DriveTable[0].HaId + g_DriveTable[0].TargetId + g_DriveTable[0].Lun);
}

// A device whose identification is still running after the wait is skipped; the scan goes on.
TEST_F(DriveScanTest, DeviceTooSlowToIdentifyIsSkipped) {
    SimStorageStack::Instance().Reset();
    SimStorageStack::Instance()
        .Attach('E', SimDrive::Kestran())
        .faults.push_back(Fault::Slow(sim::OP_READ_BUFFER, 6000));
    SimStorageStack::Instance().Attach('F', SimDrive::Kestran());
    g_nTransport = TRANSPORT_PASS_THROUGH;
    ASSERT_EQ(1, dialog_.ScanLetterDrives());
    EXPECT_EQ(0, SimStorageStack::Instance().ClosesWhileBusy());
    EXPECT_EQ('F', g_DriveTable[0].DriveLetter);
    EXPECT_EQ(std::vector<std::string>{std::string("F: ") + KESTRAN_TEXT},
              Lines(dialog_.m_cbDrive));
}

struct AspiDevice {
    AspiAddress address;
    SimDrive drive;
};

TEST_F(DriveScanTest, AspiScanEntersEveryDeviceWithTheOemCode) {
    const struct {
        const char* name;
        std::vector<AspiDevice> devices;
        std::vector<std::pair<int, int>> entered; // adapter, target
        std::vector<std::string> lines;
    } cases[] = {
        {"three drives on two adapters",
         {{{1, 2, 0}, SimDrive::Kestran()},
          {{0, 5, 0}, SimDrive::Kestran()},
          {{0, 1, 0}, SimDrive::Kestran()}},
         {{0, 1}, {0, 5}, {1, 2}},
         {std::string("SIM ADAPTER 0 ") + KESTRAN_TEXT,
          std::string("SIM ADAPTER 0 ") + KESTRAN_TEXT,
          std::string("SIM ADAPTER 1 ") + KESTRAN_TEXT}},
        {"another product with the OEM code",
         {{{0, 3, 0}, WithProduct("KESTRAN ", "DVD-RW  XRW-T52B")}},
         {{0, 3}},
         {"SIM ADAPTER 0 KESTRAN DVD-RW  XRW-T52B1.00 06/03/20"}},
        {"another maker's drive", {{{0, 3, 0}, SimDrive::OtherModel()}}, {}, {}},
        {"NUL before the OEM code", {{{1, 0, 0}, WithNulBeforeCode()}}, {}, {}},
    };
    LoadAspiLibrary();
    int serial = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sim::AspiSetup aspi("kestran_scan_" + std::to_string(++serial));
        aspi.AddAdapter("SIM ADAPTER 0");
        aspi.AddAdapter("SIM ADAPTER 1");
        for (const AspiDevice& device : c.devices)
            aspi.PutDrive(device.address, device.drive);
        aspi.Publish();
        g_nTransport = TRANSPORT_ASPI;
        std::memset(g_DriveTable, 0, sizeof g_DriveTable);

        int count = dialog_.ScanAspiDrives();

        ASSERT_EQ(static_cast<int>(c.entered.size()), count);
        std::vector<std::pair<int, int>> entered;
        for (int i = 0; i < count; ++i) {
            entered.emplace_back(g_DriveTable[i].HaId, g_DriveTable[i].TargetId);
            EXPECT_EQ(0, g_DriveTable[i].Lun);
            EXPECT_EQ(0, g_DriveTable[i].DriveLetter);
        }
        EXPECT_EQ(c.entered, entered);
        EXPECT_EQ(c.lines, Lines(dialog_.m_cbDrive));
        EXPECT_EQ(nullptr, g_hDrive);
    }
}

// 17 adapters with a drive at every target: the table takes 128 and the scan stops there.
TEST_F(DriveScanTest, AspiScanStopsWhenTheTableIsFull) {
    LoadAspiLibrary();
    sim::AspiSetup aspi("kestran_scan_full");
    for (int ha = 0; ha < 17; ++ha)
        aspi.AddAdapter("SIM ADAPTER " + std::to_string(ha));
    aspi.PutDrive({0, 0, 0}, SimDrive::Kestran());
    // One drive file serves every address, so that the setting stays small.
    const std::string shared = aspi.DriveFile({0, 0, 0});
    for (int ha = 0; ha < 17; ++ha)
        for (int target = 0; target < 8; ++target)
            aspi.Config().driveFiles[{static_cast<uint8_t>(ha), static_cast<uint8_t>(target), 0}] =
                shared;
    aspi.Publish();
    g_nTransport = TRANSPORT_ASPI;

    EXPECT_EQ(DRIVE_TABLE_CAPACITY, dialog_.ScanAspiDrives());
    EXPECT_EQ(DRIVE_TABLE_CAPACITY, g_nDriveCount);
    EXPECT_EQ(DRIVE_TABLE_CAPACITY, dialog_.m_cbDrive.GetCount());
    EXPECT_EQ(15, g_DriveTable[DRIVE_TABLE_CAPACITY - 1].HaId);
    EXPECT_EQ(7, g_DriveTable[DRIVE_TABLE_CAPACITY - 1].TargetId);
    // Two identification commands per drive entered, none for the 129th.
    EXPECT_EQ(2u * DRIVE_TABLE_CAPACITY, aspi.JournalOf({0, 0, 0}).size());
}

TEST_F(DriveScanTest, AspiScanWithoutUsableLayerFindsNothing) {
    LoadAspiLibrary();
    sim::AspiSetup aspi("kestran_scan_no_support");
    aspi.AddAdapter("SIM ADAPTER 0");
    aspi.PutDrive({0, 1, 0}, SimDrive::Kestran());
    aspi.Config().supportStatus = 0xE8;
    aspi.Publish();
    g_nTransport = TRANSPORT_ASPI;
    dialog_.m_cbDrive.InsertString(-1, "left over");
    EXPECT_EQ(0, dialog_.ScanAspiDrives());
    EXPECT_EQ(0, dialog_.m_cbDrive.GetCount());
    EXPECT_TRUE(aspi.JournalOf({0, 1, 0}).empty());
}

// A layer that answers the adapter count but lacks the command entry: nothing calls the entry.
TEST_F(DriveScanTest, AspiScanWithoutTheCommandEntryFindsNothing) {
    LoadAspiLibrary();
    sim::AspiSetup aspi("kestran_scan_no_command_entry");
    aspi.AddAdapter("SIM ADAPTER 0");
    aspi.PutDrive({0, 1, 0}, SimDrive::Kestran());
    aspi.Publish();
    g_nTransport = TRANSPORT_ASPI;
    SendASPI32CommandProc loaded = g_pfnSendASPI32Command;
    g_pfnSendASPI32Command = nullptr;
    EXPECT_EQ(0, dialog_.ScanAspiDrives());
    g_pfnSendASPI32Command = loaded;
    EXPECT_TRUE(aspi.JournalOf({0, 1, 0}).empty());
}

} // namespace
