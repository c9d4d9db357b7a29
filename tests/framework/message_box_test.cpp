// CWnd::MessageBox shows a real box owned by the window; the watcher answers it, and answers a
// series of boxes one after the other, each with its own button.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "framework/cwinapp.h"
#include "tests/framework/recording_dialog.h"
#include "tests/support/message_box_watcher.h"
#include "tests/support/message_pump.h"

namespace {

// Longer than the 2 s that Wine without a window manager may spend showing or hiding a box, so
// that a box that does come is never missed; the time-out path waits this long once.
constexpr DWORD BOX_STEP_TIMEOUT_MS = 4000;

TEST(OwnedMessageBox, IsOwnedByTheWindowAndShowsTextCaptionIconAndButtons) {
    struct Case {
        UINT style;
        int press;
        UINT icon;
        std::vector<int> buttons;
    };
    const Case cases[] = {
        {MB_OK | MB_ICONWARNING, IDOK, MB_ICONWARNING, {IDOK}},
        {MB_YESNO | MB_ICONINFORMATION, IDNO, MB_ICONINFORMATION, {IDYES, IDNO}},
        {MB_OKCANCEL | MB_ICONERROR, IDCANCEL, MB_ICONERROR, {IDOK, IDCANCEL}},
        {MB_YESNO | MB_ICONQUESTION, IDYES, MB_ICONQUESTION, {IDYES, IDNO}},
        {MB_OK, IDOK, 0, {IDOK}},
    };
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_TEST_DIALOG));
    for (const Case& test : cases) {
        SCOPED_TRACE(test.style);
        MessageBoxWatcher watcher({test.press});
        int answer = dialog.MessageBox("Target is not found", "firmware updater", test.style);
        std::vector<SeenMessageBox> boxes = watcher.Wait();
        ASSERT_EQ(1u, boxes.size());
        const SeenMessageBox& box = boxes[0];
        EXPECT_TRUE(box.pressed);
        EXPECT_EQ(answer, test.press);
        EXPECT_EQ(box.text, "Target is not found");
        EXPECT_EQ(box.caption, "firmware updater");
        EXPECT_EQ(box.icon, test.icon);
        EXPECT_EQ(box.buttons, test.buttons);
        EXPECT_EQ(box.owner, dialog.m_hWnd);
    }
}

TEST(OwnedMessageBox, WithoutCaptionShowsTheApplicationName) {
    CWinApp app("firmware updater");
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_TEST_DIALOG));
    MessageBoxWatcher watcher({IDOK});
    dialog.MessageBox("please wait a second.");
    std::vector<SeenMessageBox> boxes = watcher.Wait();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(boxes[0].caption, "firmware updater");
}

TEST(OwnedMessageBox, WatcherReportsAMissingButtonAndStillClosesTheBox) {
    MessageBoxWatcher watcher({IDYES});
    int answer = MessageBoxA(nullptr, "no owner", "caption", MB_OK);
    std::vector<SeenMessageBox> boxes = watcher.Wait();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_FALSE(boxes[0].pressed);
    EXPECT_EQ(answer, IDOK);
    EXPECT_EQ(boxes[0].owner, nullptr);
}

// One box of a series: what the code under test shows, the button the watcher is armed with for
// it, and what the box shows and returns.
struct SeriesBox {
    const char* text;
    UINT style;
    int press;
    UINT icon;
    std::vector<int> buttons;
    int returned; // press, or the first button when the box lacks it
};

const SeriesBox EXECUTE_YES = {
    "Execute?", MB_YESNO | MB_ICONQUESTION, IDYES, MB_ICONQUESTION, {IDYES, IDNO}, IDYES};
const SeriesBox COMMAND_ERROR_OK = {
    "command error occured", MB_OK | MB_ICONERROR, IDOK, MB_ICONERROR, {IDOK}, IDOK};
const SeriesBox NOT_FOUND_OK = {
    "Target is not found", MB_OK | MB_ICONINFORMATION, IDOK, MB_ICONINFORMATION, {IDOK}, IDOK};
const SeriesBox UPDATE_NO = {"Update now?", MB_YESNO, IDNO, 0, {IDYES, IDNO}, IDNO};
const SeriesBox UPDATE_YES = {"Update now?", MB_YESNO, IDYES, 0, {IDYES, IDNO}, IDYES};
const SeriesBox UPDATE_CANCEL = {"Update now?",    MB_OKCANCEL | MB_ICONWARNING,
                                 IDCANCEL,         MB_ICONWARNING,
                                 {IDOK, IDCANCEL}, IDCANCEL};
