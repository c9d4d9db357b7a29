#include "update_sequence.h"

#include <cstring>

#include "drive/command_builders.h"
#include "drive/drive_identity.h"
#include "drive/sense.h"
#include "drive/shared_state.h"
#include "framework/cwnd.h"
#include "image_file.h"
#include "image_files.h"
#include "notify.h"
#include "sequence_messages.h"

namespace {

constexpr uint8_t BUFFER_ID_UNLOCK = 0xFF;
constexpr uint8_t BUFFER_ID_SUB_IMAGE = 0xFE;
constexpr uint8_t BUFFER_ID_MAIN_IMAGE = 0xF0;
constexpr uint8_t WRITE_BUFFER_MODE_DOWNLOAD = 5;

constexpr int IDENTIFICATION_1_OFFSET = IDENTIFICATION_TEXT_OFFSET;
constexpr int IDENTIFICATION_2_OFFSET = 24;
constexpr int IDENTIFICATION_FIELD_LENGTH = 8;
constexpr uint8_t DOWNLOAD_STATE_OPEN = ' ';

constexpr char UNLOCK_TEXT[] = "ICKDIOI  JGE-948";
constexpr int UNLOCK_TEXT_LENGTH = 16;
constexpr uint32_t UNLOCK_LIST_LENGTH = 256;

constexpr uint32_t CHUNK_SIZE = 0x8000;

constexpr char IMAGE_DATE[] = "06/11/07";

int ReadIdentification() {
    return CmdReadBuffer(BUFFER_ID_IDENTIFICATION, READ_BUFFER_MODE_DATA, 0, IDENTIFICATION_LENGTH);
}

// A field of the identification reply as a text of at most 8 characters.
void IdentificationField(int offset, char (&field)[IDENTIFICATION_FIELD_LENGTH + 1]) {
    std::memcpy(field, g_pReadBuffer + offset, IDENTIFICATION_FIELD_LENGTH);
    field[IDENTIFICATION_FIELD_LENGTH] = '\0';
}

struct ImageHeader {
    char id1[IDENTIFICATION_FIELD_LENGTH + 1];
    char id2[IDENTIFICATION_FIELD_LENGTH + 1];
    char date[DATE_TEXT_LENGTH + 1];
    char model[DRIVE_MODEL_LENGTH + 1];
};

bool ReadImageHeader(const char* path, ImageHeader& header) {
    ImageFile file(path);
    if (!file.IsOpen())
        return false;
    file.ReadText(IMAGE_ID1_OFFSET, header.id1, IDENTIFICATION_FIELD_LENGTH);
    file.ReadText(IMAGE_ID2_OFFSET, header.id2, IDENTIFICATION_FIELD_LENGTH);
    file.ReadText(IMAGE_DATE_OFFSET, header.date, DATE_TEXT_LENGTH);
    file.ReadText(IMAGE_MODEL_OFFSET, header.model, DRIVE_MODEL_LENGTH);
    return true;
}

// Unlocks the drive before an image when its download state asks for it. The message, if any,
// is shown here; the result says whether the download may go on.
bool PrepareDownload(CWnd* dialog) {
    int state = ReadDownloadState();
    if (state < 0)
        return false;
    if (state == 1 && SendUnlock() == 0) {
        ShowCommandError(dialog);
        return false;
    }
    return true;
}

// Sends an image file in chunks through the write buffer. A chunk that cannot be read whole is
// not sent: the drive gets nothing but the file's own bytes at their own offsets.
bool SendImage(CWnd* dialog, const char* path, uint8_t bufferId, uint32_t imageSize) {
    ImageFile file(path);
    if (!file.IsOpen()) {
        ShowFileOpenError(dialog, path);
        return false;
    }
    for (uint32_t offset = 0; offset < imageSize; offset += CHUNK_SIZE) {
        if (!file.ReadNext(g_pWriteBuffer, CHUNK_SIZE))
            return false;
        if (CmdWriteBuffer(bufferId, WRITE_BUFFER_MODE_DOWNLOAD, offset, CHUNK_SIZE) == 0) {
            ShowCommandError(dialog);
            return false;
        }
    }
    return true;
}

bool EjectMedium() {
    return CmdStartStopUnit(1) == 1 || ClassifyLastSense() == SENSE_CLASS_NO_MEDIUM;
}

} // namespace

