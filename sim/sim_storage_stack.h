#pragma once
// The simulated NT storage stack behind the device seam: drive letters with simulated drives,
// handles to their devices, and IOCTL_SCSI_PASS_THROUGH_DIRECT checked as Windows checks it.
//
// Tests configure it in code (Reset, then Attach). A separate process under test is pointed at
// shared drive files instead, through the environment variable KESTRAN_SIM_DRIVES, read once at
// first use: "E=C:\path\e.drive;F=C:\path\f.drive".

#include <windows.h>
#include <ntddscsi.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sim_drive.h"

namespace sim {

constexpr char DRIVES_ENVIRONMENT_VARIABLE[] = "KESTRAN_SIM_DRIVES";

struct OpenCall {
    std::string path;
    DWORD access;
    DWORD shareMode;
    DWORD disposition;
    DWORD flagsAndAttributes;
};

// A pass-through request exactly as the stack received it, before the device answered.
struct PassThroughCall {
    char letter;
    SCSI_PASS_THROUGH_DIRECT request;
    DWORD inSize;
    DWORD outSize;
};

// An IOCTL other than pass-through that reached a device, with its input bytes.
struct ControlCall {
    char letter;
    DWORD controlCode;
    std::vector<uint8_t> input;
    DWORD outSize;
};

class SimStorageStack {
public:
    static SimStorageStack& Instance();

    // Forgets every drive, handle and recorded call.
    void Reset();
    SimDrive& Attach(char letter, SimDrive drive);
    SimDrive& Drive(char letter);
    // The device of letter goes, as an unplugged drive: opens and requests fail from now on.
    void Unplug(char letter);

    std::vector<OpenCall> OpenCalls() const;
    std::vector<PassThroughCall> PassThroughCalls() const;
    std::vector<ControlCall> ControlCalls() const;
    int CloseCount() const;
    // Closes of a handle while a request on it was still with the drive: never right, since the
    // request would go on with a handle that no longer exists.
    int ClosesWhileBusy() const;
    int OpenHandleCount() const;

    // The twins of the seam's calls.
    HANDLE Open(LPCSTR path, DWORD access, DWORD shareMode, DWORD disposition,
                DWORD flagsAndAttributes);
    BOOL Control(HANDLE device, DWORD controlCode, LPVOID inBuffer, DWORD inSize, LPVOID outBuffer,
                 DWORD outSize, LPDWORD bytesReturned);
    BOOL Close(HANDLE device);

private:
    SimStorageStack();
    void AttachDrivesFromEnvironment();
    SimDrive* DriveForPath(LPCSTR path);
    BOOL PassThrough(std::unique_lock<std::mutex>& lock, HANDLE device, char letter,
                     SimDrive& drive, LPVOID inBuffer, DWORD inSize, LPVOID outBuffer,
                     DWORD outSize, LPDWORD bytesReturned);
    SimReply ReceiveOutsideTheLock(std::unique_lock<std::mutex>& lock, HANDLE device,
                                   SimDrive& drive, const SimCommand& command, uint8_t* dataIn);

    mutable std::mutex mutex_;
    // The drives answer one request at a time, outside mutex_: a slow answer must not hold up
    // opens and closes, as it does not on Windows.
    std::mutex driveMutex_;
    std::map<HANDLE, int> busy_;
    int closesWhileBusy_ = 0;
    std::map<char, std::unique_ptr<SimDrive>> drives_;
    std::map<HANDLE, char> handles_;
    uintptr_t nextHandle_ = 0x5100;
    std::vector<OpenCall> opens_;
    std::vector<PassThroughCall> passThroughs_;
    std::vector<ControlCall> controls_;
    int closes_ = 0;
};

} // namespace sim
