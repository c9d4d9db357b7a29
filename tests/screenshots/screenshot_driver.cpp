// Walks the test twin through the windows a user meets, in the language of this process's
// locale, and has each one photographed as Wine draws it: the picture is taken outside Wine, from
// the X display (tools/screenshots.sh), so that it holds exactly the pixels on the screen, the
// frame and caption Wine paints for an unmanaged window included.
//
// The protocol with the script, one line each way per picture:
//   driver -> script: "capture <name> <left> <top> <width> <height>"  (the window's rectangle)
//   script -> driver: "done" once the picture is saved, anything else when it failed
// and at the end "finished". The driver waits for each answer before it goes on, so the window
// stays as it is while it is photographed.
//
//   screenshot_driver.exe en|ja   pictures named <window>_<language>, e.g. notice_en
// Exit code 0 when every picture was taken.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "framework/cstring.h"
#include "sim/sim_download.h"
#include "sim/sim_drive.h"
#include "sim/sim_drive_file.h"
#include "sim/sim_restart.h"
#include "sim/sim_storage_stack.h"
#include "tests/support/child_process.h"
#include "tests/support/firmware_images.h"
#include "tests/support/process_windows.h"
#include "tests/support/program_under_test.h"
#include "tests/support/test_folder.h"
#include "ui/res/resource.h"

namespace {

const std::string DIALOG_CLASS = "#32770";
const char VERSION_LINE[] = "TRELMAST_GUI.EXE version 1.03";
constexpr DWORD WINDOW_TIMEOUT_MS = 30000;
// The first chunk of the main image is answered this late, so that the progress dialog stays on
// screen, counting, long enough to be photographed mid-way.
constexpr DWORD SLOW_FIRST_CHUNK_MS = 12000;
// Photographed once the bar has moved this many seconds' steps (of 25).
constexpr int PROGRESS_STEPS_SHOWN = 5;
// Wine paints a window shown, or changed, a moment later: the picture waits for that.
constexpr DWORD PAINT_SETTLE_MS = 700;
constexpr uint8_t MAIN_IMAGE_BUFFER = 0xF0;
constexpr uint32_t SECOND_CHUNK_OFFSET = 0x8000;

std::string TextOf(UINT id) {
    CString text;
    text.LoadString(id);
    return text.str();
}

// The program's visible dialog window that satisfies a condition, once there is one.
HWND WaitForDialog(const ProgramUnderTest& program, const std::function<bool(HWND)>& wanted,
                   DWORD timeoutMs = WINDOW_TIMEOUT_MS) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (const TopWindow& window : program.Windows()) {
                if (window.visible && window.className == DIALOG_CLASS && wanted(window.window)) {
                    found = window.window;
                    return true;
                }
            }
            return !program.Running();
        },
        timeoutMs);
    return found;
}

// A message box, or a dialog, showing this text in one of its statics.
bool ShowsText(HWND window, const std::string& text) {
    for (HWND child : ChildrenOf(window)) {
        if (ClassNameOf(child) == "Static" && WindowText(child) == text)
            return true;
    }
    return false;
}

bool Gone(HWND window) {
    return !IsWindow(window) || !IsWindowVisible(window);
}

// A window the user has just opened is the active one, its caption painted as such. Without a
// window manager Wine does not always hand the activation to a window of a process started by
// another one, so the window is made the foreground one, as a click would. And a message box
// shown while its owner is not yet on screen (the notice of use) does become the active window
// but keeps the caption it was first painted with, grey: it is told once more that it is active.
bool MadeActive(HWND window) {
    const bool active = WaitUntil(
        [&] {
            if (GetForegroundWindow() == window)
                return true;
            SetForegroundWindow(window);
            Sleep(100);
            return false;
        },
        5000);
    if (active)
        SendMessageTimeoutA(window, WM_NCACTIVATE, TRUE, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    return active;
}

void Press(HWND window, int button) {
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, button)));
}

class Photographer {
public:
    explicit Photographer(std::string suffix) : m_suffix(std::move(suffix)) {}

    // Asks the script for a picture of the window's rectangle and waits until it is taken.
    bool Take(const std::string& name, HWND window) {
        if (window == nullptr) {
            std::cerr << name << ": the window did not come\n";
            return m_ok = false;
        }
        if (!MadeActive(window)) {
            std::cerr << name << ": the window did not become active\n";
            return m_ok = false;
        }
        Sleep(PAINT_SETTLE_MS);
        RECT rect = {};
        if (Gone(window) || !GetWindowRect(window, &rect)) {
            std::cerr << name << ": the window went before its picture\n";
            return m_ok = false;
        }
        std::cout << "capture " << name << "_" << m_suffix << " " << rect.left << " " << rect.top
                  << " " << (rect.right - rect.left) << " " << (rect.bottom - rect.top)
                  << std::endl;
        std::string answer;
        if (!std::getline(std::cin, answer) || answer.rfind("done", 0) != 0) {
            std::cerr << name << ": no picture taken\n";
            return m_ok = false;
        }
        return true;
    }
    bool AllTaken() const { return m_ok; }

private:
    std::string m_suffix;
    bool m_ok = true;
};

