#include "command_dispatch.h"

#include "aspi_transport.h"
#include "pass_through.h"
#include "shared_state.h"

namespace {

using TransportEntry = int (*)(int direction, uint32_t transferLength, const uint8_t* cdb);

TransportEntry PassThroughEntry(CdbGroup group) {
    switch (group) {
    case CdbGroup::Six:
        return SptiExecute6;
    case CdbGroup::Ten:
        return SptiExecute10;
    case CdbGroup::Twelve:
        break;
    }
    return SptiExecute12;
}

// The ASPI layer is told the address with every request; the scan probes a candidate address
// before any drive-table entry exists. Only the 6- and 12-byte groups have scan entries, because
// only INQUIRY and READ BUFFER probe; a 10-byte command always goes to the selected drive.
TransportEntry AspiEntry(CdbGroup group, Addressing addressing) {
    bool scan = addressing == Addressing::ScanAddress;
    switch (group) {
    case CdbGroup::Six:
        return scan ? AspiScanExecute6 : AspiExecute6;
    case CdbGroup::Ten:
        return AspiExecute10;
    case CdbGroup::Twelve:
        break;
    }
    return scan ? AspiScanExecute12 : AspiExecute12;
}

} // namespace

int SendCdb(CdbGroup group, Addressing addressing, int direction, uint32_t transferLength,
            const uint8_t* cdb) {
    TransportEntry entry =
        g_nTransport == TRANSPORT_ASPI ? AspiEntry(group, addressing) : PassThroughEntry(group);
    return entry(direction, transferLength, cdb);
}
