#include "command_builders.h"

#include <cstring>

#include "cdb_fields.h"
#include "command_dispatch.h"
#include "drive_identity.h"
#include "transport_codes.h"

namespace {

constexpr uint8_t OPCODE_TEST_UNIT_READY = 0x00;
constexpr uint8_t OPCODE_REQUEST_SENSE = 0x03;
constexpr uint8_t OPCODE_INQUIRY = 0x12;
constexpr uint8_t OPCODE_START_STOP_UNIT = 0x1B;
constexpr uint8_t OPCODE_READ_CAPACITY = 0x25;
constexpr uint8_t OPCODE_READ_10 = 0x28;
constexpr uint8_t OPCODE_WRITE_10 = 0x2A;
constexpr uint8_t OPCODE_SYNCHRONIZE_CACHE = 0x35;
constexpr uint8_t OPCODE_WRITE_BUFFER = 0x3B;
constexpr uint8_t OPCODE_READ_BUFFER = 0x3C;
constexpr uint8_t OPCODE_READ_TOC = 0x43;
constexpr uint8_t OPCODE_GET_CONFIGURATION = 0x46;
constexpr uint8_t OPCODE_GET_EVENT_STATUS = 0x4A;
constexpr uint8_t OPCODE_READ_DISC_INFO = 0x51;
constexpr uint8_t OPCODE_READ_TRACK_INFO = 0x52;
constexpr uint8_t OPCODE_RESERVE_TRACK = 0x53;
constexpr uint8_t OPCODE_CLOSE_TRACK_SESSION = 0x5B;
constexpr uint8_t OPCODE_READ_DISC_STRUCTURE = 0xAD;
constexpr uint8_t OPCODE_READ_CD = 0xBE;
constexpr uint8_t OPCODE_SEND_DISC_STRUCTURE = 0xBF;
constexpr uint8_t OPCODE_ALL_ONES = 0xFF;

constexpr uint32_t INQUIRY_SCAN_LENGTH = 254;
constexpr int BLOCK_SHIFT = 11; // READ(10) and WRITE(10) count 2048-byte blocks
constexpr uint8_t START_STOP_LOAD_EJECT = 0x02;
constexpr uint8_t READ_TOC_FIRST_TRACK = 0x01;
constexpr uint32_t READ_TOC_LENGTH = 48;
constexpr uint8_t EVENT_CLASS_MEDIA = 0x10;
constexpr uint32_t EVENT_STATUS_LENGTH = 8;
constexpr uint32_t DISC_INFO_LENGTH = 34;
constexpr uint8_t READ_CD_USER_DATA = 0x10;
constexpr uint32_t READ_CAPACITY_LENGTH = 8;

// A CDB of 12 zero bytes with its opcode.
struct Cdb {
    uint8_t bytes[CDB_SIZE] = {};
    explicit Cdb(uint8_t opcode) { bytes[0] = opcode; }
    uint8_t& operator[](int at) { return bytes[at]; }
    uint8_t* Field(int offset) { return bytes + offset; }
};

int Send(CdbGroup group, int direction, uint32_t length, const Cdb& cdb) {
    return SendCdb(group, Addressing::SelectedDrive, direction, length, cdb.bytes);
}

int SendToScanAddress(CdbGroup group, int direction, uint32_t length, const Cdb& cdb) {
    return SendCdb(group, Addressing::ScanAddress, direction, length, cdb.bytes);
}

Cdb InquiryCdb(uint32_t length) {
    Cdb cdb(OPCODE_INQUIRY);
    cdb[4] = static_cast<uint8_t>(length);
    return cdb;
}

// READ BUFFER and WRITE BUFFER share one layout.
Cdb BufferCdb(uint8_t opcode, uint8_t bufferId, uint8_t mode, uint32_t offset, uint32_t length) {
    Cdb cdb(opcode);
    cdb[1] = mode;
    cdb[2] = bufferId;
    PutBigEndian24(cdb.Field(3), offset);
    PutBigEndian24(cdb.Field(6), length);
    return cdb;
}

Cdb BlockTransferCdb(uint8_t opcode, uint32_t lba, uint32_t blocks) {
    Cdb cdb(opcode);
    PutBigEndian32(cdb.Field(2), lba);
    PutBigEndian24(cdb.Field(6), blocks);
    return cdb;
}

} // namespace

