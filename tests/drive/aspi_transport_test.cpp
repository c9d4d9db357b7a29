// The ASPI transport on Windows 98 with our simulated wnaspi32.dll, and the transport choice when
// the library is missing or lacks its entry points. Each group runs in its own registration of
// this program (tests/drive/CMakeLists.txt), since the library a process loads stays loaded.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "aspi_test_support.h"
#include "drive/aspi_transport.h"
#include "drive/shared_state.h"
#include "sim/aspi/sim_aspi_setup.h"
#include "tests/support/bytes.h"
#include "tests/support/shared_state_scope.h"

namespace {

using sim::AspiAddress;
using sim::Fault;
using sim::SenseCode;
using sim::SimDirection;
using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

using AspiEntry = int (*)(int, uint32_t, const uint8_t*);

constexpr AspiAddress FIRST_DRIVE{0, 1, 0};
constexpr AspiAddress SECOND_DRIVE{1, 3, 1};
constexpr AspiAddress EMPTY_TARGET{0, 5, 0};

const char TEXT_CANNOT_LOAD[] = "cannot load wnaspi32.dll";
const char TEXT_NO_SUPPORT_INFO[] = "cannot get addres of ASPI32SupportInfo()";
const char TEXT_NO_SEND_COMMAND[] = "cannot get address of SendASPI32Command()";

const uint8_t INQUIRY_48[12] = {0x12, 0, 0, 0, 0x30};
const uint8_t TEST_UNIT_READY[12] = {};
const SenseCode NO_MEDIUM{0x02, 0x3A, 0x00};

DriveAddress TableEntry(AspiAddress address, char letter) {
    return {address.haId, address.target, address.lun, static_cast<uint8_t>(letter)};
}

bool PlatformIsWindows9x() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    return version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

// Two adapters; the supported drive at 0:1:0 and a second one at 1:3:1. Drive-table entry 0
// addresses the first, entry 1 the second.
class AspiTransportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(PlatformIsWindows9x()) << "the Windows 98 setting for this exe is missing";
        aspi_.AddAdapter("SIM ADAPTER 0");
        aspi_.AddAdapter("SIM ADAPTER 1");
        aspi_.PutDrive(FIRST_DRIVE, sim::SimDrive::Kestran());
        aspi_.PutDrive(SECOND_DRIVE, sim::SimDrive::Kestran());
        aspi_.Publish();

        ASSERT_NE(nullptr, g_pReadBuffer);
        g_DriveTable[0] = TableEntry(FIRST_DRIVE, 'E');
        g_DriveTable[1] = TableEntry(SECOND_DRIVE, 'F');
        g_nSelectedDrive = 0;
        TakeDiagLog();
        SelectTransport();
        ASSERT_EQ(TRANSPORT_ASPI, g_nTransport);
        ASSERT_NE(nullptr, g_pfnSendASPI32Command);
        ASSERT_EQ(0x0102u, g_pfnGetASPI32SupportInfo())
            << "Wine's own wnaspi32 was loaded: run with WINEDLLOVERRIDES=wnaspi32=n";
    }

    SharedStateScope state_;

    // Makes the drive at address end a command with fault.
    void PlanFault(AspiAddress address, const Fault& fault) {
        sim::SimDrive drive = sim::SimDrive::Kestran();
        drive.faults.push_back(fault);
        aspi_.UpdateDrive(address, drive);
    }

    sim::AspiSetup aspi_{"kestran_aspi_transport"};
};

TEST_F(AspiTransportTest, Windows98LoadsTheLibraryWithBothEntryPoints) {
    EXPECT_NE(nullptr, g_hAspiLib);
    EXPECT_NE(nullptr, g_pfnGetASPI32SupportInfo);
    EXPECT_NE(nullptr, g_pfnSendASPI32Command);
    EXPECT_TRUE(TakeDiagLog().empty());
}

