// Each kind of message-map entry dispatches to its handler on a real dialog, and a handler's
// result reaches the sender, also a sender on another thread.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "framework/paint_dc.h"
#include "tests/framework/recording_dialog.h"
#include "tests/support/message_pump.h"

namespace {

constexpr UINT WM_TEST_NOTIFY = WM_APP + 1;
constexpr UINT IDM_ABOUTBOX = 0x10;
constexpr LRESULT NOTIFY_RESULT = 0x1234;

class MappedDialog : public RecordingDialog {
public:
    BOOL allowEndSession = TRUE;
    HICON m_hIcon = LoadIconA(nullptr, IDI_APPLICATION);

    // Suspend requests are refused before the map sees them; everything else goes on.
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
        if (message == WM_POWERBROADCAST && wParam == PBT_APMQUERYSUSPEND) {
            events.push_back("OnWndMsg suspend");
            *result = BROADCAST_QUERY_DENY;
            return TRUE;
        }
        return RecordingDialog::OnWndMsg(message, wParam, lParam, result);
    }

protected:
    void OnSysCommand(UINT nID, LPARAM lParam) {
        if ((nID & 0xFFF0) == IDM_ABOUTBOX)
            events.push_back("OnSysCommand about");
        else
            CDialog::OnSysCommand(nID, lParam);
    }
    void OnPaint() {
        CPaintDC dc(this);
        events.push_back(dc.GetSafeHdc() ? "OnPaint with dc" : "OnPaint without dc");
    }
    HCURSOR OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }
    void OnTimer(UINT_PTR nIDEvent) {
        KillTimer(nIDEvent);
        events.push_back("OnTimer " + std::to_string(nIDEvent));
    }
    BOOL OnQueryEndSession() {
        events.push_back("OnQueryEndSession");
        return CDialog::OnQueryEndSession() && allowEndSession;
    }
    LRESULT OnTestNotify(WPARAM wParam, LPARAM lParam) {
        events.push_back("OnTestNotify " + std::to_string(wParam) + " " + std::to_string(lParam));
        return NOTIFY_RESULT;
    }
    void OnBnClickedUpdate() { events.push_back("OnBnClickedUpdate"); }
    void OnCbnSelchangeDrive() { events.push_back("OnCbnSelchangeDrive"); }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(MappedDialog, RecordingDialog)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_WM_TIMER()
ON_WM_QUERYENDSESSION()
ON_MESSAGE(WM_TEST_NOTIFY, &MappedDialog::OnTestNotify)
ON_BN_CLICKED(IDC_UPDATE, &MappedDialog::OnBnClickedUpdate)
ON_CBN_SELCHANGE(IDC_DRIVE_LIST, &MappedDialog::OnCbnSelchangeDrive)
END_MESSAGE_MAP()

class MessageMapTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dialog.Create(IDD_TEST_DIALOG));
        dialog.events.clear();
    }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return SendMessageA(dialog.m_hWnd, message, wParam, lParam);
    }
    LPARAM Control(int id) { return reinterpret_cast<LPARAM>(GetDlgItem(dialog.m_hWnd, id)); }

    MappedDialog dialog;
};

TEST_F(MessageMapTest, EachEntryKindReachesItsHandler) {
    struct Case {
        const char* name;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        const char* handler;
    };
    const Case cases[] = {
        {"WM_SYSCOMMAND", WM_SYSCOMMAND, IDM_ABOUTBOX, 0, "OnSysCommand about"},
        {"ON_MESSAGE", WM_TEST_NOTIFY, 3, 5, "OnTestNotify 3 5"},
        {"BN_CLICKED", WM_COMMAND, MAKEWPARAM(IDC_UPDATE, BN_CLICKED), 0, "OnBnClickedUpdate"},
        {"CBN_SELCHANGE", WM_COMMAND, MAKEWPARAM(IDC_DRIVE_LIST, CBN_SELCHANGE), 0,
         "OnCbnSelchangeDrive"},
        {"WM_QUERYENDSESSION", WM_QUERYENDSESSION, 0, 0, "OnQueryEndSession"},
        {"base map: IDCANCEL", WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0, "OnCancel"},
        {"default of OnSysCommand: SC_CLOSE", WM_SYSCOMMAND, SC_CLOSE, 0, nullptr},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        dialog.events.clear();
        Send(test.message, test.wParam, test.lParam);
        if (test.handler) {
            EXPECT_EQ(dialog.events, std::vector<std::string>{test.handler});
        } else {
            // The close goes through the dialog manager, which posts the cancel command.
            EXPECT_TRUE(PumpMessagesUntil([&] { return !dialog.events.empty(); }));
            EXPECT_EQ(dialog.events, std::vector<std::string>{"OnCancel"});
        }
    }
}