int CmdTestUnitReady() {
    return Send(CdbGroup::Six, DIR_NONE, 0, Cdb(OPCODE_TEST_UNIT_READY));
}

int CmdRequestSense(uint32_t length) {
    Cdb cdb(OPCODE_REQUEST_SENSE);
    cdb[4] = static_cast<uint8_t>(length);
    return Send(CdbGroup::Six, DIR_IN, cdb[4], cdb);
}

int CmdInquiryScan() {
    return SendToScanAddress(CdbGroup::Six, DIR_IN, INQUIRY_SCAN_LENGTH,
                             InquiryCdb(INQUIRY_SCAN_LENGTH));
}

int CmdInquiry(uint32_t length) {
    return Send(CdbGroup::Six, DIR_IN, static_cast<uint8_t>(length), InquiryCdb(length));
}

int CmdStartStopUnit(int eject) {
    Cdb cdb(OPCODE_START_STOP_UNIT);
    cdb[4] = (eject & 1) ? START_STOP_LOAD_EJECT : 0;
    return Send(CdbGroup::Six, DIR_NONE, 0, cdb);
}

int CmdSendCdb6(const uint8_t* cdb, int direction, uint32_t length) {
    uint8_t copy[CDB_SIZE];
    std::memcpy(copy, cdb, sizeof copy);
    return SendCdb(CdbGroup::Six, Addressing::SelectedDrive, direction, length, copy);
}

int CmdRead10(uint32_t lba, uint32_t blocks) {
    return Send(CdbGroup::Ten, DIR_IN, blocks << BLOCK_SHIFT,
                BlockTransferCdb(OPCODE_READ_10, lba, blocks));
}

int CmdWrite10(uint32_t lba, uint32_t blocks) {
    return Send(CdbGroup::Ten, DIR_OUT, blocks << BLOCK_SHIFT,
                BlockTransferCdb(OPCODE_WRITE_10, lba, blocks));
}

int CmdReadCapacity() {
    return Send(CdbGroup::Ten, DIR_IN, READ_CAPACITY_LENGTH, Cdb(OPCODE_READ_CAPACITY));
}

int CmdSynchronizeCache(int immed) {
    Cdb cdb(OPCODE_SYNCHRONIZE_CACHE);
    cdb[1] = static_cast<uint8_t>(immed << 1);
    return Send(CdbGroup::Ten, DIR_NONE, 0, cdb);
}

int CmdReadToc() {
    Cdb cdb(OPCODE_READ_TOC);
    cdb[6] = READ_TOC_FIRST_TRACK;
    PutBigEndian16(cdb.Field(7), READ_TOC_LENGTH);
    return Send(CdbGroup::Ten, DIR_IN, READ_TOC_LENGTH, cdb);
}

int CmdGetEventStatus() {
    Cdb cdb(OPCODE_GET_EVENT_STATUS);
    cdb[4] = EVENT_CLASS_MEDIA;
    PutBigEndian16(cdb.Field(7), EVENT_STATUS_LENGTH);
    return Send(CdbGroup::Ten, DIR_IN, EVENT_STATUS_LENGTH, cdb);
}

int CmdReadDiscInfo() {
    Cdb cdb(OPCODE_READ_DISC_INFO);
    PutBigEndian16(cdb.Field(7), DISC_INFO_LENGTH);
    return Send(CdbGroup::Ten, DIR_IN, DISC_INFO_LENGTH, cdb);
}

int CmdCloseTrackSession(uint8_t byte1, uint8_t closeFunction, uint32_t trackNumber) {
    Cdb cdb(OPCODE_CLOSE_TRACK_SESSION);
    cdb[1] = byte1;
    cdb[2] = closeFunction;
    PutBigEndian16(cdb.Field(4), trackNumber);
    return Send(CdbGroup::Ten, DIR_NONE, 0, cdb);
}

