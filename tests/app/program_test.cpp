// The programs as their users meet them: the product and its test twin started as processes of
// their own, from this program, with a command line, a current directory and (for the twin) a
// drive file; their windows read and worked from outside, their boxes answered, their exit codes
// and what the drive received checked.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "framework/cstring.h"
#include "sim/sim_download.h"
#include "sim/sim_drive.h"
#include "sim/sim_drive_file.h"
#include "sim/sim_journal.h"
#include "sim/sim_restart.h"
#include "sim/sim_storage_stack.h"
#include "tests/support/bytes.h"
#include "tests/support/child_process.h"
#include "tests/support/firmware_images.h"
#include "tests/support/message_box_watcher.h"
#include "tests/support/program_under_test.h"
#include "tests/support/test_folder.h"
#include "tests/support/updater_mutex_held.h"
#include "ui/res/resource.h"

namespace {

using sim::SimDrive;
using ::testing::IsEmpty;

constexpr DWORD BOX_TIMEOUT_MS = 20000;
constexpr DWORD RETRY_PAUSE_MS = 3500;
const std::string DIALOG_CLASS = "#32770";
const std::string PROGRESS_CAPTION = "now updating...";
const std::string UPDATER_CAPTION = "firmware updater";

std::string TextOf(UINT id) {
    CString text;
    text.LoadString(id);
    return text.str();
}

std::string Twin() {
    return ProgramFolder() + "updater_twin.exe";
}
std::string TwinAsWindows98() {
    return ProgramFolder() + "updater_twin_98.exe";
}
std::string Product() {
    return ProgramFolder() + "TRELMAST_GUI.exe";
}

SimDrive WithoutDisc(SimDrive drive = SimDrive::Kestran()) {
    drive.disc.present = false;
    return drive;
}

// The image files in a folder that is the program's current directory, the drives in drive
// files the program reaches through its simulated stack, and a log of its restart requests.
class ProgramScene {
public:
    ProgramScene() {
        m_images.WriteMainImage(MakeMainImage());
        m_images.WriteSubImage(MakeSubImage());
    }

    void AddDrive(const SimDrive& drive) {
        const std::string path = m_drives.File(std::string(1, NextLetter()) + ".drive");
        sim::CreateDriveFile(path, drive);
        m_driveFiles.push_back(path);
    }
    void RemoveMainImage() const { m_images.RemoveMainImage(); }

    ProgramStart Start(const std::string& program, const std::string& arguments) const {
        ProgramStart start;
        start.program = program;
        start.arguments = arguments;
        start.currentDirectory = m_images.Path();
        std::string drives;
        for (size_t i = 0; i < m_driveFiles.size(); ++i)
            drives +=
                std::string(drives.empty() ? "" : ";") + char('E' + i) + "=" + m_driveFiles[i];
        start.environment[sim::DRIVES_ENVIRONMENT_VARIABLE] = drives;
        start.environment[sim::RESTART_LOG_ENVIRONMENT_VARIABLE] = RestartLog();
        return start;
    }

    SimDrive Drive(int index) const {
        SimDrive drive = sim::OpenDriveFile(m_driveFiles.at(index));
        drive.journal = sim::ReadJournalFile(m_driveFiles.at(index) + ".journal");
        return drive;
    }
    std::vector<sim::RestartCall> Restarts() const { return sim::ReadRestartLog(RestartLog()); }
    std::string MainImagePath() const { return m_images.MainImagePath(); }

private:
    char NextLetter() const { return static_cast<char>('E' + m_driveFiles.size()); }
    std::string RestartLog() const { return m_drives.File("restart.log"); }