TEST_F(AspiTransportTest, RequestBlockFollowsTheDirectionCode) {
    enum class Buffer { Read, Write, None };
    const struct {
        const char* name;
        AspiEntry entry;
        int direction;
        uint32_t transferLength;
        uint8_t flags;
        Buffer buffer;
        SimDirection received;
    } cases[] = {
        {"in", AspiExecute6, DIR_IN, 48, 0x48, Buffer::Read, SimDirection::In},
        {"out", AspiExecute6, DIR_OUT, 16, 0x50, Buffer::Write, SimDirection::Out},
        {"none", AspiExecute6, DIR_NONE, 0, 0x40, Buffer::None, SimDirection::Unspecified},
        {"unknown code", AspiExecute6, 7, 0, 0x40, Buffer::None, SimDirection::Unspecified},
        {"scan in", AspiScanExecute6, DIR_IN, 48, 0x48, Buffer::Read, SimDirection::In},
        {"scan out", AspiScanExecute6, DIR_OUT, 16, 0x50, Buffer::Write, SimDirection::Out},
        {"scan none", AspiScanExecute6, DIR_NONE, 0, 0x50, Buffer::Write, SimDirection::Out},
    };
    g_ScanHa = FIRST_DRIVE.haId;
    g_ScanTarget = FIRST_DRIVE.target;
    for (int i = 0; i < 16; ++i)
        g_pWriteBuffer[i] = static_cast<uint8_t>(0xA0 + i);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.entry(c.direction, c.transferLength, INQUIRY_48);

        const uint8_t* buffers[] = {g_pReadBuffer, g_pWriteBuffer, nullptr};
        EXPECT_EQ(SC_EXEC_SCSI_CMD, g_Srb.SRB_Cmd);
        EXPECT_EQ(c.flags, g_Srb.SRB_Flags);
        // Compared as addresses: printed as uint8_t*, a buffer would be printed as a text.
        EXPECT_EQ(static_cast<const void*>(buffers[static_cast<int>(c.buffer)]),
                  static_cast<const void*>(g_Srb.SRB_BufPointer));
        EXPECT_EQ(c.transferLength, g_Srb.SRB_BufLen);
        EXPECT_EQ(22, g_Srb.SRB_SenseLen);
        EXPECT_NE(nullptr, g_Srb.SRB_PostProc);

        const sim::Journal journal = aspi_.JournalOf(FIRST_DRIVE);
        ASSERT_FALSE(journal.empty());
        const sim::JournalEntry& received = journal.back();
        EXPECT_EQ(c.received, received.command.direction);
        EXPECT_EQ(c.transferLength, received.command.transferLength);
        if (c.buffer == Buffer::Write && c.transferLength > 0) {
            EXPECT_THAT(received.command.dataOut, ElementsAreArray(g_pWriteBuffer, 16));
        }
    }
}

TEST_F(AspiTransportTest, GoodCommandReturnsOneAndLeavesTheDataInTheReadBuffer) {
    std::memset(g_pReadBuffer, 0, 64);
    EXPECT_EQ(1, AspiExecute6(DIR_IN, 48, INQUIRY_48));
    EXPECT_EQ(SS_COMP, g_nCmdStatus);
    EXPECT_EQ(SS_COMP, g_Srb.SRB_Status);
    EXPECT_EQ(0, g_Srb.SRB_TargStat);
    EXPECT_EQ(0, g_Srb.SRB_HaStat);
    EXPECT_EQ("KESTRAN DVD-RW  XRW-T52A",
              std::string(reinterpret_cast<char*>(g_pReadBuffer) + 8, 24));
    EXPECT_THAT(Bytes(g_pReadBuffer + 48, 16), Each(0));
}

TEST_F(AspiTransportTest, AddressComesFromTheSelectedEntryOrTheScanAddress) {
    const struct {
        const char* name;
        AspiEntry entry;
        int selectedDrive;
        AspiAddress expected;
        AspiAddress untouched;
    } cases[] = {
        {"entry 0", AspiExecute12, 0, FIRST_DRIVE, SECOND_DRIVE},
        {"entry 1", AspiExecute12, 1, SECOND_DRIVE, FIRST_DRIVE},
        {"scan address, not the selected entry", AspiScanExecute12, 1, FIRST_DRIVE, SECOND_DRIVE},
    };
    g_ScanHa = FIRST_DRIVE.haId;
    g_ScanTarget = FIRST_DRIVE.target;
    g_ScanLun = FIRST_DRIVE.lun;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        size_t before = aspi_.JournalOf(c.expected).size();
        size_t otherBefore = aspi_.JournalOf(c.untouched).size();
        g_nSelectedDrive = c.selectedDrive;
        EXPECT_EQ(1, c.entry(DIR_NONE, 0, TEST_UNIT_READY));
        EXPECT_EQ(c.expected.haId, g_Srb.SRB_HaId);
        EXPECT_EQ(c.expected.target, g_Srb.SRB_Target);
        EXPECT_EQ(c.expected.lun, g_Srb.SRB_Lun);
        EXPECT_EQ(before + 1, aspi_.JournalOf(c.expected).size());
        EXPECT_EQ(otherBefore, aspi_.JournalOf(c.untouched).size());
    }
}

