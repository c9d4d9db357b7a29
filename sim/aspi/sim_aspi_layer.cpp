#include "sim_aspi_layer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "drive/aspi_layout.h"
#include "sim/sim_drive_file.h"
#include "sim_aspi_config.h"

namespace sim {

namespace {

// Completion codes of the interface that only the layer uses.
constexpr uint8_t SS_INVALID_SRB = 0xE0;
constexpr uint8_t SS_FAILED_INIT = 0xE4;

constexpr uint8_t HOST_ADAPTER_SCSI_ID = 7;
constexpr uint8_t TARGETS_PER_ADAPTER = 8;
constexpr uint32_t MAX_TRANSFER_LENGTH = 0x200000;
constexpr char MANAGER_ID[] = "SIMULATED ASPI";

// The drive files are shared by every command; one command at a time reaches them.
std::mutex g_driveFilesMutex;

void Complain(const std::string& text) {
    std::fprintf(stderr, "simulated wnaspi32: %s\n", text.c_str());
}

// Read on every call (not through the C run-time's copy of the environment, which this DLL took
// when it was loaded), so that a test may point the layer at a setting at any time.
AspiConfig CurrentConfig() {
    char path[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableA(ASPI_ENVIRONMENT_VARIABLE, path, sizeof path);
    if (length == 0 || length >= sizeof path)
        throw std::runtime_error(std::string(ASPI_ENVIRONMENT_VARIABLE) + " is not set");
    return ReadAspiConfig(path);
}

void PutText(uint8_t* field, size_t width, const std::string& text) {
    std::memset(field, 0, width);
    std::memcpy(field, text.data(), std::min(width, text.size()));
}

// Ends a request at once, without signalling it.
DWORD Answer(uint8_t& status, uint8_t code) {
    status = code;
    return code;
}

DWORD InquireHostAdapter(SRB_HAInquiry& request, const AspiConfig& config) {
    if (request.SRB_HaId >= config.adapterIdentifiers.size())
        return Answer(request.SRB_Status, SS_INVALID_HA);
    request.HA_Count = static_cast<uint8_t>(config.adapterIdentifiers.size());
    request.HA_SCSI_ID = HOST_ADAPTER_SCSI_ID;
    PutText(request.HA_ManagerId, sizeof request.HA_ManagerId, MANAGER_ID);
    PutText(request.HA_Identifier, sizeof request.HA_Identifier,
            config.adapterIdentifiers[request.SRB_HaId]);
    std::memset(request.HA_Unique, 0, sizeof request.HA_Unique);
    request.HA_Unique[3] = TARGETS_PER_ADAPTER;
    std::memcpy(&request.HA_Unique[4], &MAX_TRANSFER_LENGTH, sizeof MAX_TRANSFER_LENGTH);
    return Answer(request.SRB_Status, SS_COMP);
}

// With SRB_EVENT_NOTIFY alone the request names no direction; the layer goes by the command.
bool CommandReadsData(uint8_t opcode) {
    const uint8_t reading[] = {0x03, 0x12, 0x1A, 0x25, 0x28, 0x3C, 0x43, 0x46, 0x5A};
    return std::find(std::begin(reading), std::end(reading), opcode) != std::end(reading);
}

bool CommandWritesData(uint8_t opcode) {
    const uint8_t writing[] = {0x15, 0x2A, 0x3B, 0x55};
    return std::find(std::begin(writing), std::end(writing), opcode) != std::end(writing);
}

SimDirection DirectionOf(const SRB_ExecSCSICmd& request) {
    if (request.SRB_Flags & SRB_DIR_IN)
        return SimDirection::In;
    if (request.SRB_Flags & SRB_DIR_OUT)
        return SimDirection::Out;
    return SimDirection::Unspecified;
}

bool MovesDataIn(const SRB_ExecSCSICmd& request) {
    SimDirection direction = DirectionOf(request);
    return direction == SimDirection::In ||
           (direction == SimDirection::Unspecified && CommandReadsData(request.CDBByte[0]));
}

bool MovesDataOut(const SRB_ExecSCSICmd& request) {
    SimDirection direction = DirectionOf(request);
    return direction == SimDirection::Out ||
           (direction == SimDirection::Unspecified && CommandWritesData(request.CDBByte[0]));
}

SimCommand CommandOf(const SRB_ExecSCSICmd& request) {
    // The whole CDB field goes to the journal, as the pass-through stack records it; the length
    // says how much of it the drive acts on.
    SimCommand command;
    std::memcpy(command.cdb.data(), request.CDBByte, MAX_CDB_SIZE);
    command.cdbLength = request.SRB_CDBLen;
    command.direction = DirectionOf(request);
    command.transferLength = request.SRB_BufLen;
    if (MovesDataOut(request) && request.SRB_BufLen > 0)
        command.dataOut.assign(request.SRB_BufPointer, request.SRB_BufPointer + request.SRB_BufLen);
    return command;
}

// What the layer's completion thread writes back into a request it has accepted.
struct Completion {
    SRB_ExecSCSICmd* request;
    SimReply reply;
    std::vector<uint8_t> dataIn;
    uint32_t latencyMs;
};

void Complete(const Completion& completion) {
    SRB_ExecSCSICmd& request = *completion.request;
    if (MovesDataIn(request) && completion.reply.bytesTransferred > 0)
        std::memcpy(request.SRB_BufPointer, completion.dataIn.data(),
                    completion.reply.bytesTransferred);
    request.SRB_HaStat = 0;
    request.SRB_TargStat = completion.reply.status;
    // Sense is written only with CHECK CONDITION: after a good command the area keeps what an
    // earlier command left there, as with a real layer.
    if (completion.reply.status == SCSI_STATUS_CHECK_CONDITION) {
        std::array<uint8_t, FIXED_SENSE_SIZE> sense = FixedSense(completion.reply.sense);
        std::memcpy(request.SenseArea, sense.data(),
                    std::min<size_t>(request.SRB_SenseLen, sense.size()));
    }
    request.SRB_Status = completion.reply.status == SCSI_STATUS_GOOD ? SS_COMP : SS_ERR;
    if (request.SRB_Flags & SRB_EVENT_NOTIFY)
        SetEvent(request.SRB_PostProc);
}

DWORD WINAPI CompleteLater(LPVOID parameter) {
    std::unique_ptr<Completion> completion(static_cast<Completion*>(parameter));
    if (completion->latencyMs > 0)
        Sleep(completion->latencyMs);
    Complete(*completion);
    return 0;
}

SimReply RunOnDrive(const std::string& driveFile, const SimCommand& command, uint8_t* dataIn) {
    std::lock_guard<std::mutex> lock(g_driveFilesMutex);
    SimDrive drive = OpenDriveFile(driveFile);
    return drive.Receive(command, dataIn);
}

DWORD ExecuteScsiCommand(SRB_ExecSCSICmd& request, const AspiConfig& config) {
    if (request.SRB_HaId >= config.adapterIdentifiers.size())
        return Answer(request.SRB_Status, SS_INVALID_HA);
    std::string driveFile =
        config.DriveFileAt({request.SRB_HaId, request.SRB_Target, request.SRB_Lun});
    if (driveFile.empty())
        return Answer(request.SRB_Status, SS_NO_DEVICE);
    if (request.SRB_BufLen > 0 && request.SRB_BufPointer == nullptr &&
        (MovesDataIn(request) || MovesDataOut(request)))
        return Answer(request.SRB_Status, SS_INVALID_SRB);

    auto completion = std::make_unique<Completion>();
    completion->request = &request;
    completion->dataIn.resize(std::max<uint32_t>(request.SRB_BufLen, 1));
    completion->latencyMs = config.latencyMs;
    completion->reply = RunOnDrive(driveFile, CommandOf(request), completion->dataIn.data());
    if (completion->reply.outcome == SimOutcome::Refused)
        return Answer(request.SRB_Status, SS_INVALID_CMD);
    if (completion->reply.outcome == SimOutcome::DeviceGone)
        return Answer(request.SRB_Status, SS_NO_DEVICE);

    request.SRB_Status = SS_PENDING;
    HANDLE thread = CreateThread(nullptr, 0, CompleteLater, completion.get(), 0, nullptr);
    if (thread == nullptr) {
        Complain("cannot start a completion thread");
        return Answer(request.SRB_Status, SS_ERR);
    }
    completion.release();
    CloseHandle(thread);
    return SS_PENDING;
}

} // namespace

DWORD AspiSupportInfo() {
    try {
        AspiConfig config = CurrentConfig();
        return (DWORD(config.supportStatus) << 8) | (config.adapterIdentifiers.size() & 0xFF);
    } catch (const std::exception& error) {
        Complain(error.what());
        return DWORD(SS_FAILED_INIT) << 8;
    }
}

DWORD AspiSendCommand(void* request) {
    uint8_t& command = static_cast<uint8_t*>(request)[0];
    uint8_t& status = static_cast<uint8_t*>(request)[1];
    try {
        AspiConfig config = CurrentConfig();
        if (command == SC_HA_INQUIRY)
            return InquireHostAdapter(*static_cast<SRB_HAInquiry*>(request), config);
        if (command == SC_EXEC_SCSI_CMD)
            return ExecuteScsiCommand(*static_cast<SRB_ExecSCSICmd*>(request), config);
        return Answer(status, SS_INVALID_CMD);
    } catch (const std::exception& error) {
        Complain(error.what());
        return Answer(status, SS_ERR);
    }
}

} // namespace sim
