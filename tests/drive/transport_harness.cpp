#include "transport_harness.h"

#include <windows.h>
#include <ntddscsi.h>

#include <algorithm>
#include <cstring>

#include "drive/aspi_transport.h"
#include "drive/pass_through.h"
#include "drive/shared_state.h"
#include "sim/aspi/sim_aspi_setup.h"
#include "sim/sim_drive_file.h"
#include "sim/sim_storage_stack.h"

namespace {

// The drive letter on pass-through; on ASPI the selected drive-table entry and the scan address,
// all different so that the entry a command reached can be told from the address it used.
constexpr char DRIVE_LETTER = 'E';
constexpr int SELECTED_ENTRY = 2;
constexpr DriveAddress SELECTED_ADDRESS = {1, 4, 0, 'E'};
constexpr uint8_t SCAN_HA = 2;
constexpr uint8_t SCAN_TARGET = 6;
constexpr uint8_t SCAN_LUN = 0;

std::vector<uint8_t> TwelveBytes(const uint8_t* cdb) {
    return {cdb, cdb + CDB_SIZE};
}

// Pass-through through the simulated storage stack, with g_nTransport at the value given: 2 when
// chosen, 0 before any choice (which must also reach pass-through).
class PassThroughHarness : public TransportHarness {
public:
    explicit PassThroughHarness(int transport) : transport_(transport) {}

    void SetUp() override {
        Stack().Reset();
        Stack().Attach(DRIVE_LETTER, sim::SimDrive::Kestran());
        g_hDrive = OpenDriveDevice(DRIVE_LETTER);
        ASSERT_NE(nullptr, g_hDrive);
        g_nTransport = transport_;
    }

    void TearDown() override { CloseDriveDevice(&g_hDrive); }

    // The journal has what the drive took from the request; the stack's record has the request's
    // data buffer. Both hold one entry per well-formed request.
    std::vector<ReceivedCommand> Received() const override {
        const sim::Journal& journal = Stack().Drive(DRIVE_LETTER).journal;
        std::vector<sim::PassThroughCall> calls = Stack().PassThroughCalls();
        std::vector<ReceivedCommand> received;
        for (size_t i = 0; i < journal.size() && i < calls.size(); ++i) {
            const sim::SimCommand& command = journal[i].command;
            received.push_back({journal[i].CdbBytes(), command.cdbLength, DirectionOf(command),
                                command.transferLength, calls[i].request.DataBuffer,
                                Addressing::SelectedDrive});
        }
        return received;
    }

    void FailNextCommand(uint8_t opcode, sim::SenseCode sense) override {
        Stack().Drive(DRIVE_LETTER).faults.push_back(sim::Fault::CheckCondition(opcode, sense));
    }

    int FailureStatus() const override { return CMD_STATUS_ERROR; }

    // The device of the drive letter is the only address pass-through knows.
    Addressing AddressingOf(Addressing) const override { return Addressing::SelectedDrive; }

private:
    static sim::SimStorageStack& Stack() { return sim::SimStorageStack::Instance(); }

    // A pass-through request has no "no data" code: a command without data goes out with length 0.
    static int DirectionOf(const sim::SimCommand& command) {
        if (command.direction == sim::SimDirection::In)
            return DIR_IN;
        return command.transferLength == 0 ? DIR_NONE : DIR_OUT;
    }