TEST_F(MessageMapTest, CommandsOfOtherControlsOrCodesAreNotDispatched) {
    Send(WM_COMMAND, MAKEWPARAM(IDC_UPDATE, BN_DOUBLECLICKED), Control(IDC_UPDATE));
    Send(WM_COMMAND, MAKEWPARAM(IDC_DRIVE_LIST, CBN_DROPDOWN), Control(IDC_DRIVE_LIST));
    Send(WM_COMMAND, MAKEWPARAM(IDC_COUNTDOWN, BN_CLICKED), 0);
    EXPECT_TRUE(dialog.events.empty());
}

TEST_F(MessageMapTest, AButtonClickArrivesAsBnClicked) {
    SendMessageA(GetDlgItem(dialog.m_hWnd, IDC_UPDATE), BM_CLICK, 0, 0);
    EXPECT_TRUE(PumpMessagesUntil([&] { return !dialog.events.empty(); }));
    EXPECT_EQ(dialog.events, std::vector<std::string>{"OnBnClickedUpdate"});
}

TEST_F(MessageMapTest, TimerAndPaintArriveThroughTheMessageLoop) {
    dialog.ShowWindow(SW_SHOW);
    dialog.UpdateWindow();
    dialog.events.clear();
    dialog.SetTimer(7, 10);
    ASSERT_TRUE(PumpMessagesUntil([&] { return !dialog.events.empty(); }));
    EXPECT_EQ(dialog.events, std::vector<std::string>{"OnTimer 7"});

    dialog.events.clear();
    InvalidateRect(dialog.m_hWnd, nullptr, TRUE);
    ASSERT_TRUE(PumpMessagesUntil([&] { return !dialog.events.empty(); }));
    EXPECT_EQ(dialog.events, std::vector<std::string>{"OnPaint with dc"});
}

TEST_F(MessageMapTest, HandlerResultsReachASenderOnAnotherThread) {
    struct Case {
        const char* name;
        UINT message;
        WPARAM wParam;
        BOOL allowEndSession;
        LRESULT expected;
    };
    const Case cases[] = {
        {"ON_MESSAGE result", WM_TEST_NOTIFY, 1, TRUE, NOTIFY_RESULT},
        {"end of session refused", WM_QUERYENDSESSION, 0, FALSE, FALSE},
        {"end of session allowed", WM_QUERYENDSESSION, 0, TRUE, TRUE},
        {"suspend refused in OnWndMsg", WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, TRUE,
         BROADCAST_QUERY_DENY},
        {"drag icon", WM_QUERYDRAGICON, 0, TRUE, reinterpret_cast<LRESULT>(dialog.m_hIcon)},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        dialog.allowEndSession = test.allowEndSession;
        std::atomic<bool> answered(false);
        DWORD_PTR result = 0xDEAD;
        LRESULT sent = 0;
        HWND target = dialog.m_hWnd;
        std::thread sender([&] {
            sent = SendMessageTimeoutA(target, test.message, test.wParam, 0, SMTO_NORMAL, 5000,
                                       &result);
            answered = true;
        });
        EXPECT_TRUE(PumpMessagesUntil([&] { return answered.load(); }));
        sender.join();
        EXPECT_NE(sent, 0) << "the message was answered in time";
        EXPECT_EQ(static_cast<LRESULT>(result), test.expected);
    }
}

TEST_F(MessageMapTest, OtherPowerEventsGoOnToTheWindow) {
    LRESULT result = Send(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND);
    EXPECT_NE(result, BROADCAST_QUERY_DENY);
    EXPECT_TRUE(dialog.events.empty());
}

} // namespace
