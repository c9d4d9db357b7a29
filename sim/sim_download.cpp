#include "sim_download.h"

#include <cstring>

#include "sim_drive.h"

namespace sim {

namespace {

const char UNLOCK_TEXT[] = "ICKDIOI  JGE-948";
const uint8_t UNLOCK_CODE[] = {0x8B, 0x99, 0xC9, 0x91};

uint32_t Field24(const SimCommand& command, int at) {
    return (uint32_t(command.cdb[at]) << 16) | (uint32_t(command.cdb[at + 1]) << 8) |
           command.cdb[at + 2];
}

bool IsValidUnlockList(const std::vector<uint8_t>& list) {
    return list.size() == UNLOCK_LIST_SIZE && std::memcmp(list.data(), UNLOCK_TEXT, 16) == 0 &&
           std::memcmp(list.data() + 16, UNLOCK_CODE, sizeof UNLOCK_CODE) == 0;
}

std::string TextAt(const std::vector<uint8_t>& data, uint32_t offset, uint32_t length) {
    return std::string(reinterpret_cast<const char*>(data.data()) + offset, length);
}

} // namespace

SimReply SimDownload::Answer(const SimCommand& command, uint8_t& state, DriveIdentity& identity) {
    uint8_t mode = command.cdb[1] & 0x1F;
    uint8_t bufferId = command.cdb[2];
    if (mode != WRITE_BUFFER_MODE_DOWNLOAD)
        return CheckCondition(SENSE_INVALID_FIELD_IN_CDB);
    switch (bufferId) {
    case BUFFER_ID_UNLOCK:
        return Unlock(command, state, identity);
    case BUFFER_ID_SUB_IMAGE:
        return ImageChunk(command, state, Image::Sub);
    case BUFFER_ID_MAIN_IMAGE:
        return ImageChunk(command, state, Image::Main);
    default:
        return CheckCondition(SENSE_INVALID_FIELD_IN_CDB);
    }
}

SimReply SimDownload::Unlock(const SimCommand& command, uint8_t& state, DriveIdentity& identity) {
    if (Field24(command, 3) != 0 || Field24(command, 6) != UNLOCK_LIST_SIZE)
        return CheckCondition(SENSE_INVALID_FIELD_IN_CDB);
    if (!IsValidUnlockList(command.dataOut))
        return CheckCondition(SENSE_INVALID_PARAMETER_LIST);
    if (state != DOWNLOAD_OPEN) {
        state = DOWNLOAD_OPEN;
    } else if (mainReceived == MAIN_IMAGE_SIZE && MainImageFits(identity)) {
        identity.revision = mainVersion;
        identity.firmwareDate = mainDate;
        state = DOWNLOAD_LOCKED;
    }
    subReceived = 0;
    mainReceived = 0;
    SimReply reply;
    reply.bytesTransferred = UNLOCK_LIST_SIZE;
    return reply;
}

SimReply SimDownload::ImageChunk(const SimCommand& command, uint8_t& state, Image image) {
    uint32_t& received = image == Image::Main ? mainReceived : subReceived;
    uint32_t imageSize = image == Image::Main ? MAIN_IMAGE_SIZE : SUB_IMAGE_SIZE;
    uint32_t offset = Field24(command, 3);
    if (Field24(command, 6) != IMAGE_CHUNK_SIZE || command.dataOut.size() != IMAGE_CHUNK_SIZE ||
        offset >= imageSize)
        return CheckCondition(SENSE_INVALID_FIELD_IN_CDB);
    // A chunk at offset 0 starts the image again, as after an interrupted download.
    if (state == DOWNLOAD_OPEN && offset == 0)
        received = 0;
    if (state != DOWNLOAD_OPEN || offset != received)
        return CheckCondition(SENSE_COMMAND_SEQUENCE_ERROR);
    if (image == Image::Main && offset == 0)
        NoteMainHeader(command);
    received += IMAGE_CHUNK_SIZE;
    if (image == Image::Sub && received == SUB_IMAGE_SIZE)
        state = DOWNLOAD_SUB_STORED;
    SimReply reply;
    reply.bytesTransferred = IMAGE_CHUNK_SIZE;
    return reply;
}

void SimDownload::NoteMainHeader(const SimCommand& command) {
    mainModel = TextAt(command.dataOut, IMAGE_MODEL_OFFSET, 24);
    mainVersion = TextAt(command.dataOut, IMAGE_VERSION_OFFSET, 4);
    mainDate = TextAt(command.dataOut, IMAGE_DATE_OFFSET, 8);
}

bool SimDownload::MainImageFits(const DriveIdentity& identity) const {
    return mainModel == identity.vendor + identity.product;
}

} // namespace sim
