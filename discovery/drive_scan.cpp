#include "drive_scan.h"

#include <cstring>
#include <string>

#include "drive/aspi_layout.h"
#include "drive/aspi_transport.h"
#include "drive/drive_identity.h"
#include "drive/pass_through.h"
#include "drive/shared_state.h"
#include "framework/controls.h"
#include "oem_id.h"
#include "update/notify.h"
#include "update/worker_launch.h"

namespace {

constexpr int INQUIRY_TEXT_OFFSET = 8;
constexpr int INQUIRY_TEXT_END = 45; // the text holds bytes 8..44: identity, revision and date

constexpr int ASPI_TARGETS_PER_ADAPTER = 8;
constexpr size_t HA_IDENTIFIER_LENGTH = sizeof(SRB_HAInquiry::HA_Identifier);

constexpr char FIRST_LETTER = 'C';
constexpr char LAST_LETTER = 'Z';

// How a scan starts its waiting worker: on the ASPI scan address, or on a drive letter's device.
struct WaitingStart {
    LPTHREAD_START_ROUTINE worker;
    bool onLetter;
    char letter;

    int operator()() const {
        return onLetter ? StartWorkerThreadOnDrive(worker, static_cast<uint8_t>(letter), 1)
                        : StartWorkerThread(worker, 1);
    }
};

// Runs one identification operation into a cleared read buffer. True only when its worker has
// ended within the wait: a late answer belongs to nobody and the device is skipped.
bool RunIdentification(const WaitingStart& start, int operation, size_t clearedBytes) {
    // A worker left running by an earlier step would still write into the cleared bytes.
    WaitForLastWorker();
    std::memset(g_pReadBuffer, 0, clearedBytes);
    g_nOperation = operation;
    return start() != 0 && LastWorkerHasEnded();
}

bool CarriesOemId(const WaitingStart& start) {
    if (!RunIdentification(start, OP_READ_OEM_ID, IDENTIFICATION_LENGTH) || g_nCmdStatus != 1)
        return false;
    g_pReadBuffer[IDENTIFICATION_LENGTH] = '\0';
    return FindOemId(reinterpret_cast<const char*>(g_pReadBuffer) + IDENTIFICATION_TEXT_OFFSET) !=
           0;
}

bool ReadInquiry(const WaitingStart& start) {
    return RunIdentification(start, OP_IDENTIFY, INQUIRY_DATA_SIZE);
}

// The vendor, product, revision and date text of the INQUIRY reply in the read buffer.
std::string InquiryText() {
    g_pReadBuffer[INQUIRY_TEXT_END] = '\0';
    return reinterpret_cast<const char*>(g_pReadBuffer) + INQUIRY_TEXT_OFFSET;
}

bool NamesSupportedModel() {
    return std::strncmp(reinterpret_cast<const char*>(g_pReadBuffer) + INQUIRY_TEXT_OFFSET,
                        DRIVE_MODEL, DRIVE_MODEL_LENGTH) == 0;
}

// Appended at the end even though the list sorts: index i must stay table entry i.
void AppendLine(CComboBox* driveList, const std::string& line) {
    if (driveList != nullptr)
        driveList->InsertString(-1, line.c_str());
}

std::string AdapterText(const SRB_HAInquiry& inquiry) {
    const char* identifier = reinterpret_cast<const char*>(inquiry.HA_Identifier);
    return std::string(identifier, strnlen(identifier, HA_IDENTIFIER_LENGTH));
}

int Finish(int count) {
    g_nDriveCount = count;
    return count;
}

bool ScanPossible(CComboBox* driveList) {
    if (driveList != nullptr)
        driveList->ResetContent();
    return g_pReadBuffer != nullptr;
}

// No adapters when the layer lacks either entry point: a missing one is never called.
int AdapterCount() {
    if (g_pfnGetASPI32SupportInfo == nullptr || g_pfnSendASPI32Command == nullptr)
        return 0;
    DWORD support = g_pfnGetASPI32SupportInfo();
    if (((support >> 8) & 0xFF) != SS_COMP)
        return 0;
    return support & 0xFF;
}

} // namespace

int ScanAspiAdapters(LPTHREAD_START_ROUTINE worker, CComboBox* driveList) {
    if (!ScanPossible(driveList))
        return Finish(0);
    const int adapters = AdapterCount();
    // One block for all adapters, cleared once: only its adapter number moves on.
    SRB_HAInquiry inquiry = {};
    const WaitingStart start{worker, false, 0};
    int count = 0;
    for (int ha = 0; ha < adapters && count < DRIVE_TABLE_CAPACITY; ++ha) {
        g_ScanHa = static_cast<uint8_t>(ha);
        g_pfnSendASPI32Command(&inquiry);
        for (int target = 0; target < ASPI_TARGETS_PER_ADAPTER && count < DRIVE_TABLE_CAPACITY;
             ++target) {
            g_ScanTarget = static_cast<uint8_t>(target);
            if (!CarriesOemId(start) || !ReadInquiry(start))
                continue;
            AppendLine(driveList, AdapterText(inquiry) + " " + InquiryText());
            DriveAddress& entry = g_DriveTable[count++];
            entry.HaId = g_ScanHa;
            entry.TargetId = g_ScanTarget;
            entry.Lun = g_ScanLun;
        }
        ++inquiry.SRB_HaId;
    }
    return Finish(count);
}

int ScanDriveLetters(LPTHREAD_START_ROUTINE worker, CComboBox* driveList) {
    if (!ScanPossible(driveList))
        return Finish(0);
    int count = 0;
    for (char letter = FIRST_LETTER; letter <= LAST_LETTER && count < DRIVE_TABLE_CAPACITY;
         ++letter) {
        const WaitingStart start{worker, true, letter};
        if (CarriesOemId(start) && ReadInquiry(start) && NamesSupportedModel()) {
            AppendLine(driveList, std::string(1, letter) + ": " + InquiryText());
            g_DriveTable[count++].DriveLetter = static_cast<uint8_t>(letter);
        }
        // The identification operations post nothing, so the device is the scan's to close, once
        // a worker that outlived its wait is done with it.
        WaitForLastWorker();
        CloseDriveDevice(&g_hDrive);
    }
    return Finish(count);
}
