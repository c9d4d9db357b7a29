#include "sim_aspi_setup.h"

#include <windows.h>

#include <stdexcept>
#include <utility>

#include "sim/sim_drive_file.h"

namespace sim {

namespace {

std::string TempFolder(const std::string& name) {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    std::string folder =
        std::string(temp) + name + "." + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

} // namespace

AspiSetup::AspiSetup(const std::string& name) : folder_(TempFolder(name)) {}

AspiSetup::AspiSetup(AspiSetup&& other) noexcept
    : folder_(std::move(other.folder_)), config_(std::move(other.config_)) {
    other.folder_.clear();
}

AspiSetup::~AspiSetup() {
    if (folder_.empty())
        return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder_ + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA((folder_ + found.cFileName).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder_.c_str());
}

void AspiSetup::AddAdapter(const std::string& identifier) {
    config_.adapterIdentifiers.push_back(identifier);
}

void AspiSetup::PutDrive(AspiAddress address, const SimDrive& drive) {
    std::string path = folder_ + "drive_" + std::to_string(address.haId) + "_" +
                       std::to_string(address.target) + "_" + std::to_string(address.lun) +
                       ".drive";
    CreateDriveFile(path, drive);
    config_.driveFiles[address] = path;
}

void AspiSetup::Publish() const {
    std::string path = folder_ + "aspi.setting";
    WriteAspiConfig(path, config_);
    if (!SetEnvironmentVariableA(ASPI_ENVIRONMENT_VARIABLE, path.c_str()))
        throw std::runtime_error("cannot set " + std::string(ASPI_ENVIRONMENT_VARIABLE));
}

std::string AspiSetup::DriveFile(AspiAddress address) const {
    std::string path = config_.DriveFileAt(address);
    if (path.empty())
        throw std::invalid_argument("no drive at that address");
    return path;
}

Journal AspiSetup::JournalOf(AspiAddress address) const {
    return ReadJournalFile(DriveFile(address) + ".journal");
}

void AspiSetup::UpdateDrive(AspiAddress address, const SimDrive& drive) const {
    SaveDriveState(DriveFile(address), drive);
}

} // namespace sim
