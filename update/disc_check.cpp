#include "disc_check.h"

#include "drive/command_builders.h"
#include "drive/sense.h"
#include "drive/shared_state.h"

namespace {

constexpr uint8_t TRACK_INFO_ADDRESS_TYPE = 0;
constexpr uint32_t TRACK_INFO_LENGTH = 100;
constexpr int EVENT_MEDIA_STATUS_BYTE = 5;
constexpr uint8_t EVENT_MEDIA_PRESENT = 0x02;

bool FailsWithNoMedium(int result) {
    return result == 0 && ClassifyLastSense() == SENSE_CLASS_NO_MEDIUM;
}

int ReadTrackInfo() {
    return CmdReadTrackInfo(TRACK_INFO_ADDRESS_TYPE, 0, TRACK_INFO_LENGTH);
}

// A reply too short to reach the status byte leaves the preset value, which reads as present.
bool EventStatusSaysNoMedium() {
    if (g_pReadBuffer == nullptr)
        return false;
    g_pReadBuffer[EVENT_MEDIA_STATUS_BYTE] = 0xFF;
    return CmdGetEventStatus() == 1 &&
           (g_pReadBuffer[EVENT_MEDIA_STATUS_BYTE] & EVENT_MEDIA_PRESENT) == 0;
}

} // namespace

void CheckDiscPresence() {
    g_bDiscPresent = 1;
    // Only the second round of reads decides; the answers of the first are not looked at.
    CmdReadDiscInfo();
    ReadTrackInfo();
    bool noMedium = FailsWithNoMedium(CmdReadDiscInfo()) || FailsWithNoMedium(ReadTrackInfo()) ||
                    FailsWithNoMedium(CmdReadToc()) || FailsWithNoMedium(CmdTestUnitReady()) ||
                    EventStatusSaysNoMedium();
    if (noMedium)
        g_bDiscPresent = 0;
}