int CmdReserveTrack(uint32_t reservationSize) {
    Cdb cdb(OPCODE_RESERVE_TRACK);
    PutBigEndian32(cdb.Field(5), reservationSize);
    return Send(CdbGroup::Ten, DIR_NONE, 0, cdb);
}

int CmdReadCd(uint32_t lba, uint32_t blocks, uint32_t blockSize, uint8_t sectorType) {
    Cdb cdb(OPCODE_READ_CD);
    cdb[1] = static_cast<uint8_t>(sectorType << 2);
    PutBigEndian32(cdb.Field(2), lba);
    PutBigEndian24(cdb.Field(6), blocks);
    cdb[9] = READ_CD_USER_DATA;
    return Send(CdbGroup::Ten, DIR_IN, blocks * blockSize, cdb);
}

int CmdReadBuffer(uint8_t bufferId, uint8_t mode, uint32_t offset, uint32_t length) {
    return Send(CdbGroup::Twelve, DIR_IN, length,
                BufferCdb(OPCODE_READ_BUFFER, bufferId, mode, offset, length));
}

int CmdReadOemIdScan() {
    return SendToScanAddress(CdbGroup::Twelve, DIR_IN, IDENTIFICATION_LENGTH,
                             BufferCdb(OPCODE_READ_BUFFER, BUFFER_ID_IDENTIFICATION,
                                       READ_BUFFER_MODE_DATA, 0, IDENTIFICATION_LENGTH));
}

int CmdWriteBuffer(uint8_t bufferId, uint8_t mode, uint32_t offset, uint32_t length) {
    return Send(CdbGroup::Twelve, DIR_OUT, length,
                BufferCdb(OPCODE_WRITE_BUFFER, bufferId, mode, offset, length));
}

int CmdGetConfiguration(uint8_t rt, uint32_t startingFeature, uint32_t allocationLength) {
    Cdb cdb(OPCODE_GET_CONFIGURATION);
    cdb[1] = rt;
    PutBigEndian16(cdb.Field(2), startingFeature);
    PutBigEndian16(cdb.Field(7), allocationLength);
    return Send(CdbGroup::Twelve, DIR_IN, allocationLength, cdb);
}

int CmdReadTrackInfo(uint8_t addressType, uint32_t address, uint32_t allocationLength) {
    Cdb cdb(OPCODE_READ_TRACK_INFO);
    cdb[1] = addressType;
    PutBigEndian32(cdb.Field(2), address);
    PutBigEndian16(cdb.Field(7), allocationLength);
    return Send(CdbGroup::Twelve, DIR_IN, allocationLength, cdb);
}

int CmdReadDiscStructure(uint32_t address, uint8_t layer, uint8_t format,
                         uint32_t allocationLength) {
    Cdb cdb(OPCODE_READ_DISC_STRUCTURE);
    PutBigEndian32(cdb.Field(2), address);
    cdb[6] = layer;
    cdb[7] = format;
    PutBigEndian16(cdb.Field(8), allocationLength);
    return Send(CdbGroup::Twelve, DIR_IN, allocationLength, cdb);
}

int CmdSendDiscStructure(uint32_t length, uint8_t format) {
    Cdb cdb(OPCODE_SEND_DISC_STRUCTURE);
    cdb[7] = format;
    PutBigEndian16(cdb.Field(8), length);
    return Send(CdbGroup::Twelve, DIR_OUT, length, cdb);
}

int CmdSendCdb12(const uint8_t* cdb, uint32_t length, int direction) {
    return SendCdb(CdbGroup::Twelve, Addressing::SelectedDrive, direction, length, cdb);
}

int CmdAllOnes() {
    Cdb cdb(OPCODE_ALL_ONES);
    std::memset(cdb.bytes, 0xFF, sizeof cdb.bytes);
    return Send(CdbGroup::Twelve, DIR_NONE, 0, cdb);
}