    int transport_;
};

// ASPI with the layer's command entry replaced in process by a recorder that completes every
// request at once: it sees each request block exactly as the transport filled it.
struct AspiRecorder {
    std::vector<SRB_ExecSCSICmd> requests;
    uint8_t failOpcode = 0;
    bool failPending = false;
    sim::SenseCode failSense;
};
AspiRecorder g_recorder;

void CompleteWithSense(SRB_ExecSCSICmd& srb, sim::SenseCode sense) {
    auto fixed = sim::FixedSense(sense);
    std::memcpy(srb.SenseArea, fixed.data(), std::min<size_t>(fixed.size(), srb.SRB_SenseLen));
    srb.SRB_TargStat = sim::SCSI_STATUS_CHECK_CONDITION;
    srb.SRB_Status = SS_ERR;
}

// Same signature as the layer's entry; answering other than SS_PENDING means no wait follows.
DWORD __cdecl RecordAspiCommand(void* request) {
    auto& srb = *static_cast<SRB_ExecSCSICmd*>(request);
    g_recorder.requests.push_back(srb);
    if (g_recorder.failPending && srb.CDBByte[0] == g_recorder.failOpcode) {
        g_recorder.failPending = false;
        CompleteWithSense(srb, g_recorder.failSense);
    } else {
        srb.SRB_Status = SS_COMP;
    }
    return srb.SRB_Status;
}

class AspiRecorderHarness : public TransportHarness {
public:
    void SetUp() override {
        g_recorder = AspiRecorder();
        std::memset(&g_Srb, 0, sizeof g_Srb);
        g_DriveTable[SELECTED_ENTRY] = SELECTED_ADDRESS;
        g_nSelectedDrive = SELECTED_ENTRY;
        g_ScanHa = SCAN_HA;
        g_ScanTarget = SCAN_TARGET;
        g_ScanLun = SCAN_LUN;
        g_pfnSendASPI32Command = RecordAspiCommand;
        g_nTransport = TRANSPORT_ASPI;
    }

    void TearDown() override {
        g_pfnSendASPI32Command = nullptr;
        g_DriveTable[SELECTED_ENTRY] = {};
        g_nSelectedDrive = 0;
    }

    std::vector<ReceivedCommand> Received() const override {
        std::vector<ReceivedCommand> received;
        for (const SRB_ExecSCSICmd& srb : g_recorder.requests)
            received.push_back({TwelveBytes(srb.CDBByte), srb.SRB_CDBLen, DirectionOf(srb),
                                srb.SRB_BufLen, srb.SRB_BufPointer, AddressingOf(srb)});
        return received;
    }

    void FailNextCommand(uint8_t opcode, sim::SenseCode sense) override {
        g_recorder.failOpcode = opcode;
        g_recorder.failPending = true;
        g_recorder.failSense = sense;
    }

    int FailureStatus() const override { return SS_ERR; }

    bool AnswersEveryCommandGood() const override { return true; }

    Addressing AddressingOf(Addressing builderAddressing) const override {
        return builderAddressing;
    }

private:
    static int DirectionOf(const SRB_ExecSCSICmd& srb) {
        if (srb.SRB_Flags & SRB_DIR_IN)
            return DIR_IN;
        return (srb.SRB_Flags & SRB_DIR_OUT) ? DIR_OUT : DIR_NONE;
    }

    // An address that is neither fails the test here rather than pass as the selected drive.
    static Addressing AddressingOf(const SRB_ExecSCSICmd& srb) {
        if (srb.SRB_HaId == SCAN_HA && srb.SRB_Target == SCAN_TARGET && srb.SRB_Lun == SCAN_LUN)
            return Addressing::ScanAddress;
        EXPECT_EQ(SELECTED_ADDRESS.HaId, srb.SRB_HaId);
        EXPECT_EQ(SELECTED_ADDRESS.TargetId, srb.SRB_Target);
        EXPECT_EQ(SELECTED_ADDRESS.Lun, srb.SRB_Lun);
        return Addressing::SelectedDrive;
    }
};

int DirectionOf(const sim::SimCommand& command) {
    switch (command.direction) {
    case sim::SimDirection::In:
        return DIR_IN;
    case sim::SimDirection::Out:
        return DIR_OUT;
    default:
        return DIR_NONE;
    }
}

// ASPI through our simulated wnaspi32.dll (this program runs with the Windows 98 setting): one
// drive at the selected drive-table entry's address and one at the scan address, so that the
// journal that grows tells which address a command reached.
class SimulatedAspiHarness : public TransportHarness {
public:
    void SetUp() override {
        sim::AspiSetup& setup = Setup();
        setup.PutDrive(SELECTED, sim::SimDrive::Kestran());
        setup.PutDrive(SCAN, sim::SimDrive::Kestran());
        setup.Publish();
        SelectTransport();
        ASSERT_EQ(TRANSPORT_ASPI, g_nTransport) << "the Windows 98 setting for this exe is missing";
        ASSERT_NE(nullptr, g_pfnSendASPI32Command);
        g_DriveTable[SELECTED_ENTRY] = SELECTED_ADDRESS;
        g_nSelectedDrive = SELECTED_ENTRY;
        g_ScanHa = SCAN_HA;
        g_ScanTarget = SCAN_TARGET;
        g_ScanLun = SCAN_LUN;
    }

