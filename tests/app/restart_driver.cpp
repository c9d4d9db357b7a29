// Drives the product through a whole interactive update on the Windows 98 setting, reaching the
// simulated drive through the simulated ASPI library, up to Windows' real restart, which ends
// every process of the Wine session, this one included. The host-side script
// (real_restart_test.sh) runs it in a Wine prefix of its own and checks afterwards, with the
// `check` step of this program, what the drive received.
//
//   restart_driver prepare <folder>   images, drive file and ASPI setting in folder
//   restart_driver drive <folder>     starts the product there and works it to "update"
//   restart_driver check <folder>     exit 0 when the drive took the new firmware
#include <windows.h>

#include <cstdio>
#include <string>

#include "sim/aspi/sim_aspi_config.h"
#include "sim/sim_download.h"
#include "sim/sim_drive.h"
#include "sim/sim_drive_file.h"
#include "sim/sim_journal.h"
#include "tests/support/firmware_images.h"
#include "tests/support/message_box_watcher.h"
#include "tests/support/program_under_test.h"
#include "ui/res/resource.h"

namespace {

constexpr int EXIT_OK = 0;
constexpr int EXIT_FAILED = 1;
constexpr int EXIT_USAGE = 2;
// Reached only when the restart did not end this process.
constexpr int EXIT_SURVIVED_THE_RESTART = 3;
constexpr DWORD UPDATE_WAIT_MS = 60000;
// The restart ends every process of the session together; a driver still here this long after
// the product has gone was not ended by it.
constexpr DWORD RESTART_GRACE_MS = 10000;

std::string DriveFile(const std::string& folder) {
    return folder + "\\kestran.drive";
}
std::string Setting(const std::string& folder) {
    return folder + "\\aspi.setting";
}
std::string Marker(const std::string& folder) {
    return folder + "\\update_clicked";
}

int Prepare(const std::string& folder) {
    WriteImageFiles(folder);
    sim::SimDrive drive = sim::SimDrive::Kestran();
    drive.disc.present = false;
    sim::CreateDriveFile(DriveFile(folder), drive);
    sim::AspiConfig setting;
    setting.adapterIdentifiers = {"SIM ADAPTER 0"};
    setting.driveFiles[{0, 1, 0}] = DriveFile(folder);
    sim::WriteAspiConfig(Setting(folder), setting);
    return EXIT_OK;
}

int Drive(const std::string& folder) {
    ProgramStart start;
    start.program = folder + "\\TRELMAST_GUI.exe";
    start.currentDirectory = folder;
    start.environment[sim::ASPI_ENVIRONMENT_VARIABLE] = Setting(folder);
    ProgramUnderTest product(start);
    if (!product.Started())
        return EXIT_FAILED;
    MessageBoxWatcher notice({IDYES}, 30000, product.ProcessId());
    HWND dialog = product.WaitForWindow("#32770", "firmware updater", IDC_DRIVE_LIST);
    const bool ready =
        dialog != nullptr &&
        WaitUntil([&] { return !ControlText(dialog, IDC_CURRENT_VERSION).empty(); }, 60000);
    for (const SeenMessageBox& box : notice.Wait())
        std::printf("box: %s\n", box.text.c_str());
    if (!ready) {
        std::printf("the product did not get ready (dialog %p)\n", static_cast<void*>(dialog));
        return EXIT_FAILED;
    }
    WriteBytes(Marker(folder), {});
    ClickButton(dialog, IDC_UPDATE);
    product.WaitForExit(UPDATE_WAIT_MS);
    Sleep(RESTART_GRACE_MS);
    return EXIT_SURVIVED_THE_RESTART;
}

int Check(const std::string& folder) {
    if (GetFileAttributesA(Marker(folder).c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::printf("the update was never started\n");
        return EXIT_FAILED;
    }
    const sim::SimDrive drive = sim::OpenDriveFile(DriveFile(folder));
    const sim::Journal journal = sim::ReadJournalFile(DriveFile(folder) + ".journal");
    int chunks = 0;
    for (const sim::JournalEntry& entry : journal)
        chunks += entry.command.Opcode() == sim::OP_WRITE_BUFFER ? 1 : 0;
    std::printf("drive revision %s, download state '%c', %zu commands, %d WRITE BUFFER\n",
                drive.identity.revision.c_str(), drive.DownloadState(), journal.size(), chunks);
    const bool updated = drive.identity.revision == "1.52" &&
                         drive.DownloadState() == sim::DOWNLOAD_LOCKED && chunks == 3 + 4 + 51;
    return updated ? EXIT_OK : EXIT_FAILED;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3)
        return EXIT_USAGE;
    const std::string step = argv[1];
    const std::string folder = argv[2];
    if (step == "prepare")
        return Prepare(folder);
    if (step == "drive")
        return Drive(folder);
    if (step == "check")
        return Check(folder);
    return EXIT_USAGE;
}