// The drive without a disc (a disc would bring its own box first), its first main image chunk
// slow and its second failing, so that one update shows the progress dialog and then the failure.
sim::SimDrive DriveForTheWalk() {
    sim::SimDrive drive = sim::SimDrive::Kestran();
    drive.disc.present = false;
    drive.faults.push_back(sim::Fault::Slow(sim::OP_WRITE_BUFFER, SLOW_FIRST_CHUNK_MS)
                               .OnBuffer(MAIN_IMAGE_BUFFER)
                               .AtOffset(0));
    drive.faults.push_back(sim::Fault::CheckCondition(sim::OP_WRITE_BUFFER, {3, 0x0C, 0})
                               .OnBuffer(MAIN_IMAGE_BUFFER)
                               .AtOffset(SECOND_CHUNK_OFFSET));
    return drive;
}

int Walk(Photographer& camera) {
    FirmwareFolder images("screenshot_images");
    images.WriteMainImage(MakeMainImage());
    images.WriteSubImage(MakeSubImage());
    TestFolder drives("screenshot_drives");
    const std::string driveFile = drives.File("e.drive");
    sim::CreateDriveFile(driveFile, DriveForTheWalk());

    ProgramStart start;
    start.program = ProgramFolder() + "..\\app\\updater_twin.exe";
    start.currentDirectory = images.Path();
    start.environment[sim::DRIVES_ENVIRONMENT_VARIABLE] = "E=" + driveFile;
    start.environment[sim::RESTART_LOG_ENVIRONMENT_VARIABLE] = drives.File("restart.log");
    ProgramUnderTest program(start);
    if (!program.Started()) {
        std::cerr << "the twin did not start: " << start.program << "\n";
        return 1;
    }

    const std::string notice = TextOf(IDS_NOTICE_OF_USE);
    HWND box = WaitForDialog(program, [&](HWND w) { return ShowsText(w, notice); });
    camera.Take("notice", box);
    Press(box, IDYES);
    WaitUntil([&] { return Gone(box); });

    // Known by its controls: the message boxes bear the same caption.
    HWND dialog = WaitForDialog(
        program, [&](HWND w) { return GetDlgItem(w, IDC_CURRENT_VERSION) != nullptr; });
    // Ready: the drive in the list, its firmware's version beside the image's.
    if (dialog == nullptr || !WaitUntil([&] {
            return ComboCount(dialog, IDC_DRIVE_LIST) == 1 &&
                   ControlText(dialog, IDC_CURRENT_VERSION) == "1.00" &&
                   ControlText(dialog, IDC_IMAGE_VERSION) == "1.52";
        })) {
        std::cerr << "the updater dialog did not come ready with the drive and both versions\n";
        return 1;
    }
    camera.Take("updater", dialog);

    PostMessageA(dialog, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    HWND about = WaitForDialog(program, [&](HWND w) { return ShowsText(w, VERSION_LINE); });
    camera.Take("about", about);
    Press(about, IDOK);
    WaitUntil([&] { return Gone(about); });

    ClickButton(dialog, IDC_UPDATE);
    HWND progress =
        WaitForDialog(program, [&](HWND w) { return GetDlgItem(w, IDC_COUNTDOWN) != nullptr; });
    if (progress != nullptr) {
        HWND bar = GetDlgItem(progress, IDC_PROGRESS_BAR);
        WaitUntil([&] { return SendMessageA(bar, PBM_GETPOS, 0, 0) >= PROGRESS_STEPS_SHOWN; });
    }
    camera.Take("progress", progress);

    // The failed command's own box comes first; it is answered, then the failure box is taken.
    const std::string failed = TextOf(IDS_UPDATE_FAILED);
    HWND failure = nullptr;
    WaitUntil(
        [&] {
            HWND shown = WaitForDialog(
                program,
                [&](HWND w) { return w != dialog && GetDlgItem(w, IDC_COUNTDOWN) == nullptr; },
                1000);
            if (shown != nullptr && ShowsText(shown, failed)) {
                failure = shown;
                return true;
            }
            if (shown != nullptr) {
                Press(shown, IDOK);
                WaitUntil([&] { return Gone(shown); });
            }
            return !program.Running();
        },
        60000);
    camera.Take("failure", failure);
    if (failure != nullptr) {
        Press(failure, IDOK);
        WaitUntil([&] { return Gone(failure); });
    }

    Press(dialog, IDCANCEL);
    if (program.WaitForExit(WINDOW_TIMEOUT_MS) != std::optional<DWORD>(0)) {
        std::cerr << "the twin did not end with 0\n";
        return 1;
    }
    return camera.AllTaken() ? 0 : 1;
}

} // namespace

// The twin takes its language from the same locale as this program: a picture named for a
// language is only taken in that language.
bool LocaleSpeaks(const std::string& suffix) {
    const LANGID language = PRIMARYLANGID(GetUserDefaultUILanguage());
    return (suffix == "en" && language == LANG_ENGLISH) ||
           (suffix == "ja" && language == LANG_JAPANESE);
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: screenshot_driver.exe en|ja\n";
        return 2;
    }
    if (!LocaleSpeaks(argv[1])) {
        std::cerr << "the locale's language is not " << argv[1] << "\n";
        std::cout << "finished" << std::endl;
        return 1;
    }
    Photographer camera(argv[1]);
    const int code = Walk(camera);
    std::cout << "finished" << std::endl;
    return code;
}
