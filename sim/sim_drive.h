#pragma once
// A simulated optical drive as the updater sees it: its INQUIRY identity, its identification
// buffer (READ BUFFER mode 2, buffer id 0xF1), its memory (READ BUFFER mode 2, buffer id 0xB0)
// and the commands it answers. Every request that
// reaches it goes into its journal; planned faults make chosen commands fail.
//
// A drive may be backed by a file (see sim_drive_file.h): it then reloads its state from the file
// before each command and saves it after, and appends each journal entry to "<file>.journal", so
// that several processes can share one drive in turn.

#include <array>
#include <map>
#include <string>
#include <vector>

#include "sim_disc.h"
#include "sim_download.h"
#include "sim_fault.h"
#include "sim_journal.h"
#include "sim_scsi.h"

namespace sim {

constexpr uint8_t OP_TEST_UNIT_READY = 0x00;
constexpr uint8_t OP_INQUIRY = 0x12;
constexpr uint8_t OP_READ_BUFFER = 0x3C;

constexpr uint8_t READ_BUFFER_MODE_DATA = 0x02;
constexpr uint8_t BUFFER_ID_IDENTIFICATION = 0xF1;
constexpr uint8_t BUFFER_ID_DRIVE_MEMORY = 0xB0;
constexpr uint32_t DRIVE_MEMORY_SIZE = 0x1000000; // what READ BUFFER's 24-bit offset reaches

constexpr int INQUIRY_REPLY_SIZE = 254;
constexpr int ID_BUFFER_SIZE = 48;
constexpr int ID_TEXT_OFFSET = 16; // identification text, bytes 16..31
constexpr int DOWNLOAD_STATE_OFFSET = 32;

constexpr SenseCode SENSE_INVALID_OPCODE{0x05, 0x20, 0x00};
constexpr SenseCode SENSE_INVALID_FIELD_IN_CDB{0x05, 0x24, 0x00};

struct DriveIdentity {
    std::string vendor;       // 8 characters, space-filled
    std::string product;      // 16 characters, space-filled
    std::string revision;     // 4 characters
    std::string firmwareDate; // "YY/MM/DD", INQUIRY bytes 37..44 (byte 36 is a space)
};

class SimDrive {
public:
    // The supported drive: KESTRAN DVD-RW  XRW-T52A with the OEM code "0068ORVEDT  ".
    static SimDrive Kestran();
    // Another maker's drive: other identity, no OEM code.
    static SimDrive OtherModel();

    DriveIdentity identity;
    std::array<uint8_t, ID_BUFFER_SIZE> idBuffer{}; // the READ BUFFER 0xF1 reply
    // The drive memory behind READ BUFFER 0xB0, sparse: runs of known bytes by their first offset.
    // Every other byte reads as 0. Runs are not expected to overlap.
    std::map<uint32_t, std::vector<uint8_t>> memory;
    bool answersReadBuffer = true;  // false: READ BUFFER is an unknown command to this device
    bool acceptsPassThrough = true; // false: the device refuses every pass-through request
    bool present = true; // false once the device has gone: every request and open then fails
    // The device goes (unplugged) once it has been opened this many times; -1: never. Kept in
    // this process only, not in drive files.
    int opensBeforeGone = -1;
    SimDisc disc;
    SimDownload download;
    std::vector<Fault> faults;
    Journal journal;
    std::string backingFile; // empty: the drive lives in this process only

    // Writes text into the identification buffer at offset (no terminator).
    void SetIdText(int offset, const std::string& text);
    uint8_t DownloadState() const { return idBuffer[DOWNLOAD_STATE_OFFSET]; }
    void SetDownloadState(uint8_t state) { idBuffer[DOWNLOAD_STATE_OFFSET] = state; }
    void SetMemory(uint32_t offset, std::vector<uint8_t> bytes) {
        memory[offset] = std::move(bytes);
    }
    // length bytes of drive memory from offset (within DRIVE_MEMORY_SIZE).
    std::vector<uint8_t> ReadMemory(uint32_t offset, uint32_t length) const;

    // Receives one request. For a data-in command the reply's bytes go to dataIn, which holds at
    // least transferLength bytes. The request and its reply are journaled.
    SimReply Receive(const SimCommand& command, uint8_t* dataIn);

    // The 254 bytes this drive answers to INQUIRY.
    std::vector<uint8_t> InquiryData() const;

private:
    SimReply Answer(const SimCommand& command, uint8_t* dataIn);
    SimReply AnswerInquiry(const SimCommand& command, uint8_t* dataIn) const;
    SimReply AnswerReadBuffer(const SimCommand& command, uint8_t* dataIn) const;
    const Fault* TakeFault(const SimCommand& command);
    void Record(const SimCommand& command, const SimReply& reply);
};

SimReply CheckCondition(SenseCode sense);

} // namespace sim