// The transport owns only the fields it fills; the CDB's last four bytes and the reserved
// fields keep whatever was there.
TEST_F(AspiTransportTest, EachEntryNamesItsCdbLengthAndWritesOnlyTwelveCdbBytes) {
    const struct {
        const char* name;
        AspiEntry entry;
        int cdbLength;
    } cases[] = {
        {"AspiExecute6", AspiExecute6, 6},
        {"AspiExecute10", AspiExecute10, 10},
        {"AspiExecute12", AspiExecute12, 12},
        {"AspiScanExecute6", AspiScanExecute6, 6},
        {"AspiScanExecute12", AspiScanExecute12, 12},
    };
    const uint8_t cdb[12] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55,
                             0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB};
    g_ScanHa = FIRST_DRIVE.haId;
    g_ScanTarget = FIRST_DRIVE.target;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const uint8_t tail[4] = {0xA5, 0x5A, 0xC3, 0x3C};
        std::memcpy(g_Srb.CDBByte + 12, tail, 4);
        g_Srb.SRB_Hdr_Rsvd = 0x11223344;
        g_Srb.SRB_Rsvd1 = 0x5566;
        std::memset(g_Srb.SRB_Rsvd2, 0x77, sizeof g_Srb.SRB_Rsvd2);

        EXPECT_EQ(1, c.entry(DIR_NONE, 0, cdb));
        EXPECT_EQ(c.cdbLength, g_Srb.SRB_CDBLen);
        EXPECT_THAT(Bytes(g_Srb.CDBByte, 16),
                    ElementsAre(0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA,
                                0xBB, 0xA5, 0x5A, 0xC3, 0x3C));
        EXPECT_EQ(0x11223344u, g_Srb.SRB_Hdr_Rsvd);
        EXPECT_EQ(0x5566, g_Srb.SRB_Rsvd1);
        EXPECT_THAT(Bytes(g_Srb.SRB_Rsvd2, sizeof g_Srb.SRB_Rsvd2), Each(0x77));

        const sim::Journal journal = aspi_.JournalOf(FIRST_DRIVE);
        ASSERT_FALSE(journal.empty());
        const sim::JournalEntry& received = journal.back();
        EXPECT_EQ(c.cdbLength, received.command.cdbLength);
        EXPECT_THAT(received.CdbBytes(c.cdbLength), ElementsAreArray(cdb, c.cdbLength));
    }
}

TEST_F(AspiTransportTest, StatusOtherThanGoodIsAnErrorWithTheSenseOfACheckCondition) {
    const struct {
        const char* name;
        Fault fault;
        uint8_t targetStatus;
    } cases[] = {
        {"check condition", Fault::CheckCondition(0x00, NO_MEDIUM), 0x02},
        {"busy", Fault::WithStatus(0x00, 0x08), 0x08},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::memset(g_Srb.SenseArea, 0, sizeof g_Srb.SenseArea);
        PlanFault(FIRST_DRIVE, c.fault);
        EXPECT_EQ(0, AspiExecute6(DIR_NONE, 0, TEST_UNIT_READY));
        EXPECT_EQ(SS_ERR, g_nCmdStatus);
        EXPECT_EQ(c.targetStatus, g_Srb.SRB_TargStat);
        bool senseExpected = c.targetStatus == 0x02;
        EXPECT_EQ(senseExpected ? 0x70 : 0, g_Srb.SenseArea[0]);
        EXPECT_EQ(senseExpected ? 0x02 : 0, g_Srb.SenseArea[2]);
        EXPECT_EQ(senseExpected ? 0x3A : 0, g_Srb.SenseArea[12]);
        EXPECT_EQ(0, g_Srb.SenseArea[13]);
    }
}

