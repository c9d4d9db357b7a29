// The helper of `make demo` (tools/demo.sh): it makes what the test twin needs in a folder (the
// two image files, made up by us, and one simulated drive) and afterwards says what happened to
// that drive. The twin itself is started by the script, as a user would start the product.
//
//   demo_drive prepare FOLDER
//       writes Q4830251.520 and Q4830051.520 (version 1.52, newer than the drive's) and
//       FOLDER\E.drive, the supported drive with firmware 1.00 and no disc in it (the
//       interactive mode would ask for a disc to be taken out first), and describes them
//   demo_drive report DRIVE_FILE RESTART_LOG TWIN_END
//       the drive now, the commands it received, the restart requests, and a last line that
//       says whether the update worked. TWIN_END is the twin's exit code, or "restart" when the
//       demo ended the twin after its restart request, as the restart of Windows would. Exit
//       code 0 when the drive reports the made-up image's version and the twin ended with 0 or
//       in its restart, 3 otherwise
// Exit code 2 for a wrong command line or a file that cannot be written or read.
#include <windows.h>

#include <cstdio>
#include <exception>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/sim_drive.h"
#include "sim/sim_drive_file.h"
#include "sim/sim_journal.h"
#include "sim/sim_restart.h"
#include "tests/demo/demo_report.h"
#include "tests/support/firmware_images.h"

namespace {

constexpr int EXIT_UPDATED = 0;
constexpr int EXIT_USAGE_OR_FILE = 2;
constexpr int EXIT_NOT_UPDATED = 3;

int Prepare(const std::string& folder) {
    const MainImageHeader header;
    WriteImageFiles(folder, header);
    std::printf("Made-up firmware images (test patterns of our own, not real firmware):\n");
    std::printf("  Q4830251.520  main image, %u bytes: model \"%s\", version %s, date %s\n",
                static_cast<unsigned>(MAIN_IMAGE_BYTES), header.model.c_str(),
                header.version.c_str(), header.date.c_str());
    std::printf("  Q4830051.520  sub image, %u bytes\n", static_cast<unsigned>(SUB_IMAGE_BYTES));

    const std::string driveFile = folder + "\\E.drive";
    sim::SimDrive drive = sim::SimDrive::Kestran();
    drive.disc.present = false;
    sim::CreateDriveFile(driveFile, drive);
    // Read back, so that what is shown is what the twin will find.
    std::printf("Simulated drive E: (%s)\n", driveFile.c_str());
    std::printf("  before: %s\n", demo::DescribeDrive(sim::OpenDriveFile(driveFile)).c_str());
    return EXIT_UPDATED;
}

std::string RestartFlags(UINT flags) {
    std::string text = (flags & EWX_REBOOT)     ? "restart"
                       : (flags & EWX_SHUTDOWN) ? "shut down"
                                                : "log off";
    if (flags & EWX_FORCE)
        text += ", forced";
    return text;
}

int Report(const std::string& driveFile, const std::string& restartLog, const std::string& end) {
    const sim::SimDrive drive = sim::OpenDriveFile(driveFile);
    const sim::Journal journal = sim::ReadJournalFile(driveFile + ".journal");
    std::printf("Simulated drive E:\n  after:  %s\n", demo::DescribeDrive(drive).c_str());
    std::printf("Commands the drive received: %u\n", static_cast<unsigned>(journal.size()));
    for (const std::string& line : demo::DescribeJournal(journal))
        std::printf("%s\n", line.c_str());

    // The twin writes the log only when it asks for a restart; a missing log reads as empty.
    const std::vector<sim::RestartCall> restarts = sim::ReadRestartLog(restartLog);
    if (restarts.empty())
        std::printf("Restart of Windows: not requested\n");
    for (const sim::RestartCall& call : restarts)
        std::printf("Restart of Windows: requested (%s), %s, and only recorded: the twin "
                    "restarts nothing\n",
                    RestartFlags(call.flags).c_str(), call.accepted ? "accepted" : "refused");
    const bool endedInRestart = end == "restart" && !restarts.empty();
    if (endedInRestart)
        std::printf("End of the twin: ended by the demo after its restart request\n\n");
    else
        std::printf("Exit code of the twin: %s\n\n", end.c_str());

    const std::string before = sim::SimDrive::Kestran().identity.revision;
    const std::string image = MainImageHeader().version;
    const bool updated = drive.identity.revision == image;
    if (updated && (end == "0" || endedInRestart)) {
        std::printf("SUCCESS: the simulated drive was updated from firmware %s to %s%s.\n",
                    before.c_str(), image.c_str(),
                    endedInRestart ? "; Windows would now restart" : "; exit code 0");
        return EXIT_UPDATED;
    }
    if (updated)
        std::printf("The simulated drive now reports firmware %s, but the twin ended with %s.\n",
                    image.c_str(), end.c_str());
    else
        std::printf("NOT UPDATED: the simulated drive reports firmware %s, not %s (twin's end: "
                    "%s).\n",
                    drive.identity.revision.c_str(), image.c_str(), end.c_str());
    return EXIT_NOT_UPDATED;
}

} // namespace

int main(int argc, char** argv) {
    // Each line reaches the terminal at once, also when the helper fails halfway.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() == 2 && args[0] == "prepare")
            return Prepare(args[1]);
        if (args.size() == 4 && args[0] == "report")
            return Report(args[1], args[2], args[3]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "demo_drive: %s\n", error.what());
        return EXIT_USAGE_OR_FILE;
    }
    std::fprintf(stderr, "usage: demo_drive prepare FOLDER\n"
                         "       demo_drive report DRIVE_FILE RESTART_LOG TWIN_END\n");
    return EXIT_USAGE_OR_FILE;
}