// Armed with a button the box does not have: answered with its first one.
const SeriesBox EXECUTE_ARMED_WITH_OK = {
    "Execute?", MB_YESNO | MB_ICONQUESTION, IDOK, MB_ICONQUESTION, {IDYES, IDNO}, IDYES};
const SeriesBox RETRY_CANCEL = {"Retry?",     MB_RETRYCANCEL | MB_ICONERROR, IDCANCEL,
                                MB_ICONERROR, {IDRETRY, IDCANCEL},           IDCANCEL};

std::vector<int> AnswersOf(const std::vector<SeriesBox>& series) {
    std::vector<int> answers;
    for (const SeriesBox& box : series)
        answers.push_back(box.press);
    return answers;
}

// Shows each box of series in turn, owned by owner, as a start sequence would; returns what each
// box returned. lastAskedAt, when given, receives the tick count just before the last box.
std::vector<int> ShowInTurn(CWnd& owner, const std::vector<SeriesBox>& series,
                            DWORD* lastAskedAt = nullptr) {
    std::vector<int> returned;
    for (const SeriesBox& box : series) {
        if (lastAskedAt != nullptr)
            *lastAskedAt = GetTickCount();
        returned.push_back(owner.MessageBox(box.text, "firmware updater", box.style));
    }
    return returned;
}

void ExpectSeen(const SeriesBox& shown, const SeenMessageBox& seen, HWND owner) {
    EXPECT_EQ(shown.text, seen.text);
    EXPECT_EQ("firmware updater", seen.caption);
    EXPECT_EQ(shown.icon, seen.icon);
    EXPECT_EQ(shown.buttons, seen.buttons);
    EXPECT_EQ(owner, seen.owner);
    EXPECT_EQ(shown.returned == shown.press, seen.pressed);
}

TEST(MessageBoxSeries, EachBoxGetsItsOwnAnswerAndIsRecordedInOrder) {
    const struct {
        const char* name;
        std::vector<SeriesBox> series;
    } cases[] = {
        {"notice, failure, last word", {EXECUTE_YES, COMMAND_ERROR_OK, NOT_FOUND_OK}},
        {"alike boxes answered differently", {UPDATE_NO, UPDATE_YES, UPDATE_CANCEL}},
        {"a box without its button keeps the rest in step", {EXECUTE_ARMED_WITH_OK, RETRY_CANCEL}},
    };
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_TEST_DIALOG));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MessageBoxWatcher watcher(AnswersOf(c.series), BOX_STEP_TIMEOUT_MS);
        std::vector<int> returned = ShowInTurn(dialog, c.series);
        std::vector<SeenMessageBox> boxes = watcher.Wait();
        std::vector<int> expectedReturns;
        for (const SeriesBox& box : c.series)
            expectedReturns.push_back(box.returned);
        EXPECT_EQ(expectedReturns, returned);
        ASSERT_EQ(c.series.size(), boxes.size()) << ::testing::PrintToString(boxes);
        for (size_t i = 0; i < boxes.size(); ++i) {
            SCOPED_TRACE(i);
            ExpectSeen(c.series[i], boxes[i], dialog.m_hWnd);
        }
    }
}

TEST(MessageBoxSeries, BoxesThatDoNotComeEndTheWaitAfterTheTimeOut) {
    const struct {
        const char* name;
        std::vector<int> answers;
        std::vector<SeriesBox> shown;
    } cases[] = {
        {"third box missing", {IDYES, IDOK, IDOK}, {EXECUTE_YES, COMMAND_ERROR_OK}},
        {"no box at all", {IDOK}, {}},
    };
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_TEST_DIALOG));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // The wait for the missing box starts once the last box shown has gone, so not before
        // that box was asked for (or the watcher made, when none is shown).
        DWORD missingBoxWaitStartsAfter = GetTickCount();
        MessageBoxWatcher watcher(c.answers, BOX_STEP_TIMEOUT_MS);
        std::vector<int> returned = ShowInTurn(dialog, c.shown, &missingBoxWaitStartsAfter);
        std::vector<SeenMessageBox> boxes = watcher.Wait();
        // Not earlier: a watcher that gave up on the series when Wait was called would be quicker.
        EXPECT_GE(GetTickCount() - missingBoxWaitStartsAfter, BOX_STEP_TIMEOUT_MS);
        EXPECT_EQ(std::vector<int>(c.answers.begin(), c.answers.begin() + c.shown.size()),
                  returned);
        ASSERT_EQ(c.shown.size(), boxes.size()) << ::testing::PrintToString(boxes);
        for (size_t i = 0; i < boxes.size(); ++i) {
            SCOPED_TRACE(i);
            ExpectSeen(c.shown[i], boxes[i], dialog.m_hWnd);
        }
    }
}