TEST_F(AspiTransportTest, GoodCommandLeavesTheEarlierCommandsSense) {
    std::memset(g_Srb.SenseArea, 0, sizeof g_Srb.SenseArea);
    PlanFault(FIRST_DRIVE, Fault::CheckCondition(0x00, SenseCode{0x06, 0x29, 0x01}));
    ASSERT_EQ(0, AspiExecute6(DIR_NONE, 0, TEST_UNIT_READY));
    EXPECT_EQ(1, AspiExecute6(DIR_NONE, 0, TEST_UNIT_READY));
    EXPECT_EQ(SS_COMP, g_nCmdStatus);
    EXPECT_EQ(0x06, g_Srb.SenseArea[2]);
    EXPECT_EQ(0x29, g_Srb.SenseArea[12]);
    EXPECT_EQ(0x01, g_Srb.SenseArea[13]);
}

// The layer completes only after a delay, on its own thread: a transport that did not wait
// would find the request still pending and no data.
TEST_F(AspiTransportTest, PendingCommandIsWaitedForUntilTheLayerSignals) {
    aspi_.Config().latencyMs = 300;
    aspi_.Publish();
    std::memset(g_pReadBuffer, 0, 48);
    EXPECT_EQ(1, AspiExecute6(DIR_IN, 48, INQUIRY_48));
    EXPECT_EQ(SS_COMP, g_nCmdStatus);
    EXPECT_EQ(0, std::memcmp(g_pReadBuffer + 8, "KESTRAN ", 8));
}

// Requests the layer answers at once are never signalled; waiting for them would hang this
// test until its time limit.
TEST_F(AspiTransportTest, ImmediateAnswerIsTakenWithoutWaiting) {
    const struct {
        const char* name;
        std::function<void()> arrange;
        uint8_t status;
    } cases[] = {
        {"request refused", [this] { PlanFault(FIRST_DRIVE, Fault::Refusal(0x00)); },
         SS_INVALID_CMD},
        {"device gone", [this] { PlanFault(FIRST_DRIVE, Fault::Removal(0x00)); }, SS_NO_DEVICE},
        {"no device at the address", [] { g_DriveTable[0] = TableEntry(EMPTY_TARGET, 'E'); },
         SS_NO_DEVICE},
        {"no such host adapter",
         [] {
             g_DriveTable[0] = TableEntry({7, 1, 0}, 'E');
         },
         SS_INVALID_HA},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g_DriveTable[0] = TableEntry(FIRST_DRIVE, 'E');
        c.arrange();
        EXPECT_EQ(0, AspiExecute6(DIR_NONE, 0, TEST_UNIT_READY));
        EXPECT_EQ(c.status, g_nCmdStatus);
    }
}

