#include "sim_journal.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

namespace sim {

namespace {

const char* const OUTCOME_NAMES[] = {"completed", "refused", "gone"};

std::string FormatSense(SenseCode sense) {
    const uint8_t bytes[] = {sense.key, sense.asc, sense.ascq};
    return ToHex(bytes, 3);
}

SimOutcome ParseOutcome(const std::string& name) {
    for (int i = 0; i < 3; ++i)
        if (name == OUTCOME_NAMES[i])
            return static_cast<SimOutcome>(i);
    throw std::invalid_argument("unknown outcome " + name);
}

std::map<std::string, std::string> SplitFields(const std::string& line) {
    std::map<std::string, std::string> fields;
    std::istringstream words(line);
    std::string word;
    while (words >> word) {
        size_t equals = word.find('=');
        if (equals == std::string::npos)
            throw std::invalid_argument("journal field without '=': " + word);
        fields[word.substr(0, equals)] = word.substr(equals + 1);
    }
    return fields;
}

} // namespace

std::string FormatJournalLine(const JournalEntry& entry) {
    const SimCommand& command = entry.command;
    std::ostringstream line;
    line << "cdb=" << ToHex(command.cdb.data(), command.cdb.size())
         << " cdblen=" << command.cdbLength << " dir=" << static_cast<int>(command.direction)
         << " length=" << command.transferLength
         << " outcome=" << OUTCOME_NAMES[static_cast<int>(entry.reply.outcome)]
         << " status=" << static_cast<int>(entry.reply.status)
         << " sense=" << FormatSense(entry.reply.sense) << " moved=" << entry.reply.bytesTransferred
         << " data="
         << (command.dataOut.empty() ? "-" : ToHex(command.dataOut.data(), command.dataOut.size()));
    return line.str();
}

JournalEntry ParseJournalLine(const std::string& line) {
    std::map<std::string, std::string> fields = SplitFields(line);
    JournalEntry entry;
    std::vector<uint8_t> cdb = FromHex(fields.at("cdb"));
    std::copy(cdb.begin(), cdb.begin() + std::min(cdb.size(), entry.command.cdb.size()),
              entry.command.cdb.begin());
    entry.command.cdbLength = std::stoi(fields.at("cdblen"));
    entry.command.direction = static_cast<SimDirection>(std::stoi(fields.at("dir")));
    entry.command.transferLength = static_cast<uint32_t>(std::stoul(fields.at("length")));
    if (fields.at("data") != "-")
        entry.command.dataOut = FromHex(fields.at("data"));
    entry.reply.outcome = ParseOutcome(fields.at("outcome"));
    entry.reply.status = static_cast<uint8_t>(std::stoi(fields.at("status")));
    std::vector<uint8_t> sense = FromHex(fields.at("sense"));
    entry.reply.sense = {sense.at(0), sense.at(1), sense.at(2)};
    entry.reply.bytesTransferred = static_cast<uint32_t>(std::stoul(fields.at("moved")));
    return entry;
}

void AppendJournalFile(const std::string& path, const JournalEntry& entry) {
    std::ofstream file(path, std::ios::app);
    file << FormatJournalLine(entry) << '\n';
    if (!file)
        throw std::runtime_error("cannot append to the journal " + path);
}

Journal ReadJournalFile(const std::string& path) {
    Journal journal;
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line))
        if (!line.empty())
            journal.push_back(ParseJournalLine(line));
    return journal;
}

} // namespace sim
