// The progress dialog: its countdown and bar tick by tick, the formats chosen by the OEM code page,
// the real one-second timer, and the ways it can and cannot be closed. The program runs once with
// English settings and once under the Japanese locale (OEM code page 932, Japanese resources).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "drive/shared_state.h"
#include "tests/support/message_pump.h"
#include "tests/support/shared_state_scope.h"
#include "ui/progress_dlg.h"
#include "ui/res/resource.h"

namespace {

constexpr UINT JAPANESE_OEM_CODE_PAGE = 932;

// A UTF-8 text as the dialog's ANSI controls hold it.
std::string Ansi(const char* utf8) {
    wchar_t wide[256] = {};
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 256);
    char ansi[512] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, sizeof ansi, nullptr, nullptr);
    return ansi;
}

bool JapaneseSettings() {
    return GetOEMCP() == JAPANESE_OEM_CODE_PAGE;
}

// The countdown line for a count that is still 0 or more.
std::string CountdownLine(int secondsLeft) {
    if (JapaneseSettings())
        return Ansi((u8"残り" + std::to_string(secondsLeft) + u8"秒").c_str());
    return std::to_string(secondsLeft) +
           (secondsLeft == 1 || secondsLeft == 0 ? " second" : " seconds");
}

std::string PleaseWait() {
    return JapaneseSettings() ? Ansi(u8"もうしばらくお待ちください。") : "please wait a second.";
}

std::string TemplateLine() {
    return JapaneseSettings() ? Ansi(u8"残り25秒") : "25 seconds";
}

std::string CountdownText(HWND dialog) {
    char text[128] = {};
    GetDlgItemTextA(dialog, IDC_COUNTDOWN, text, sizeof text);
    return text;
}

int BarPosition(HWND dialog) {
    return static_cast<int>(SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_GETPOS, 0, 0));
}

class CountdownTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_pIndicator = OpenProgressDialog();
        dialog_ = g_pIndicator->m_hWnd;
        ASSERT_TRUE(IsWindow(dialog_));
    }
    void TearDown() override {
        if (g_pIndicator != nullptr)
            g_pIndicator->DestroyWindow();
    }

    // A tick as the timer delivers it.
    void Tick(int count) {
        for (int i = 0; i < count; ++i)
            SendMessageA(dialog_, WM_TIMER, 1, 0);
    }

    SharedStateScope state_{TransferBuffers::None};
    HWND dialog_ = nullptr;
};

// Each run of the program says which OEM code page it is meant to meet, so that the Japanese run
// cannot quietly test the English formats again.
TEST(CountdownSettings, RunMeetsTheOemCodePageItIsMeantFor) {
    const char* expected = std::getenv("EXPECTED_OEM_CODE_PAGE");
    ASSERT_NE(nullptr, expected);
    EXPECT_EQ(static_cast<UINT>(std::atoi(expected)), GetOEMCP());
}

TEST_F(CountdownTest, OpensAtTwentyFiveWithAnEmptyBarAndNoWayToCloseIt) {
    EXPECT_TRUE(IsWindowVisible(dialog_));
    EXPECT_EQ(TemplateLine(), CountdownText(dialog_));
    EXPECT_EQ(0, BarPosition(dialog_));
    PBRANGE range = {};
    SendDlgItemMessageA(dialog_, IDC_PROGRESS_BAR, PBM_GETRANGE, TRUE,
                        reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(0, range.iLow);
    EXPECT_EQ(25, range.iHigh);
    const UINT close = GetMenuState(GetSystemMenu(dialog_, FALSE), SC_CLOSE, MF_BYCOMMAND);
    EXPECT_EQ(UINT(MF_DISABLED | MF_GRAYED), close & (MF_DISABLED | MF_GRAYED));
    EXPECT_EQ(nullptr, GetWindow(dialog_, GW_OWNER));
}

TEST_F(CountdownTest, EachTickCountsDownAndMovesTheBarUntilTheCountIsBelowZero) {
    const struct {
        int ticks; // in all, since the dialog opened
        int secondsLeft;
        int bar;
    } cases[] = {
        // clang-format off
        {1,  24,  1},
        {23,  2, 23},
        {24,  1, 24},
        {25,  0, 25},
        {26, -1, 25},
        {30, -5, 25},
        // clang-format on
    };
    int ticked = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ticks);
        Tick(c.ticks - ticked);
        ticked = c.ticks;
        EXPECT_EQ(c.secondsLeft >= 0 ? CountdownLine(c.secondsLeft) : PleaseWait(),
                  CountdownText(dialog_));
        EXPECT_EQ(c.bar, BarPosition(dialog_));
        EXPECT_EQ(c.secondsLeft, static_cast<CDlgIndicater*>(g_pIndicator)->m_nSecondsLeft);
    }
}

// The program's own formats, byte for byte: the Japanese one is code page 932 text.
TEST_F(CountdownTest, CountdownFormatsAreTheProgramsOwnBytes) {
    Tick(1);
    const std::string expected = JapaneseSettings()
                                     ? std::string("\x8E\x63\x82\xE8") + "24" + "\x95\x62"
                                     : std::string("24 seconds");
    EXPECT_EQ(expected, CountdownText(dialog_));
}

TEST_F(CountdownTest, TheRealTimerChangesTheLineAfterAboutASecond) {
    const DWORD opened = GetTickCount();
    ASSERT_TRUE(
        PumpMessagesUntil([this] { return CountdownText(dialog_) != TemplateLine(); }, 10000));
    const DWORD elapsed = GetTickCount() - opened;
    EXPECT_GE(elapsed, 900u);
    EXPECT_EQ(CountdownLine(24), CountdownText(dialog_));
    EXPECT_EQ(1, BarPosition(dialog_));
}

TEST_F(CountdownTest, EscapeDoesNotCloseIt) {
    PostMessageA(dialog_, WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageA(dialog_, WM_KEYUP, VK_ESCAPE, 0xC0000001);
    bool queueEmpty = PumpMessagesUntil(
        [this] {
            MSG msg;
            return !PeekMessageA(&msg, dialog_, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE);
        },
        5000);
    ASSERT_TRUE(queueEmpty);
    EXPECT_TRUE(IsWindow(dialog_));
    EXPECT_TRUE(IsWindowVisible(dialog_));
    EXPECT_NE(nullptr, g_pIndicator);
}

// The owner's posted close ends it for good: window and object go, and the owner's pointer with
// them; the next update makes a new one, starting again at 25.
TEST_F(CountdownTest, TheOwnersCloseDestroysItAndClearsThePointer) {
    Tick(3);
    CloseProgressDialog(g_pIndicator);
    ASSERT_TRUE(PumpMessagesUntil([] { return g_pIndicator == nullptr; }, 5000));
    EXPECT_FALSE(IsWindow(dialog_));

    g_pAutoIndicator = OpenProgressDialog();
    ASSERT_NE(nullptr, g_pAutoIndicator);
    EXPECT_EQ(TemplateLine(), CountdownText(g_pAutoIndicator->m_hWnd));
    EXPECT_EQ(25, static_cast<CDlgIndicater*>(g_pAutoIndicator)->m_nSecondsLeft);
    CloseProgressDialog(g_pAutoIndicator);
    ASSERT_TRUE(PumpMessagesUntil([] { return g_pAutoIndicator == nullptr; }, 5000));
}

} // namespace
