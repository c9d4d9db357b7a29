#include "sim_storage_stack.h"

#include <ntddscsi.h>
#include <winioctl.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <stdexcept>

#include "sim_drive_file.h"

namespace sim {

namespace {

bool IsValidCdbLength(int length) {
    return length == 6 || length == 10 || length == 12 || length == 16;
}

// The checks Windows makes on a pass-through request before anything reaches the device.
bool IsWellFormed(const SCSI_PASS_THROUGH_DIRECT& sptd, DWORD inSize, LPVOID outBuffer,
                  DWORD outSize, LPDWORD bytesReturned) {
    if (inSize < sizeof sptd || outBuffer == nullptr || outSize < sizeof sptd ||
        bytesReturned == nullptr)
        return false;
    if (sptd.Length != sizeof sptd || !IsValidCdbLength(sptd.CdbLength) || sptd.DataIn > 2)
        return false;
    if (sptd.SenseInfoLength > 0 && (sptd.SenseInfoOffset < sizeof sptd ||
                                     sptd.SenseInfoOffset + sptd.SenseInfoLength > outSize))
        return false;
    return sptd.DataTransferLength == 0 || sptd.DataBuffer != nullptr;
}

SimCommand CommandOf(const SCSI_PASS_THROUGH_DIRECT& sptd) {
    SimCommand command;
    std::memcpy(command.cdb.data(), sptd.Cdb, sizeof sptd.Cdb);
    command.cdbLength = sptd.CdbLength;
    command.direction = static_cast<SimDirection>(sptd.DataIn);
    command.transferLength = sptd.DataTransferLength;
    if (command.direction != SimDirection::In && command.transferLength > 0) {
        const uint8_t* data = static_cast<const uint8_t*>(sptd.DataBuffer);
        command.dataOut.assign(data, data + command.transferLength);
    }
    return command;
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

} // namespace

SimStorageStack& SimStorageStack::Instance() {
    static SimStorageStack stack;
    return stack;
}

SimStorageStack::SimStorageStack() {
    AttachDrivesFromEnvironment();
}

void SimStorageStack::AttachDrivesFromEnvironment() {
    const char* list = std::getenv(DRIVES_ENVIRONMENT_VARIABLE);
    if (list == nullptr)
        return;
    std::istringstream entries(list);
    std::string entry;
    while (std::getline(entries, entry, ';')) {
        if (entry.size() < 3 || entry[1] != '=')
            continue;
        char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(entry[0])));
        drives_[letter] = std::make_unique<SimDrive>(OpenDriveFile(entry.substr(2)));
    }
}

void SimStorageStack::Reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    drives_.clear();
    handles_.clear();
    opens_.clear();
    passThroughs_.clear();
    controls_.clear();
    closes_ = 0;
    closesWhileBusy_ = 0;
}

SimDrive& SimStorageStack::Attach(char letter, SimDrive drive) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto& slot = drives_[static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))];
    slot = std::make_unique<SimDrive>(std::move(drive));
    return *slot;
}

SimDrive& SimStorageStack::Drive(char letter) {
    std::lock_guard<std::mutex> lock(mutex_);
    return *drives_.at(static_cast<char>(std::toupper(static_cast<unsigned char>(letter))));
}

std::vector<OpenCall> SimStorageStack::OpenCalls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return opens_;
}

std::vector<PassThroughCall> SimStorageStack::PassThroughCalls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return passThroughs_;
}

std::vector<ControlCall> SimStorageStack::ControlCalls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return controls_;
}

int SimStorageStack::CloseCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return closes_;
}

int SimStorageStack::ClosesWhileBusy() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return closesWhileBusy_;
}

int SimStorageStack::OpenHandleCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(handles_.size());
}

SimDrive* SimStorageStack::DriveForPath(LPCSTR path) {
    // Only the drive-letter device form "\\.\X:" names a drive.
    if (path == nullptr || std::strlen(path) != 6 || std::strncmp(path, "\\\\.\\", 4) != 0 ||
        path[5] != ':')
        return nullptr;
    auto found = drives_.find(static_cast<char>(std::toupper(static_cast<unsigned char>(path[4]))));
    if (found == drives_.end())
        return nullptr;
    SimDrive& drive = *found->second;
    if (!drive.backingFile.empty())
        LoadDriveState(drive.backingFile, drive);
    return drive.present ? &drive : nullptr;
}

void SimStorageStack::Unplug(char letter) {
    std::lock_guard<std::mutex> lock(mutex_);
    drives_.at(letter)->present = false;
}

