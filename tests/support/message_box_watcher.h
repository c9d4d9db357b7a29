#pragma once
// Answers one real message box of this process from a thread of its own: the test arms a watcher
// with the button to press, then lets the code under test show its box. The watcher finds the
// box, records what it shows and presses the button.
//
//   MessageBoxWatcher watcher(IDYES);
//   dialog.DoSomethingThatAsks();
//   SeenMessageBox box = watcher.Wait();
//   EXPECT_EQ(box.text, "Execute?");

#include <windows.h>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

struct SeenMessageBox {
    bool seen = false;
    std::string text;
    std::string caption;
    UINT icon = 0; // MB_ICONERROR, MB_ICONQUESTION, MB_ICONWARNING, MB_ICONINFORMATION or 0
    std::vector<int> buttons; // command ids of the buttons shown, IDOK, IDCANCEL, ...
    HWND owner = nullptr;
    bool pressed = false; // the chosen button was among them and has been pressed
};

class MessageBoxWatcher {
public:
    // Watches for a message box that appears after this call, for at most timeoutMs.
    explicit MessageBoxWatcher(int buttonToPress, DWORD timeoutMs = 10000);
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    // Waits until the box has been answered or the time-out has passed.
    SeenMessageBox Wait();

    // Stops watching at once and returns what was seen so far: for code that has already run to
    // its end on this thread, where a box would have blocked it until the watcher answered.
    SeenMessageBox StopWatching();

private:
    void Watch();

    std::atomic<bool> m_stop{false};
    int m_buttonToPress;
    DWORD m_timeoutMs;
    std::vector<HWND> m_dialogsBefore;
    SeenMessageBox m_seen;
    std::thread m_thread;
};
