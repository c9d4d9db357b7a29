// The application object in this process: the instance mapping's layout, the end of a start
// that finds another instance, the exit code of each run, and the help command.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "app/instance_mapping.h"
#include "app/updater_app.h"
#include "framework/cdialog.h"
#include "framework/scoped_handle.h"
#include "tests/support/message_pump.h"
#include "ui/res/resource.h"

namespace {

std::vector<uint8_t> MappingBytes(HANDLE mapping) {
    std::vector<uint8_t> bytes(INSTANCE_MAPPING_SIZE);
    void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    EXPECT_NE(nullptr, view);
    if (view != nullptr) {
        std::memcpy(bytes.data(), view, bytes.size());
        UnmapViewOfFile(view);
    }
    return bytes;
}

TEST(InstanceMapping, HoldsThePublishedWindowInItsFirstFourBytes) {
    bool existed = true;
    ScopedHandle mapping(CreateInstanceMapping(existed));
    ASSERT_TRUE(mapping.IsValid());
    EXPECT_FALSE(existed);
    EXPECT_EQ(std::vector<uint8_t>(INSTANCE_MAPPING_SIZE, 0), MappingBytes(mapping.Get()));

    HWND window = reinterpret_cast<HWND>(0x00A1B2C4);
    PublishWindow(mapping.Get(), window);
    EXPECT_EQ(std::vector<uint8_t>({0xC4, 0xB2, 0xA1, 0x00, 0, 0, 0, 0, 0, 0}),
              MappingBytes(mapping.Get()));

    bool secondExisted = false;
    ScopedHandle second(CreateInstanceMapping(secondExisted));
    EXPECT_TRUE(secondExisted);
    EXPECT_EQ(MappingBytes(mapping.Get()), MappingBytes(second.Get()));
}

// A start that finds another instance's mapping ends with 0 and brings that instance's window
// forward, even when the thread's last retrieved message was an earlier run's quit with 7.
TEST(UpdaterApp, AStartBesideARunningInstanceEndsWithZeroAndBringsItForward) {
    bool existed = true;
    ScopedHandle running(CreateInstanceMapping(existed));
    ASSERT_FALSE(existed);
    HWND runningWindow = CreateWindowExA(0, "STATIC", "running updater", WS_POPUP | WS_VISIBLE, 0,
                                         0, 100, 50, nullptr, nullptr, nullptr, nullptr);
    HWND other = CreateWindowExA(0, "STATIC", "another window", WS_POPUP | WS_VISIBLE, 200, 0, 100,
                                 50, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    PublishWindow(running.Get(), runningWindow);

    PostQuitMessage(7);
    ASSERT_FALSE(AfxPumpMessage());

    CUpdaterApp app;
    EXPECT_EQ(0, AfxWinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOW));
    EXPECT_EQ(nullptr, app.m_hMapping);
    EXPECT_TRUE(PumpMessagesUntil([&] { return GetForegroundWindow() == runningWindow; }, 5000));
    DestroyWindow(other);
    DestroyWindow(runningWindow);
}

class HelpRecordingApp : public CUpdaterApp {
public:
    UINT command = 0;
    BOOL handled = FALSE;

protected:
    BOOL OnCommand(UINT id) override {
        command = id;
        handled = CUpdaterApp::OnCommand(id);
        return handled;
    }
};

// The Help command reaches the application, which has no help file and shows nothing; commands
// of its own stay with the window.
TEST(UpdaterApp, TheHelpCommandGoesToTheApplication) {
    HelpRecordingApp app;
    CDialog dialog(IDD_AUTO_MODE);
    ASSERT_TRUE(dialog.Create(IDD_AUTO_MODE));
    dialog.SendMessage(WM_COMMAND, ID_HELP, 0);
    EXPECT_EQ(ID_HELP, app.command);
    EXPECT_TRUE(app.handled);
    app.command = 0;
    dialog.SendMessage(WM_COMMAND, 0x4321, 0);
    EXPECT_EQ(0x4321u, app.command);
    EXPECT_FALSE(app.handled);
    EXPECT_TRUE(IsWindow(dialog.m_hWnd));
}

} // namespace