HANDLE SimStorageStack::Open(LPCSTR path, DWORD access, DWORD shareMode, DWORD disposition,
                             DWORD flagsAndAttributes) {
    std::lock_guard<std::mutex> lock(mutex_);
    opens_.push_back(
        {path != nullptr ? path : "", access, shareMode, disposition, flagsAndAttributes});
    SimDrive* drive = DriveForPath(path);
    if (drive != nullptr && drive->opensBeforeGone == 0) {
        drive->present = false;
        drive = nullptr;
    } else if (drive != nullptr && drive->opensBeforeGone > 0) {
        --drive->opensBeforeGone;
    }
    if (drive == nullptr || disposition != OPEN_EXISTING) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE handle = reinterpret_cast<HANDLE>(nextHandle_);
    nextHandle_ += 4;
    handles_[handle] = static_cast<char>(std::toupper(static_cast<unsigned char>(path[4])));
    return handle;
}

BOOL SimStorageStack::Control(HANDLE device, DWORD controlCode, LPVOID inBuffer, DWORD inSize,
                              LPVOID outBuffer, DWORD outSize, LPDWORD bytesReturned) {
    std::unique_lock<std::mutex> lock(mutex_);
    auto handle = handles_.find(device);
    if (handle == handles_.end())
        return Fail(ERROR_INVALID_HANDLE);
    SimDrive& drive = *drives_.at(handle->second);
    if (controlCode == IOCTL_SCSI_PASS_THROUGH_DIRECT)
        return PassThrough(lock, device, handle->second, drive, inBuffer, inSize, outBuffer,
                           outSize, bytesReturned);
    if (controlCode != IOCTL_STORAGE_MCN_CONTROL)
        return Fail(ERROR_INVALID_FUNCTION);
    const uint8_t* input = static_cast<const uint8_t*>(inBuffer);
    controls_.push_back(
        {handle->second, controlCode,
         input != nullptr ? std::vector<uint8_t>(input, input + inSize) : std::vector<uint8_t>(),
         outSize});
    if (bytesReturned != nullptr)
        *bytesReturned = 0;
    return TRUE;
}

SimReply SimStorageStack::ReceiveOutsideTheLock(std::unique_lock<std::mutex>& lock, HANDLE device,
                                                SimDrive& drive, const SimCommand& command,
                                                uint8_t* dataIn) {
    ++busy_[device];
    lock.unlock();
    SimReply reply;
    {
        std::lock_guard<std::mutex> driveLock(driveMutex_);
        reply = drive.Receive(command, dataIn);
    }
    lock.lock();
    if (--busy_[device] == 0)
        busy_.erase(device);
    return reply;
}

BOOL SimStorageStack::PassThrough(std::unique_lock<std::mutex>& lock, HANDLE device, char letter,
                                  SimDrive& drive, LPVOID inBuffer, DWORD inSize, LPVOID outBuffer,
                                  DWORD outSize, LPDWORD bytesReturned) {
    if (inBuffer == nullptr || inSize < sizeof(SCSI_PASS_THROUGH_DIRECT))
        return Fail(ERROR_INVALID_PARAMETER);
    SCSI_PASS_THROUGH_DIRECT sptd;
    std::memcpy(&sptd, inBuffer, sizeof sptd);
    passThroughs_.push_back({letter, sptd, inSize, outSize});
    if (!IsWellFormed(sptd, inSize, outBuffer, outSize, bytesReturned))
        return Fail(ERROR_INVALID_PARAMETER);

    SimCommand command = CommandOf(sptd);
    uint8_t* dataIn =
        command.direction == SimDirection::In ? static_cast<uint8_t*>(sptd.DataBuffer) : nullptr;
    std::vector<uint8_t> discard;
    if (dataIn == nullptr) {
        discard.resize(command.transferLength);
        dataIn = discard.data();
    }
    SimReply reply = ReceiveOutsideTheLock(lock, device, drive, command, dataIn);
    if (reply.outcome == SimOutcome::Refused)
        return Fail(ERROR_INVALID_FUNCTION);
    if (reply.outcome == SimOutcome::DeviceGone)
        return Fail(ERROR_DEVICE_NOT_CONNECTED);

    uint8_t* out = static_cast<uint8_t*>(outBuffer);
    std::memmove(out, &sptd, sizeof sptd);
    auto* answered = reinterpret_cast<SCSI_PASS_THROUGH_DIRECT*>(out);
    answered->ScsiStatus = reply.status;
    answered->DataTransferLength = reply.bytesTransferred;
    UCHAR senseCopied = 0;
    if (reply.status == SCSI_STATUS_CHECK_CONDITION) {
        auto sense = FixedSense(reply.sense);
        senseCopied = static_cast<UCHAR>(std::min<int>(sptd.SenseInfoLength, sense.size()));
        std::memcpy(out + sptd.SenseInfoOffset, sense.data(), senseCopied);
    }
    answered->SenseInfoLength = senseCopied;
    *bytesReturned = senseCopied > 0 ? sptd.SenseInfoOffset + senseCopied : sizeof sptd;
    return TRUE;
}

BOOL SimStorageStack::Close(HANDLE device) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (handles_.erase(device) == 0)
        return Fail(ERROR_INVALID_HANDLE);
    if (busy_.count(device) != 0)
        ++closesWhileBusy_;
    ++closes_;
    return TRUE;
}

} // namespace sim