int RunUpdateSequence(CWnd* dialog) {
    if (!CheckImageCompatibility(dialog) || !CheckImageFiles(dialog))
        return 0;
    CmdTestUnitReady();
    CmdTestUnitReady();
    if (!EjectMedium())
        return 0;
    return DownloadSubImage(dialog) && DownloadMainImage(dialog) ? 1 : 0;
}

int CheckImageCompatibility(CWnd* dialog) {
    if (ReadIdentification() == 0) {
        ShowCommandError(dialog);
        return 0;
    }
    char driveId1[IDENTIFICATION_FIELD_LENGTH + 1];
    char driveId2[IDENTIFICATION_FIELD_LENGTH + 1];
    IdentificationField(IDENTIFICATION_1_OFFSET, driveId1);
    IdentificationField(IDENTIFICATION_2_OFFSET, driveId2);
    ImageHeader header;
    if (!ReadImageHeader(g_szMainImagePath, header))
        return 0;
    bool matches =
        std::strcmp(driveId1, header.id1) == 0 && std::strcmp(driveId2, header.id2) == 0 &&
        std::strcmp(header.model, DRIVE_MODEL) == 0 && std::strcmp(header.date, IMAGE_DATE) == 0;
    if (!matches) {
        ShowIncompatibleImage(dialog);
        return 0;
    }
    return 1;
}

// Checked before the drive is touched: a file that is missing or too short would otherwise stop
// the download halfway, with the drive's old firmware partly overwritten.
int CheckImageFiles(CWnd* dialog) {
    ImageFile sub(g_szSubImagePath);
    if (!sub.IsOpen()) {
        ShowFileOpenError(dialog, g_szSubImagePath);
        return 0;
    }
    ImageFile main(g_szMainImagePath);
    if (!main.IsOpen()) {
        ShowFileOpenError(dialog, g_szMainImagePath);
        return 0;
    }
    if (main.Size() < MAIN_IMAGE_SIZE || sub.Size() < SUB_IMAGE_SIZE) {
        ShowIncompatibleImage(dialog);
        return 0;
    }
    return 1;
}

int ReadDownloadState() {
    if (ReadIdentification() == 0)
        return -1;
    return g_pReadBuffer[DOWNLOAD_STATE_OFFSET] == DOWNLOAD_STATE_OPEN ? 0 : 1;
}

// The list is the unlock text and the drive's code; the rest of it is sent cleared, never as
// leftovers of an image chunk.
int SendUnlock() {
    std::memset(g_pWriteBuffer, 0, UNLOCK_LIST_LENGTH);
    std::memcpy(g_pWriteBuffer, UNLOCK_TEXT, UNLOCK_TEXT_LENGTH);
    std::memcpy(g_pWriteBuffer + UNLOCK_TEXT_LENGTH, g_UnlockCode, UNLOCK_CODE_SIZE);
    return CmdWriteBuffer(BUFFER_ID_UNLOCK, WRITE_BUFFER_MODE_DOWNLOAD, 0, UNLOCK_LIST_LENGTH);
}

int DownloadSubImage(CWnd* dialog) {
    if (!PrepareDownload(dialog))
        return 0;
    return SendImage(dialog, g_szSubImagePath, BUFFER_ID_SUB_IMAGE, SUB_IMAGE_SIZE) ? 1 : 0;
}

// After the last chunk the unlock is sent once more; the drive then takes the new firmware, and a
// space in the download state says it did not. A READ BUFFER that fails at that point still
// counts as success: the firmware has gone to the drive.
int DownloadMainImage(CWnd* dialog) {
    if (!PrepareDownload(dialog))
        return 0;
    dialog->PostMessage(WM_UPDATER_NOTIFY, NOTIFY_OPEN_PROGRESS, NOTIFY_MIDWAY);
    if (!SendImage(dialog, g_szMainImagePath, BUFFER_ID_MAIN_IMAGE, MAIN_IMAGE_SIZE))
        return 0;
    if (SendUnlock() == 0) {
        ShowCommandError(dialog);
        return 0;
    }
    return ReadDownloadState() == 0 ? 0 : 1;
}
