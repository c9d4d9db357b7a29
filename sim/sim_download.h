#pragma once
// The firmware download of a simulated drive, as WRITE BUFFER mode 5 commands see it.
//
// The download-state byte (byte 32 of the identification buffer) tells the host whether the
// drive must be unlocked before an image:
//   'L'  locked: the factory state, and the state after a committed download;
//   'S'  locked after a complete sub image;
//   ' '  open: the drive takes image chunks.
// An unlock (buffer 0xFF, 256 bytes: "ICKDIOI  JGE-948" and the code bytes 8B 99 C9 91) opens a
// locked drive. An unlock while open, after all 51 chunks of a main image whose header names this
// drive, commits it: the drive then reports the image's version and date and locks ('L'). After an
// incomplete or foreign main image the byte stays a space. The sub image goes to buffer 0xFE in 4
// chunks, the main image to buffer 0xF0 in 51 chunks, each chunk 0x8000 bytes at the next offset;
// a chunk at offset 0 while open starts that image again (a host retrying after a failure).
// A wrong unlock list ends with 05/26/00; a chunk while locked or out of order with 05/2C/00; a
// wrong mode, length or buffer with 05/24/00. Nothing is rolled back.

#include <cstdint>
#include <string>

#include "sim_scsi.h"

namespace sim {

struct DriveIdentity;

constexpr uint8_t OP_WRITE_BUFFER = 0x3B;
constexpr uint8_t WRITE_BUFFER_MODE_DOWNLOAD = 0x05;
constexpr uint8_t BUFFER_ID_UNLOCK = 0xFF;
constexpr uint8_t BUFFER_ID_SUB_IMAGE = 0xFE;
constexpr uint8_t BUFFER_ID_MAIN_IMAGE = 0xF0;

constexpr uint32_t UNLOCK_LIST_SIZE = 256;
constexpr uint32_t IMAGE_CHUNK_SIZE = 0x8000;
constexpr uint32_t SUB_IMAGE_SIZE = 0x20000;
constexpr uint32_t MAIN_IMAGE_SIZE = 0x198000;

constexpr uint8_t DOWNLOAD_LOCKED = 'L';
constexpr uint8_t DOWNLOAD_SUB_STORED = 'S';
constexpr uint8_t DOWNLOAD_OPEN = ' ';

constexpr SenseCode SENSE_INVALID_PARAMETER_LIST{0x05, 0x26, 0x00};
constexpr SenseCode SENSE_COMMAND_SEQUENCE_ERROR{0x05, 0x2C, 0x00};

// Where the main image's header fields lie in its first chunk.
constexpr uint32_t IMAGE_MODEL_OFFSET = 96;
constexpr uint32_t IMAGE_VERSION_OFFSET = 144;
constexpr uint32_t IMAGE_DATE_OFFSET = 304;

struct SimDownload {
    uint32_t subReceived = 0;  // bytes of the sub image received since the last unlock
    uint32_t mainReceived = 0; // bytes of the main image received since the last unlock
    std::string mainModel;     // header fields of the main image's first chunk
    std::string mainVersion;
    std::string mainDate;

    // Answers one WRITE BUFFER; state is the download-state byte, identity what INQUIRY reports.
    SimReply Answer(const SimCommand& command, uint8_t& state, DriveIdentity& identity);

private:
    SimReply Unlock(const SimCommand& command, uint8_t& state, DriveIdentity& identity);
    enum class Image { Sub, Main };
    SimReply ImageChunk(const SimCommand& command, uint8_t& state, Image image);
    void NoteMainHeader(const SimCommand& command);
    bool MainImageFits(const DriveIdentity& identity) const;
};

} // namespace sim
