#include "sense.h"

#include <cstdio>

#include "aspi_transport.h"
#include "pass_through.h"
#include "shared_state.h"

namespace {

// Fixed-format sense data.
constexpr int SENSE_KEY_BYTE = 2;
constexpr int SENSE_ASC_BYTE = 12;
constexpr int SENSE_ASCQ_BYTE = 13;

constexpr uint8_t SENSE_KEY_NO_SENSE = 0x00;
constexpr uint8_t SENSE_KEY_NOT_READY = 0x02;
constexpr uint8_t SENSE_KEY_HARDWARE_ERROR = 0x04;
constexpr uint8_t SENSE_KEY_UNIT_ATTENTION = 0x06;

constexpr uint8_t ASC_NOT_READY = 0x04;
constexpr uint8_t ASC_COMMUNICATION_FAILURE = 0x08;
constexpr uint8_t ASC_MEDIUM_CHANGED = 0x28;
constexpr uint8_t ASC_RESET = 0x29;
constexpr uint8_t ASC_MEDIUM_NOT_PRESENT = 0x3A;
constexpr uint8_t ASC_SELF_CONFIG_FAILED = 0x4C;

// Where the last command's bytes lie in the active transport's request block.
struct LastCommand {
    const uint8_t* cdb;
    const uint8_t* sense;

    uint8_t SenseKey() const { return sense[SENSE_KEY_BYTE]; }
    uint8_t Asc() const { return sense[SENSE_ASC_BYTE]; }
    uint8_t Ascq() const { return sense[SENSE_ASCQ_BYTE]; }
};

LastCommand ActiveRequestBlock() {
    if (g_nTransport == TRANSPORT_ASPI)
        return {g_Srb.CDBByte, g_Srb.SenseArea};
    return {g_Sptd.Sptd.Cdb, g_Sptd.SenseArea};
}

struct SenseClassRow {
    uint8_t key;
    uint8_t asc;
    uint8_t ascq;
    int senseClass;
};

constexpr SenseClassRow SENSE_CLASSES[] = {
    {SENSE_KEY_NO_SENSE, 0x00, 0x00, SENSE_CLASS_NONE},
    {SENSE_KEY_NOT_READY, ASC_NOT_READY, 0x01, SENSE_CLASS_BECOMING_READY},
    {SENSE_KEY_NOT_READY, ASC_NOT_READY, 0x02, SENSE_CLASS_INIT_REQUIRED},
    {SENSE_KEY_NOT_READY, ASC_MEDIUM_NOT_PRESENT, 0x00, SENSE_CLASS_NO_MEDIUM},
    {SENSE_KEY_HARDWARE_ERROR, ASC_COMMUNICATION_FAILURE, 0x01, SENSE_CLASS_COMM_TIMEOUT},
    {SENSE_KEY_HARDWARE_ERROR, ASC_SELF_CONFIG_FAILED, 0x00, SENSE_CLASS_SELF_CONFIG_FAILED},
    {SENSE_KEY_UNIT_ATTENTION, ASC_MEDIUM_CHANGED, 0x00, SENSE_CLASS_MEDIUM_CHANGED},
    {SENSE_KEY_UNIT_ATTENTION, ASC_RESET, 0x00, SENSE_CLASS_RESET},
};

} // namespace

int ClassifySense(uint8_t senseKey, uint8_t asc, uint8_t ascq) {
    for (const SenseClassRow& row : SENSE_CLASSES)
        if (row.key == senseKey && row.asc == asc && row.ascq == ascq)
            return row.senseClass;
    return SENSE_CLASS_OTHER;
}

int ClassifyLastSense() {
    LastCommand last = ActiveRequestBlock();
    return ClassifySense(last.SenseKey(), last.Asc(), last.Ascq());
}

int IsResetOrMediumAttention() {
    LastCommand last = ActiveRequestBlock();
    bool attention = last.SenseKey() == SENSE_KEY_UNIT_ATTENTION &&
                     (last.Asc() == ASC_RESET || last.Asc() == ASC_MEDIUM_CHANGED);
    return attention ? 1 : 0;
}

void FormatCommandReport(std::string& report) {
    LastCommand last = ActiveRequestBlock();
    const uint8_t* c = last.cdb;
    char command[64];
    std::snprintf(command, sizeof command,
                  "Command    : %02x %02x %02x %02x %02x %02x %02x %02x %02x %02x %02x %02x ", c[0],
                  c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8], c[9], c[10], c[11]);
    char sense[32];
    std::snprintf(sense, sizeof sense, "Sense Code : %02x-%02x-%02x", last.SenseKey(), last.Asc(),
                  last.Ascq());
    char joined[sizeof command + sizeof sense + 4];
    std::snprintf(joined, sizeof joined, "%s\r\n%s\r\n", command, sense);
    report = joined;
}

int FindFirstDifference(const uint8_t* first, const uint8_t* second, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i)
        if (first[i] != second[i])
            return static_cast<int>(i);
    return -1;
}