    FirmwareFolder m_images{"program_images"};
    TestFolder m_drives{"program_drives"};
    std::vector<std::string> m_driveFiles;
};

std::vector<std::string> TextsOf(const std::vector<SeenMessageBox>& boxes) {
    std::vector<std::string> texts;
    for (const SeenMessageBox& box : boxes)
        texts.push_back(box.text);
    return texts;
}

// Every visible window the program showed until it ended, by class and caption.
std::set<std::pair<std::string, std::string>> VisibleWindowsUntilExit(ProgramUnderTest& program,
                                                                      DWORD timeoutMs = 60000) {
    std::set<std::pair<std::string, std::string>> seen;
    const DWORD start = GetTickCount();
    while (program.Running() && GetTickCount() - start < timeoutMs) {
        for (const TopWindow& window : program.Windows())
            if (window.visible)
                seen.insert({window.className, window.caption});
        Sleep(10);
    }
    return seen;
}

TEST(AutomaticRun, OneDriveWithOlderFirmwareShowsOnlyTheProgressDialogAndEndsWithZero) {
    ProgramScene scene;
    scene.AddDrive(SimDrive::Kestran());
    ProgramUnderTest program(scene.Start(Twin(), " /au"));
    ASSERT_TRUE(program.Started());
    const auto seen = VisibleWindowsUntilExit(program);
    EXPECT_EQ(std::optional<DWORD>(0), program.WaitForExit());
    EXPECT_EQ((std::set<std::pair<std::string, std::string>>{{DIALOG_CLASS, PROGRESS_CAPTION}}),
              seen);

    const SimDrive drive = scene.Drive(0);
    EXPECT_EQ("1.52", drive.identity.revision);
    EXPECT_EQ(sim::DOWNLOAD_LOCKED, drive.DownloadState());
    // Three unlocks (before the sub image, before the main image, after it) and 4 + 51 chunks.
    const std::vector<uint8_t> opcodes = Opcodes(drive);
    EXPECT_EQ(3 + 4 + 51, std::count(opcodes.begin(), opcodes.end(), sim::OP_WRITE_BUFFER));
    EXPECT_THAT(scene.Restarts(), IsEmpty()) << "no restart in automatic mode";
}

enum class Mutex { Free, HeldElsewhere };
enum class Image { Present, Missing };
enum class DriveFirmware { Older, SameAsTheImage };
enum class Setting { Nt, Windows98 };
enum class Retry { None, After3500Ms };

TEST(AutomaticRun, EveryEndingWithItsBoxAndExitCode) {
    const Image present = Image::Present;
    const DriveFirmware older = DriveFirmware::Older;
    const Mutex free = Mutex::Free;
    const Setting nt = Setting::Nt;
    const Retry once = Retry::None;
    const struct {
        const char* name;
        int drives;
        Image image;
        DriveFirmware firmware;
        Mutex mutex;
        Setting setting;
        std::vector<UINT> texts;
        Retry retry;
    } cases[] = {
        // clang-format off
        {"two drives",           2, present,        older,                         free,                 nt,                 {IDS_MORE_THAN_ONE_DRIVE},     once},
        {"no drive",             0, present,        older,                         free,                 nt,                 {IDS_DRIVE_NOT_FOUND},         Retry::After3500Ms},
        {"not newer",            1, present,        DriveFirmware::SameAsTheImage, free,                 nt,                 {IDS_UPDATE_UNNECESSARY},      once},
        {"image missing",        1, Image::Missing, older,                         free,                 nt,                 {IDS_FIRMWARE_FILE_NOT_FOUND}, once},
        {"another updater runs", 1, present,        older,                         Mutex::HeldElsewhere, nt,                 {},                            once},
        {"Windows 98",           1, present,        older,                         free,                 Setting::Windows98, {},                            once},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramScene scene;
        SimDrive drive = SimDrive::Kestran();
        if (c.firmware == DriveFirmware::SameAsTheImage) {
            drive.identity.revision = "1.52";
            drive.identity.firmwareDate = "06/11/07";
        }
        for (int i = 0; i < c.drives; ++i)
            scene.AddDrive(drive);
        if (c.image == Image::Missing)
            scene.RemoveMainImage();
        std::unique_ptr<UpdaterMutexHeld> otherUpdater;
        if (c.mutex == Mutex::HeldElsewhere)
            otherUpdater = std::make_unique<UpdaterMutexHeld>();

        const DWORD start = GetTickCount();
        ProgramUnderTest program(
            scene.Start(c.setting == Setting::Windows98 ? TwinAsWindows98() : Twin(), " /au"));
        ASSERT_TRUE(program.Started());
        MessageBoxWatcher watcher(std::vector<int>(c.texts.size(), IDOK), BOX_TIMEOUT_MS,
                                  program.ProcessId());
        const std::optional<DWORD> exitCode = program.WaitForExit();
        const DWORD took = GetTickCount() - start;
        const std::vector<SeenMessageBox> boxes = watcher.StopWatching();

        EXPECT_EQ(std::optional<DWORD>(1), exitCode);
        std::vector<std::string> expected;
        for (UINT id : c.texts)
            expected.push_back(TextOf(id));
        if (c.image == Image::Missing)
            expected[0] += "\r\n" + scene.MainImagePath();
        EXPECT_EQ(expected, TextsOf(boxes));
        for (const SeenMessageBox& box : boxes) {
            EXPECT_EQ(UPDATER_CAPTION, box.caption);
            EXPECT_NE(nullptr, box.owner) << "owned by the hidden dialog";
        }
        EXPECT_EQ(c.retry == Retry::After3500Ms, took >= RETRY_PAUSE_MS) << took;
    }
}

// The switch is a space and "/au" anywhere in the command line. The updater mutex is held, so
// that each mode ends at once and shows which it is: the automatic one ends with 1 and shows
// nothing, the interactive one asks its notice first.
TEST(CommandLine, ChoosesTheRunMode) {
    const struct {
        const char* arguments;
        bool automatic;
    } cases[] = {
        // clang-format off
        {" /au",          true},
        {" /auto",        true},
        {" -x /au -y",    true},
        {" \"a /au\"",    true},
        {" /AU",          false},
        {" -au",          false},
        {"/au",           false},
        // clang-format on
    };
    UpdaterMutexHeld otherUpdater;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        ProgramScene scene;
        ProgramUnderTest program(scene.Start(Twin(), c.arguments));
        ASSERT_TRUE(program.Started());
        MessageBoxWatcher watcher(c.automatic ? std::vector<int>{} : std::vector<int>{IDNO},
                                  BOX_TIMEOUT_MS, program.ProcessId());
        const std::optional<DWORD> exitCode = program.WaitForExit();
        const std::vector<SeenMessageBox> boxes = watcher.StopWatching();
        EXPECT_EQ(std::optional<DWORD>(c.automatic ? 1 : 0), exitCode);
        EXPECT_EQ(c.automatic ? std::vector<std::string>{}
                              : std::vector<std::string>{TextOf(IDS_NOTICE_OF_USE)},
                  TextsOf(boxes));
    }
}