TEST(MessageBoxSeries, BoxBeyondTheSeriesIsRecordedAndClosedWithItsFirstButton) {
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_TEST_DIALOG));
    MessageBoxWatcher watcher({IDNO});
    int first = dialog.MessageBox("Execute?", "firmware updater", MB_YESNO);
    // It has the series' button too, which the watcher must not take for its own answer.
    int beyond = dialog.MessageBox("one box too many", "firmware updater", MB_YESNO);
    std::vector<SeenMessageBox> boxes = watcher.Wait();
    EXPECT_EQ(IDNO, first);
    EXPECT_EQ(IDYES, beyond);
    ASSERT_EQ(2u, boxes.size());
    EXPECT_TRUE(boxes[0].pressed);
    EXPECT_EQ("one box too many", boxes[1].text);
    EXPECT_FALSE(boxes[1].pressed);
}

// Keeps a box on screen after its first answer, as a box whose thread has not yet taken the
// answer would stay: a WH_GETMESSAGE hook on the box's thread turns that command into WM_NULL.
std::atomic<int> g_answersHeldBack{0};

LRESULT CALLBACK HoldBackFirstAnswer(int code, WPARAM removal, LPARAM message) {
    MSG* msg = reinterpret_cast<MSG*>(message);
    if (code == HC_ACTION && removal == PM_REMOVE && msg->message == WM_COMMAND &&
        g_answersHeldBack == 0) {
        ++g_answersHeldBack;
        msg->message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, removal, message);
}

TEST(MessageBoxSeries, NextBoxWaitsUntilTheAnsweredBoxHasGone) {
    g_answersHeldBack = 0;
    MessageBoxWatcher watcher({IDOK, IDYES}, BOX_STEP_TIMEOUT_MS);
    int stayingReturned = 0;
    std::thread staying([&] {
        HHOOK hook =
            SetWindowsHookExA(WH_GETMESSAGE, &HoldBackFirstAnswer, nullptr, GetCurrentThreadId());
        stayingReturned = MessageBoxA(nullptr, "stays on screen", "staying box", MB_OK);
        UnhookWindowsHookEx(hook);
    });
    // The next box comes only once the watcher has answered the first, so that it cannot be
    // taken first.
    EXPECT_TRUE(PumpMessagesUntil([] { return g_answersHeldBack == 1; }));
    int nextReturned = 0;
    std::thread next(
        [&] { nextReturned = MessageBoxA(nullptr, "comes meanwhile", "next box", MB_YESNO); });
    HWND nextBox = nullptr;
    EXPECT_TRUE(PumpMessagesUntil([&] {
        nextBox = FindWindowA("#32770", "next box");
        return nextBox != nullptr && IsWindowVisible(nextBox);
    }));

    std::vector<SeenMessageBox> boxes = watcher.Wait(); // the staying box ends it
    HWND stayingBox = FindWindowA("#32770", "staying box");
    EXPECT_TRUE(IsWindowVisible(stayingBox));
    EXPECT_TRUE(IsWindowVisible(nextBox));
    EXPECT_EQ(1, g_answersHeldBack.load());
    EXPECT_EQ(1u, boxes.size()) << ::testing::PrintToString(boxes);
    if (!boxes.empty()) {
        EXPECT_EQ("stays on screen", boxes[0].text);
    }

    // The test closes both itself; the next box returns the test's answer, not the watcher's.
    PostMessageA(stayingBox, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    PostMessageA(nextBox, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
    staying.join();
    next.join();
    EXPECT_EQ(IDOK, stayingReturned);
    EXPECT_EQ(IDNO, nextReturned);
}

} // namespace
