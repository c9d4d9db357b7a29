#pragma once
// Answers the real message boxes of this process from a thread of its own: the test arms a
// watcher with the buttons to press, one per box in the order the boxes are expected, then lets
// the code under test show them. The watcher finds each box, records what it shows and presses
// the box's button.
//
//   MessageBoxWatcher watcher({IDYES, IDOK});
//   dialog.DoSomethingThatAsksThenFails();
//   std::vector<SeenMessageBox> boxes = watcher.Wait();
//   ASSERT_EQ(2u, boxes.size());
//   EXPECT_EQ(boxes[0].text, "Execute?");
//
// One box at a time: a box is answered only once the one before it has been answered and has
// gone, so that a box that stays on screen is never taken for the next one.
//
// Whatever the code under test does, the test does not hang: a box without the chosen button is
// answered with its first button; a box beyond the series is recorded after the series' boxes
// (so the count is wrong) and answered with its first button; a box that does not come ends the
// watch after the time-out.

#include <windows.h>
#include <condition_variable>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

struct SeenMessageBox {
    std::string text;
    std::string caption;
    UINT icon = 0; // MB_ICONERROR, MB_ICONQUESTION, MB_ICONWARNING, MB_ICONINFORMATION or 0
    std::vector<int> buttons; // command ids of the buttons shown, IDOK, IDCANCEL, ...
    HWND owner = nullptr;
    bool topmost = false; // shown above every window, as a system-modal box is
    // The box's own button of the series was among its buttons and has been pressed; false for
    // a box answered with its first button instead, a box beyond the series among them.
    bool pressed = false;
};

// For test failure messages.
std::ostream& operator<<(std::ostream& out, const SeenMessageBox& box);

class MessageBoxWatcher {
public:
    // Watches for boxes that appear after this call, answering the first with answers[0], the
    // next with answers[1], and so on. timeoutMs bounds each wait: for the next box to appear
    // (the first counted from here, each later one from the going of the box before it), and for
    // an answered box to go. Once it has passed, nothing more is answered.
    //
    // The boxes are those of this process, or of `process` when it is given (a program under
    // test); another process's icons are not its own handles, so its boxes' icon reads 0.
    explicit MessageBoxWatcher(std::vector<int> answers, DWORD timeoutMs = 10000,
                               DWORD process = 0);
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    // Waits until every answer has been given and the last box has gone, or until a wait has
    // timed out, and returns one record per box answered, in the order they came. Until it is
    // called, boxes beyond the series are answered too (the code under test may run on this
    // thread, blocked in such a box); after it, nothing is watched.
    std::vector<SeenMessageBox> Wait();

    // Stops watching at once and returns what was seen so far: for code that has already run to
    // its end on this thread, where a box would have blocked it until the watcher answered, and
    // so for saying "no box at all" without waiting for the time-out.
    std::vector<SeenMessageBox> StopWatching();

private:
    void Watch();
    // Waits one poll interval; false once the watch is to end.
    bool KeepWatching(bool seriesDone);
    void Answer(HWND box);

    const std::vector<int> m_answers;
    const DWORD m_timeoutMs;
    const DWORD m_process;
    std::vector<HWND> m_dialogsBefore;
    std::vector<SeenMessageBox> m_seen; // written by the watching thread only, read after join

    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;       // StopWatching: at once
    bool m_waitCalled = false; // Wait: once the series is done

    std::thread m_thread; // last, so that it starts after everything it uses
};
