#pragma once
// One builder per SCSI/MMC command the updater can send. Each fills a 12-byte CDB (bytes it does
// not name are 0), hands it to the transport chosen at start-up and returns 1 when the command
// completed with good status, 0 otherwise. After the return g_nCmdStatus holds the transport's
// status, a data-in command's reply starts at g_pReadBuffer[0], and the transport's request block
// holds the CDB and any sense data (see sense.h).
//
// Nothing is checked: callers keep transfer lengths within the 2 MiB transfer buffers and send one
// command at a time. Multi-byte parameters are cut to the width of their CDB field; a transfer
// length is used in full.

#include <cstdint>

// 6-byte group.
int CmdTestUnitReady();
int CmdRequestSense(uint32_t length); // low 8 bits of length: CDB byte 4 and transfer length
int CmdInquiryScan();                 // INQUIRY of 254 bytes at the ASPI scan address
int CmdInquiry(uint32_t length);      // low 8 bits of length: CDB byte 4 and transfer length
int CmdStartStopUnit(int eject);      // bit 0: eject; the start bit is never set
int CmdSendCdb6(const uint8_t* cdb, int direction, uint32_t length); // the caller's 12 bytes

// 10-byte group.
int CmdRead10(uint32_t lba, uint32_t blocks);  // 2048-byte blocks, count cut to 24 bits
int CmdWrite10(uint32_t lba, uint32_t blocks); // 2048-byte blocks, count cut to 24 bits
int CmdReadCapacity();
int CmdSynchronizeCache(int immed); // byte 1 = immed shifted left by one, not masked
int CmdReadToc();                   // format 0, LBA form, from track 1, 48 bytes
int CmdGetEventStatus();            // media event class, not polled, 8 bytes
int CmdReadDiscInfo();              // 34 bytes
int CmdCloseTrackSession(uint8_t byte1, uint8_t closeFunction, uint32_t trackNumber);
int CmdReserveTrack(uint32_t reservationSize);
// READ CD is announced in the 10-byte group although its CDB has 12 bytes; user data only.
int CmdReadCd(uint32_t lba, uint32_t blocks, uint32_t blockSize, uint8_t sectorType);

// 12-byte group (READ/WRITE BUFFER, GET CONFIGURATION and READ TRACK INFORMATION included,
// although the standard gives them 10 bytes).
int CmdReadBuffer(uint8_t bufferId, uint8_t mode, uint32_t offset, uint32_t length);
int CmdReadOemIdScan(); // READ BUFFER 0xF1, mode 2, 48 bytes, at the ASPI scan address
int CmdWriteBuffer(uint8_t bufferId, uint8_t mode, uint32_t offset, uint32_t length);
int CmdGetConfiguration(uint8_t rt, uint32_t startingFeature, uint32_t allocationLength);
int CmdReadTrackInfo(uint8_t addressType, uint32_t address, uint32_t allocationLength);
int CmdReadDiscStructure(uint32_t address, uint8_t layer, uint8_t format,
                         uint32_t allocationLength);
int CmdSendDiscStructure(uint32_t length, uint8_t format);
// The caller's 12 bytes as they are. Note the order: length before direction, unlike CmdSendCdb6.
int CmdSendCdb12(const uint8_t* cdb, uint32_t length, int direction);
int CmdAllOnes(); // opcode 0xFF with every byte 0xFF, no data
