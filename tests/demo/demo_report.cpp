#include "tests/demo/demo_report.h"

#include <cstdio>
#include <map>

#include "sim/sim_disc.h"
#include "sim/sim_download.h"

namespace demo {

namespace {

std::string Hex(uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, static_cast<unsigned>(value));
    return text;
}

std::string Trimmed(const std::string& text) {
    const size_t end = text.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

uint32_t Offset24(const sim::SimCommand& command) {
    return (uint32_t{command.cdb[3]} << 16) | (uint32_t{command.cdb[4]} << 8) | command.cdb[5];
}

std::string BufferName(uint8_t id) {
    switch (id) {
    case sim::BUFFER_ID_IDENTIFICATION:
        return "identification";
    case sim::BUFFER_ID_DRIVE_MEMORY:
        return "drive memory";
    case sim::BUFFER_ID_UNLOCK:
        return "unlock list";
    case sim::BUFFER_ID_SUB_IMAGE:
        return "sub image";
    case sim::BUFFER_ID_MAIN_IMAGE:
        return "main image";
    default:
        return "";
    }
}

std::string Outcome(const sim::SimReply& reply) {
    switch (reply.outcome) {
    case sim::SimOutcome::Refused:
        return "refused by Windows";
    case sim::SimOutcome::DeviceGone:
        return "device gone";
    case sim::SimOutcome::Completed:
        break;
    }
    if (reply.status == sim::SCSI_STATUS_GOOD)
        return "good";
    if (reply.status == sim::SCSI_STATUS_CHECK_CONDITION) {
        const uint8_t sense[] = {reply.sense.key, reply.sense.asc, reply.sense.ascq};
        std::string text = "check condition, sense " + Hex(sense[0], 2) + "/" + Hex(sense[1], 2) +
                           "/" + Hex(sense[2], 2);
        if (reply.sense == sim::SENSE_NO_MEDIUM)
            text += " (no disc)";
        return text;
    }
    return "status " + Hex(reply.status, 2);
}

// What matters of a command beside its name: the buffer and offset of the buffer commands, the
// eject bit of START STOP UNIT, and how many bytes move.
std::string Details(const sim::SimCommand& command) {
    std::string details;
    const uint8_t opcode = command.Opcode();
    if (opcode == sim::OP_READ_BUFFER || opcode == sim::OP_WRITE_BUFFER) {
        const std::string name = BufferName(command.cdb[2]);
        details = "mode " + std::to_string(command.cdb[1] & 0x1F) + ", buffer " +
                  Hex(command.cdb[2], 2) + (name.empty() ? "" : " (" + name + ")") + ", offset " +
                  Hex(Offset24(command), 6) + ", ";
    } else if (opcode == sim::OP_START_STOP_UNIT) {
        details = (command.cdb[4] & 0x02) ? "eject, " : "stop, ";
    }
    if (command.transferLength == 0)
        return details + "no data";
    return details + std::to_string(command.transferLength) + " bytes";
}

// A chunk of an image: the download mode to the sub or main image's buffer, one chunk long, good.
bool IsGoodImageChunk(const sim::JournalEntry& entry) {
    const sim::SimCommand& command = entry.command;
    return command.Opcode() == sim::OP_WRITE_BUFFER &&
           (command.cdb[1] & 0x1F) == sim::WRITE_BUFFER_MODE_DOWNLOAD &&
           (command.cdb[2] == sim::BUFFER_ID_SUB_IMAGE ||
            command.cdb[2] == sim::BUFFER_ID_MAIN_IMAGE) &&
           command.transferLength == sim::IMAGE_CHUNK_SIZE &&
           entry.reply.outcome == sim::SimOutcome::Completed &&
           entry.reply.status == sim::SCSI_STATUS_GOOD;
}

// The next chunk of the same image, at the offset after the previous one.
bool ContinuesRun(const sim::JournalEntry& previous, const sim::JournalEntry& next) {
    return IsGoodImageChunk(next) && next.command.cdb[2] == previous.command.cdb[2] &&
           Offset24(next.command) == Offset24(previous.command) + sim::IMAGE_CHUNK_SIZE;
}

std::string Numbered(size_t first, size_t last, const std::string& text) {
    char number[24];
    if (first == last)
        std::snprintf(number, sizeof number, "%7u", static_cast<unsigned>(first));
    else
        std::snprintf(number, sizeof number, "%3u-%-3u", static_cast<unsigned>(first),
                      static_cast<unsigned>(last));
    return std::string(number) + "  " + text;
}

} // namespace

std::string OpcodeName(uint8_t opcode) {
    static const std::map<uint8_t, const char*> names = {
        {0x00, "TEST UNIT READY"},
        {0x03, "REQUEST SENSE"},
        {0x12, "INQUIRY"},
        {0x1B, "START STOP UNIT"},
        {0x25, "READ CAPACITY"},
        {0x28, "READ(10)"},
        {0x2A, "WRITE(10)"},
        {0x35, "SYNCHRONIZE CACHE"},
        {0x3B, "WRITE BUFFER"},
        {0x3C, "READ BUFFER"},
        {0x43, "READ TOC"},
        {0x46, "GET CONFIGURATION"},
        {0x4A, "GET EVENT STATUS NOTIFICATION"},
        {0x51, "READ DISC INFORMATION"},
        {0x52, "READ TRACK INFORMATION"},
        {0x53, "RESERVE TRACK"},
        {0x5B, "CLOSE TRACK/SESSION"},
        {0xAD, "READ DISC STRUCTURE"},
        {0xBE, "READ CD"},
        {0xBF, "SEND DISC STRUCTURE"},
    };
    const auto found = names.find(opcode);
    return found != names.end() ? found->second : "opcode " + Hex(opcode, 2);
}

std::string DescribeDrive(const sim::SimDrive& drive) {
    std::string state;
    switch (drive.DownloadState()) {
    case sim::DOWNLOAD_LOCKED:
        state = "download locked";
        break;
    case sim::DOWNLOAD_SUB_STORED:
        state = "sub image stored, main image awaited";
        break;
    case sim::DOWNLOAD_OPEN:
        state = "download open (unfinished)";
        break;
    default:
        state = "download state " + Hex(drive.DownloadState(), 2);
    }
    return Trimmed(drive.identity.vendor) + " " + Trimmed(drive.identity.product) + ", firmware " +
           drive.identity.revision + " (" + drive.identity.firmwareDate + "), " + state +
           (drive.disc.present ? ", a disc in it" : ", no disc");
}

std::vector<std::string> DescribeJournal(const sim::Journal& journal) {
    std::vector<std::string> lines;
    size_t i = 0;
    while (i < journal.size()) {
        const sim::JournalEntry& entry = journal[i];
        size_t last = i;
        if (IsGoodImageChunk(entry))
            while (last + 1 < journal.size() && ContinuesRun(journal[last], journal[last + 1]))
                ++last;
        if (last > i) {
            const sim::SimCommand& command = entry.command;
            const std::string buffer =
                "buffer " + Hex(command.cdb[2], 2) + " (" + BufferName(command.cdb[2]) + ")";
            const std::string chunks = std::to_string(last - i + 1) + " chunks of " +
                                       std::to_string(command.transferLength) + " bytes";
            const std::string offsets =
                Hex(Offset24(command), 6) + ".." + Hex(Offset24(journal[last].command), 6);
            lines.push_back(Numbered(i + 1, last + 1,
                                     OpcodeName(command.Opcode()) + "  mode " +
                                         std::to_string(command.cdb[1] & 0x1F) + ", " + buffer +
                                         ": " + chunks + " at " + offsets + "  all good"));
        } else {
            lines.push_back(Numbered(i + 1, i + 1,
                                     OpcodeName(entry.command.Opcode()) + "  " +
                                         Details(entry.command) + "  " + Outcome(entry.reply)));
        }
        i = last + 1;
    }
    return lines;
}

} // namespace demo