// A second start while a first runs ends at once with 0 and shows nothing; the first comes to the
// front. Once the first has ended, a start works normally.
TEST(SecondStart, EndsAtOnceAndBringsTheFirstForward) {
    ProgramScene scene;
    scene.AddDrive(WithoutDisc());
    ProgramUnderTest first(scene.Start(Twin(), ""));
    MessageBoxWatcher notice({IDYES}, BOX_TIMEOUT_MS, first.ProcessId());
    HWND dialog = first.WaitForWindow(DIALOG_CLASS, UPDATER_CAPTION, IDC_DRIVE_LIST);
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(WaitUntil([&] { return !ControlText(dialog, IDC_CURRENT_VERSION).empty(); }));
    notice.Wait();

    HWND elsewhere = CreateWindowExA(0, "STATIC", "elsewhere", WS_POPUP | WS_VISIBLE, 0, 0, 80, 40,
                                     nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(elsewhere);
    for (const char* arguments : {"", " /au"}) {
        SCOPED_TRACE(arguments);
        ProgramUnderTest second(scene.Start(Twin(), arguments));
        const auto seen = VisibleWindowsUntilExit(second, 20000);
        EXPECT_EQ(std::optional<DWORD>(0), second.WaitForExit(1000));
        EXPECT_THAT(seen, IsEmpty());
        EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == dialog; }));
        SetForegroundWindow(elsewhere);
    }
    DestroyWindow(elsewhere);

    ClickButton(dialog, IDCANCEL);
    EXPECT_EQ(std::optional<DWORD>(0), first.WaitForExit());
    ProgramUnderTest later(scene.Start(Twin(), ""));
    MessageBoxWatcher laterNotice({IDNO}, BOX_TIMEOUT_MS, later.ProcessId());
    EXPECT_EQ(std::optional<DWORD>(0), later.WaitForExit());
    EXPECT_EQ(std::vector<std::string>{TextOf(IDS_NOTICE_OF_USE)}, TextsOf(laterNotice.Wait()));
}

// The product itself, with the real seams, on Wine's NT system where no drive answers pass-through:
// the notice, then "Target is not found" once the retry has found nothing either.
TEST(Product, WithoutADriveEndsWithTargetIsNotFoundAfterTheRetry) {
    ProgramScene scene;
    const DWORD start = GetTickCount();
    ProgramUnderTest program(scene.Start(Product(), ""));
    ASSERT_TRUE(program.Started());
    MessageBoxWatcher watcher({IDYES, IDOK}, BOX_TIMEOUT_MS, program.ProcessId());
    const std::optional<DWORD> exitCode = program.WaitForExit();
    const DWORD took = GetTickCount() - start;
    EXPECT_EQ(std::optional<DWORD>(0), exitCode);
    EXPECT_EQ(std::vector<std::string>({TextOf(IDS_NOTICE_OF_USE), TextOf(IDS_DRIVE_NOT_FOUND)}),
              TextsOf(watcher.Wait()));
    EXPECT_GE(took, RETRY_PAUSE_MS);
}