TEST_F(AspiTransportTest, CommandIsNotSentWithoutTheEntryPointOrADataBuffer) {
    const struct {
        const char* name;
        int direction;
        uint32_t transferLength;
        std::function<void()> arrange;
    } cases[] = {
        {"no SendASPI32Command", DIR_NONE, 0, [] { g_pfnSendASPI32Command = nullptr; }},
        {"no read buffer", DIR_IN, 48, [] { g_pReadBuffer = nullptr; }},
        {"no write buffer", DIR_OUT, 16, [] { g_pWriteBuffer = nullptr; }},
        // Without a direction the request names no buffer, so it cannot carry data either.
        {"data without a direction", DIR_NONE, 16, [] {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SendASPI32CommandProc send = g_pfnSendASPI32Command;
        uint8_t* readBuffer = g_pReadBuffer;
        uint8_t* writeBuffer = g_pWriteBuffer;
        c.arrange();
        EXPECT_EQ(0, AspiExecute12(c.direction, c.transferLength, INQUIRY_48));
        EXPECT_EQ(SS_ERR, g_nCmdStatus);
        EXPECT_TRUE(aspi_.JournalOf(FIRST_DRIVE).empty());
        g_pfnSendASPI32Command = send;
        g_pReadBuffer = readBuffer;
        g_pWriteBuffer = writeBuffer;
    }
}

// What drive discovery relies on: the adapter count and the host adapter inquiry.
TEST_F(AspiTransportTest, SimulatedLayerReportsItsAdapters) {
    const struct {
        const char* name;
        std::function<void(sim::AspiConfig&)> arrange;
        DWORD supportInfo;
    } cases[] = {
        {"two adapters", [](sim::AspiConfig&) {}, 0x0102},
        {"no adapters", [](sim::AspiConfig& config) { config.adapterIdentifiers.clear(); }, 0x0100},
        {"layer not ready", [](sim::AspiConfig& config) { config.supportStatus = 0xE8; }, 0xE802},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sim::AspiSetup setup("kestran_aspi_adapters");
        setup.AddAdapter("SIM ADAPTER 0");
        setup.AddAdapter("SIM ADAPTER 1");
        c.arrange(setup.Config());
        setup.Publish();
        EXPECT_EQ(c.supportInfo, g_pfnGetASPI32SupportInfo());
    }
}

TEST_F(AspiTransportTest, SimulatedLayerAnswersHostAdapterInquiries) {
    const struct {
        uint8_t haId;
        uint8_t status;
        const char* identifier;
    } cases[] = {
        {0, SS_COMP, "SIM ADAPTER 0"}, {1, SS_COMP, "SIM ADAPTER 1"}, {2, SS_INVALID_HA, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.haId));
        SRB_HAInquiry inquiry = {};
        inquiry.SRB_Cmd = SC_HA_INQUIRY;
        inquiry.SRB_HaId = c.haId;
        EXPECT_EQ(c.status, g_pfnSendASPI32Command(&inquiry));
        EXPECT_EQ(c.status, inquiry.SRB_Status);
        EXPECT_EQ(c.status == SS_COMP ? 2 : 0, inquiry.HA_Count);
        EXPECT_STREQ(c.identifier, reinterpret_cast<const char*>(inquiry.HA_Identifier));
    }
}

TEST_F(AspiTransportTest, SimulatedLayerAcceptsACommandAsPendingAndSignalsItsEvent) {
    aspi_.Config().latencyMs = 100;
    aspi_.Publish();
    HANDLE done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    ASSERT_NE(nullptr, done);
    uint8_t data[48] = {};
    SRB_ExecSCSICmd request = {};
    request.SRB_Cmd = SC_EXEC_SCSI_CMD;
    request.SRB_HaId = FIRST_DRIVE.haId;
    request.SRB_Target = FIRST_DRIVE.target;
    request.SRB_Flags = SRB_DIR_IN | SRB_EVENT_NOTIFY;
    request.SRB_BufPointer = data;
    request.SRB_BufLen = sizeof data;
    request.SRB_SenseLen = ASPI_SENSE_LENGTH;
    request.SRB_CDBLen = 6;
    request.SRB_PostProc = done;
    std::memcpy(request.CDBByte, INQUIRY_48, 6);

    EXPECT_EQ(SS_PENDING, g_pfnSendASPI32Command(&request));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(done, 10000));
    EXPECT_EQ(SS_COMP, request.SRB_Status);
    EXPECT_EQ(0, std::memcmp(data + 8, "KESTRAN ", 8));
    CloseHandle(done);
}

// Run with wnaspi32 disabled, so that LoadLibraryA fails.
TEST(AspiLibraryMissing, QueuesAllThreeTextsAndStaysOnAspi) {
    SharedStateScope state;
    TakeDiagLog();
    SelectTransport();
    EXPECT_EQ(TRANSPORT_ASPI, g_nTransport);
    EXPECT_EQ(nullptr, g_hAspiLib);
    EXPECT_EQ(nullptr, g_pfnGetASPI32SupportInfo);
    EXPECT_EQ(nullptr, g_pfnSendASPI32Command);
    EXPECT_THAT(TakeDiagLog(),
                ElementsAre(TEXT_CANNOT_LOAD, TEXT_NO_SUPPORT_INFO, TEXT_NO_SEND_COMMAND));

    EXPECT_EQ(0, AspiExecute6(DIR_IN, 48, INQUIRY_48));
    EXPECT_EQ(SS_ERR, g_nCmdStatus);
}

// Run beside a wnaspi32.dll that exports neither entry point.
TEST(AspiLibraryWithoutEntries, QueuesBothLookupTextsAndStaysOnAspi) {
    SharedStateScope state(TransferBuffers::None);
    TakeDiagLog();
    SelectTransport();
    EXPECT_EQ(TRANSPORT_ASPI, g_nTransport);
    EXPECT_NE(nullptr, g_hAspiLib);
    EXPECT_EQ(nullptr, g_pfnGetASPI32SupportInfo);
    EXPECT_EQ(nullptr, g_pfnSendASPI32Command);
    EXPECT_THAT(TakeDiagLog(), ElementsAre(TEXT_NO_SUPPORT_INFO, TEXT_NO_SEND_COMMAND));
}

} // namespace
