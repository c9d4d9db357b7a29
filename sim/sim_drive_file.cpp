#include "sim_drive_file.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace sim {

namespace {

const char* const FAULT_KIND_NAMES[] = {"status", "refused", "gone", "slow"};

std::string Quoted(const std::string& text) {
    return '"' + text + '"';
}

std::string Unquoted(const std::string& rest) {
    size_t first = rest.find('"');
    size_t last = rest.rfind('"');
    if (first == std::string::npos || last == first)
        throw std::invalid_argument("expected a quoted text: " + rest);
    return rest.substr(first + 1, last - first - 1);
}

std::string FormatHexByte(uint8_t value) {
    return ToHex(&value, 1);
}

uint8_t ParseHexByte(const std::string& hex) {
    return static_cast<uint8_t>(std::stoul(hex, nullptr, 16));
}

std::string FormatFault(const Fault& fault) {
    const uint8_t sense[] = {fault.sense.key, fault.sense.asc, fault.sense.ascq};
    std::ostringstream line;
    line << FormatHexByte(fault.opcode) << ' '
         << (fault.bufferId ? FormatHexByte(*fault.bufferId) : std::string("-")) << ' '
         << (fault.offset ? std::to_string(*fault.offset) : std::string("-")) << ' '
         << fault.occurrence << ' ' << FAULT_KIND_NAMES[static_cast<int>(fault.kind)] << ' '
         << FormatHexByte(fault.status) << ' ' << ToHex(sense, 3) << ' ' << fault.delayMs << ' '
         << fault.matchesSeen;
    return line.str();
}

FaultKind ParseFaultKind(const std::string& name) {
    for (int i = 0; i < 4; ++i)
        if (name == FAULT_KIND_NAMES[i])
            return static_cast<FaultKind>(i);
    throw std::invalid_argument("unknown fault kind " + name);
}

Fault ParseFault(const std::string& rest) {
    std::istringstream words(rest);
    std::string opcode, bufferId, offset, kind, status, sense;
    Fault fault;
    words >> opcode >> bufferId >> offset >> fault.occurrence >> kind >> status >> sense >>
        fault.delayMs >> fault.matchesSeen;
    if (!words)
        throw std::invalid_argument("malformed fault: " + rest);
    fault.opcode = ParseHexByte(opcode);
    if (bufferId != "-")
        fault.bufferId = ParseHexByte(bufferId);
    if (offset != "-")
        fault.offset = static_cast<uint32_t>(std::stoul(offset));
    fault.kind = ParseFaultKind(kind);
    fault.status = ParseHexByte(status);
    std::vector<uint8_t> code = FromHex(sense);
    fault.sense = {code.at(0), code.at(1), code.at(2)};
    return fault;
}

void ParseDisc(const std::string& rest, SimDisc& disc) {
    std::istringstream words(rest);
    std::string sense;
    words >> disc.present >> disc.trayOpen >> sense;
    std::vector<uint8_t> code = FromHex(sense);
    disc.absentSense = {code.at(0), code.at(1), code.at(2)};
}

void ParseDownloadProgress(const std::string& rest, SimDownload& download) {
    std::istringstream words(rest);
    words >> download.subReceived >> download.mainReceived;
    if (!words)
        throw std::invalid_argument("malformed download progress: " + rest);
}

std::string FormatDisc(const SimDisc& disc) {
    const uint8_t sense[] = {disc.absentSense.key, disc.absentSense.asc, disc.absentSense.ascq};
    return std::to_string(disc.present) + ' ' + std::to_string(disc.trayOpen) + ' ' +
           ToHex(sense, 3);
}

void ApplyMemoryRun(SimDrive& drive, const std::string& rest) {
    std::istringstream words(rest);
    std::string offset, bytes;
    words >> offset >> bytes;
    if (!words)
        throw std::invalid_argument("malformed memory run: " + rest);
    drive.SetMemory(static_cast<uint32_t>(std::stoul(offset, nullptr, 16)), FromHex(bytes));
}

void ApplySetting(SimDrive& drive, const std::string& name, const std::string& rest) {
    if (name == "vendor")
        drive.identity.vendor = Unquoted(rest);
    else if (name == "product")
        drive.identity.product = Unquoted(rest);
    else if (name == "revision")
        drive.identity.revision = Unquoted(rest);
    else if (name == "date")
        drive.identity.firmwareDate = Unquoted(rest);
    else if (name == "idbuffer") {
        std::vector<uint8_t> bytes = FromHex(rest);
        if (bytes.size() != drive.idBuffer.size())
            throw std::invalid_argument("idbuffer must hold 48 bytes");
        std::copy(bytes.begin(), bytes.end(), drive.idBuffer.begin());
    } else if (name == "readbuffer")
        drive.answersReadBuffer = rest == "1";
    else if (name == "passthrough")
        drive.acceptsPassThrough = rest == "1";
    else if (name == "present")
        drive.present = rest == "1";
    else if (name == "disc")
        ParseDisc(rest, drive.disc);
    else if (name == "download")
        ParseDownloadProgress(rest, drive.download);
    else if (name == "mainmodel")
        drive.download.mainModel = Unquoted(rest);
    else if (name == "mainversion")
        drive.download.mainVersion = Unquoted(rest);
    else if (name == "maindate")
        drive.download.mainDate = Unquoted(rest);
    else if (name == "fault")
        drive.faults.push_back(ParseFault(rest));
    else if (name == "memory")
        ApplyMemoryRun(drive, rest);
    else
        throw std::invalid_argument("unknown drive setting " + name);
}

} // namespace