// A user outside the Administrators group is told so, in a system-modal box that no window
// owns, in both modes, and the program ends with 0; a second start beside a running first one
// ends before it would ask.
TEST(NotAnAdministrator, IsToldSoAndTheProgramEndsWithZero) {
    ScopedHandle token = NonAdministratorToken();
    ASSERT_TRUE(token.IsValid());
    for (const char* arguments : {"", " /au"}) {
        SCOPED_TRACE(arguments);
        ProgramScene scene;
        scene.AddDrive(WithoutDisc());
        ProgramStart start = scene.Start(Twin(), arguments);
        start.token = token.Get();
        ProgramUnderTest program(start);
        ASSERT_TRUE(program.Started());
        MessageBoxWatcher watcher({IDOK}, BOX_TIMEOUT_MS, program.ProcessId());
        EXPECT_EQ(std::optional<DWORD>(0), program.WaitForExit());
        const std::vector<SeenMessageBox> boxes = watcher.Wait();
        ASSERT_EQ(1u, boxes.size());
        EXPECT_EQ(TextOf(IDS_NOT_ADMINISTRATOR), boxes[0].text);
        EXPECT_EQ(UPDATER_CAPTION, boxes[0].caption);
        EXPECT_EQ(nullptr, boxes[0].owner);
        EXPECT_TRUE(boxes[0].topmost) << "system-modal";
        EXPECT_THAT(scene.Drive(0).journal, IsEmpty());
    }

    ProgramScene scene;
    ProgramUnderTest first(scene.Start(Twin(), ""));
    ASSERT_NE(nullptr, first.WaitForWindow(DIALOG_CLASS, UPDATER_CAPTION, IDC_DRIVE_LIST, false));
    ProgramStart secondStart = scene.Start(Twin(), "");
    secondStart.token = token.Get();
    ProgramUnderTest second(secondStart);
    const auto seen = VisibleWindowsUntilExit(second, 20000);
    EXPECT_EQ(std::optional<DWORD>(0), second.WaitForExit(1000));
    EXPECT_THAT(seen, IsEmpty());
}

// A whole interactive update on the twin, as a user runs it: the notice, the drive and both
// versions, the end of the session refused, "update", the progress dialog, the restart text and
// the restart, after which the end of the session is allowed.
TEST(InteractiveRun, AWholeUpdateEndsInTheRestart) {
    ProgramScene scene;
    SimDrive drive = WithoutDisc();
    // Slow enough at the main image's first chunk for the progress dialog to be seen.
    drive.faults.push_back(sim::Fault::Slow(sim::OP_WRITE_BUFFER, 1500)
                               .OnBuffer(sim::BUFFER_ID_MAIN_IMAGE)
                               .AtOffset(0));
    scene.AddDrive(drive);
    ProgramUnderTest program(scene.Start(Twin(), ""));
    ASSERT_TRUE(program.Started());
    MessageBoxWatcher watcher({IDYES, IDOK, IDOK}, BOX_TIMEOUT_MS, program.ProcessId());
    HWND dialog = program.WaitForWindow(DIALOG_CLASS, UPDATER_CAPTION, IDC_DRIVE_LIST);
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(WaitUntil([&] { return !ControlText(dialog, IDC_CURRENT_VERSION).empty(); }));
    EXPECT_EQ(1, ComboCount(dialog, IDC_DRIVE_LIST));
    EXPECT_EQ("E: KESTRAN DVD-RW  XRW-T52A1.00 06/03/20", ComboLine(dialog, IDC_DRIVE_LIST, 0));
    EXPECT_EQ("KESTRAN DVD-RW  ", ControlText(dialog, IDC_DRIVE_NAME));
    EXPECT_EQ("1.00", ControlText(dialog, IDC_CURRENT_VERSION));
    EXPECT_EQ("1.52", ControlText(dialog, IDC_IMAGE_VERSION));

    EXPECT_EQ(FALSE, SendMessageA(dialog, WM_QUERYENDSESSION, 0, 0));
    ClickButton(dialog, IDC_UPDATE);
    EXPECT_NE(nullptr, program.WaitForWindow(DIALOG_CLASS, PROGRESS_CAPTION, IDC_PROGRESS_BAR));
    ASSERT_TRUE(WaitUntil([&] { return !scene.Restarts().empty(); }, 60000));
    EXPECT_EQ(TRUE, SendMessageA(dialog, WM_QUERYENDSESSION, 0, 0));
    const std::vector<SeenMessageBox> boxes = watcher.Wait();
    EXPECT_EQ(std::vector<std::string>({TextOf(IDS_NOTICE_OF_USE), TextOf(IDS_CLOSE_UPDATER_FIRST),
                                        TextOf(IDS_UPDATE_DONE_RESTART)}),
              TextsOf(boxes));
    ASSERT_EQ(3u, boxes.size());
    EXPECT_TRUE(boxes[2].topmost) << "the restart text is system-modal";

    const std::vector<sim::RestartCall> restarts = scene.Restarts();
    ASSERT_EQ(1u, restarts.size());
    EXPECT_EQ(UINT(EWX_REBOOT | EWX_FORCE), restarts[0].flags);
    EXPECT_TRUE(restarts[0].privilegeEnabled);
    EXPECT_TRUE(restarts[0].accepted);
    EXPECT_EQ("1.52", scene.Drive(0).identity.revision);

    // The restart would have ended it; the twin is closed instead.
    SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(std::optional<DWORD>(0), program.WaitForExit());
}

} // namespace
