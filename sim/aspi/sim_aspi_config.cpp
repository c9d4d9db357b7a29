#include "sim_aspi_config.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace sim {

namespace {

std::string QuotedText(const std::string& rest) {
    size_t first = rest.find('"');
    size_t last = rest.rfind('"');
    if (first == std::string::npos || last == first)
        throw std::runtime_error("expected a quoted text: " + rest);
    return rest.substr(first + 1, last - first - 1);
}

void AddDrive(AspiConfig& config, const std::string& rest) {
    std::istringstream words(rest);
    unsigned haId = 0, target = 0, lun = 0;
    std::string path;
    words >> haId >> target >> lun >> std::ws;
    std::getline(words, path);
    if (words.fail() || path.empty())
        throw std::runtime_error("malformed drive line: " + rest);
    AspiAddress address{static_cast<uint8_t>(haId), static_cast<uint8_t>(target),
                        static_cast<uint8_t>(lun)};
    config.driveFiles[address] = path;
}

void ApplySetting(AspiConfig& config, const std::string& name, const std::string& rest) {
    if (name == "support")
        config.supportStatus = static_cast<uint8_t>(std::stoul(rest, nullptr, 16));
    else if (name == "adapter")
        config.adapterIdentifiers.push_back(QuotedText(rest));
    else if (name == "drive")
        AddDrive(config, rest);
    else if (name == "latency")
        config.latencyMs = static_cast<uint32_t>(std::stoul(rest));
    else
        throw std::runtime_error("unknown ASPI setting " + name);
}

std::string HexByte(uint8_t value) {
    const char digits[] = "0123456789ABCDEF";
    return {digits[value >> 4], digits[value & 0x0F]};
}

} // namespace

std::string AspiConfig::DriveFileAt(AspiAddress address) const {
    auto found = driveFiles.find(address);
    return found == driveFiles.end() ? std::string() : found->second;
}

AspiConfig ReadAspiConfig(const std::string& path) {
    std::ifstream file(path);
    if (!file)
        throw std::runtime_error("cannot read the ASPI setting " + path);
    AspiConfig config;
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        size_t space = line.find(' ');
        ApplySetting(config, line.substr(0, space),
                     space == std::string::npos ? std::string() : line.substr(space + 1));
    }
    return config;
}

void WriteAspiConfig(const std::string& path, const AspiConfig& config) {
    std::ofstream file(path, std::ios::trunc);
    file << "# simulated ASPI layer\n"
         << "support " << HexByte(config.supportStatus) << '\n'
         << "latency " << config.latencyMs << '\n';
    for (const std::string& identifier : config.adapterIdentifiers)
        file << "adapter \"" << identifier << "\"\n";
    for (const auto& [address, drivePath] : config.driveFiles)
        file << "drive " << int(address.haId) << ' ' << int(address.target) << ' '
             << int(address.lun) << ' ' << drivePath << '\n';
    if (!file)
        throw std::runtime_error("cannot write the ASPI setting " + path);
}

} // namespace sim