void SaveDriveState(const std::string& path, const SimDrive& drive) {
    std::ofstream file(path, std::ios::trunc);
    file << "# simulated drive\n"
         << "vendor " << Quoted(drive.identity.vendor) << '\n'
         << "product " << Quoted(drive.identity.product) << '\n'
         << "revision " << Quoted(drive.identity.revision) << '\n'
         << "date " << Quoted(drive.identity.firmwareDate) << '\n'
         << "idbuffer " << ToHex(drive.idBuffer.data(), drive.idBuffer.size()) << '\n'
         << "readbuffer " << drive.answersReadBuffer << '\n'
         << "passthrough " << drive.acceptsPassThrough << '\n'
         << "present " << drive.present << '\n'
         << "disc " << FormatDisc(drive.disc) << '\n'
         << "download " << drive.download.subReceived << ' ' << drive.download.mainReceived << '\n'
         << "mainmodel " << Quoted(drive.download.mainModel) << '\n'
         << "mainversion " << Quoted(drive.download.mainVersion) << '\n'
         << "maindate " << Quoted(drive.download.mainDate) << '\n';
    for (const Fault& fault : drive.faults)
        file << "fault " << FormatFault(fault) << '\n';
    for (const auto& [offset, bytes] : drive.memory)
        file << "memory " << std::hex << offset << std::dec << ' '
             << ToHex(bytes.data(), bytes.size()) << '\n';
    if (!file)
        throw std::runtime_error("cannot write the drive file " + path);
}

void LoadDriveState(const std::string& path, SimDrive& drive) {
    std::ifstream file(path);
    if (!file)
        throw std::runtime_error("cannot read the drive file " + path);
    SimDrive loaded;
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        size_t space = line.find(' ');
        ApplySetting(loaded, line.substr(0, space),
                     space == std::string::npos ? std::string() : line.substr(space + 1));
    }
    loaded.journal = std::move(drive.journal);
    loaded.backingFile = drive.backingFile;
    drive = std::move(loaded);
}

void CreateDriveFile(const std::string& path, const SimDrive& drive) {
    SaveDriveState(path, drive);
    std::ofstream journal(path + ".journal", std::ios::trunc);
}

SimDrive OpenDriveFile(const std::string& path) {
    SimDrive drive;
    drive.backingFile = path;
    LoadDriveState(path, drive);
    return drive;
}

} // namespace sim