    void TearDown() override {
        g_DriveTable[SELECTED_ENTRY] = {};
        g_nSelectedDrive = 0;
    }

    // Called after each command: what is new in the journals came from that command, and the
    // request block still shows the buffer it named.
    std::vector<ReceivedCommand> Received() const override {
        Collect(SELECTED, Addressing::SelectedDrive, selectedSeen_);
        Collect(SCAN, Addressing::ScanAddress, scanSeen_);
        return received_;
    }

    void FailNextCommand(uint8_t opcode, sim::SenseCode sense) override {
        for (sim::AspiAddress address : {SELECTED, SCAN}) {
            sim::SimDrive drive = sim::OpenDriveFile(Setup().DriveFile(address));
            drive.faults.push_back(sim::Fault::CheckCondition(opcode, sense));
            Setup().UpdateDrive(address, drive);
        }
    }

    int FailureStatus() const override { return SS_ERR; }

    Addressing AddressingOf(Addressing builderAddressing) const override {
        return builderAddressing;
    }

private:
    static constexpr sim::AspiAddress SELECTED{SELECTED_ADDRESS.HaId, SELECTED_ADDRESS.TargetId,
                                               SELECTED_ADDRESS.Lun};
    static constexpr sim::AspiAddress SCAN{SCAN_HA, SCAN_TARGET, SCAN_LUN};

    static sim::AspiSetup& Setup() {
        static sim::AspiSetup setup = [] {
            sim::AspiSetup made("kestran_command_layer");
            for (int adapter = 0; adapter <= SCAN_HA; ++adapter)
                made.AddAdapter("SIM ADAPTER " + std::to_string(adapter));
            return made;
        }();
        return setup;
    }

    void Collect(sim::AspiAddress address, Addressing addressing, size_t& seen) const {
        sim::Journal journal = Setup().JournalOf(address);
        for (; seen < journal.size(); ++seen) {
            const sim::SimCommand& command = journal[seen].command;
            received_.push_back({journal[seen].CdbBytes(), command.cdbLength, DirectionOf(command),
                                 command.transferLength, g_Srb.SRB_BufPointer, addressing});
        }
    }

    mutable std::vector<ReceivedCommand> received_;
    mutable size_t selectedSeen_ = 0;
    mutable size_t scanSeen_ = 0;
};

} // namespace

std::vector<TransportParam> AllTransports() {
    return {
        {"PassThrough",
         [] {
             return std::shared_ptr<TransportHarness>(
                 new PassThroughHarness(TRANSPORT_PASS_THROUGH));
         }},
        {"NotYetChosen",
         [] { return std::shared_ptr<TransportHarness>(new PassThroughHarness(TRANSPORT_NONE)); }},
        {"AspiRecorder",
         [] { return std::shared_ptr<TransportHarness>(new AspiRecorderHarness()); }},
        {"SimulatedAspi",
         [] { return std::shared_ptr<TransportHarness>(new SimulatedAspiHarness()); }},
    };
}

void PrintTo(const TransportParam& param, std::ostream* out) {
    *out << param.name;
}

std::string TransportName(const ::testing::TestParamInfo<TransportParam>& info) {
    return info.param.name;
}

void TransportTest::SetUp() {
    ASSERT_NE(nullptr, g_pReadBuffer);
    harness_ = GetParam().make();
    harness_->SetUp();
}

void TransportTest::TearDown() {
    harness_->TearDown();
}

ReceivedCommand TransportTest::LastReceived() const {
    std::vector<ReceivedCommand> received = harness_->Received();
    if (received.empty()) {
        ADD_FAILURE() << "the drive received no command";
        return {};
    }
    return received.back();
}
