#include "tests/support/message_box_watcher.h"

#include "tests/support/process_windows.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace {

constexpr DWORD POLL_INTERVAL_MS = 10;

std::string TextOf(HWND hwnd) {
    std::vector<char> text(static_cast<size_t>(GetWindowTextLengthA(hwnd)) + 1, '\0');
    GetWindowTextA(hwnd, text.data(), static_cast<int>(text.size()));
    return text.data();
}

bool HasStyle(HWND hwnd, LONG style) {
    return (GetWindowLongA(hwnd, GWL_STYLE) & style) == style;
}

bool IsIconStatic(HWND hwnd) {
    return (GetWindowLongA(hwnd, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
}

// Top-level dialog windows (class #32770) of a process.
std::vector<HWND> DialogWindowsOfProcess(DWORD process) {
    std::vector<HWND> dialogs;
    for (HWND window : TopLevelWindowsOf(process))
        if (ClassNameOf(window) == "#32770")
            dialogs.push_back(window);
    return dialogs;
}

// A message box holds statics and push buttons only, one of the statics being its text.
bool LooksLikeMessageBox(HWND hwnd) {
    bool hasText = false;
    for (HWND child : ChildrenOf(hwnd)) {
        std::string kind = ClassNameOf(child);
        if (kind == "Static" && !IsIconStatic(child))
            hasText = true;
        else if (kind != "Static" && kind != "Button")
            return false;
    }
    return hasText;
}

UINT IconStyleOf(HICON shown) {
    struct KnownIcon {
        LPCSTR id;
        UINT style;
    };
    const KnownIcon known[] = {{IDI_HAND, MB_ICONERROR},
                               {IDI_QUESTION, MB_ICONQUESTION},
                               {IDI_EXCLAMATION, MB_ICONWARNING},
                               {IDI_ASTERISK, MB_ICONINFORMATION}};
    for (const KnownIcon& icon : known) {
        if (shown != nullptr && shown == LoadIconA(nullptr, icon.id))
            return icon.style;
    }
    return 0;
}

// The first visible top-level message box of this process that is not among before. A box that
// has been answered is hidden before it goes, so it is not found again.
HWND FindNewMessageBox(DWORD process, const std::vector<HWND>& before) {
    for (HWND box : DialogWindowsOfProcess(process)) {
        bool isNew = std::find(before.begin(), before.end(), box) == before.end();
        if (isNew && IsWindowVisible(box) && LooksLikeMessageBox(box))
            return box;
    }
    return nullptr;
}

SeenMessageBox Describe(HWND box) {
    SeenMessageBox seen;
    seen.caption = TextOf(box);
    seen.owner = GetWindow(box, GW_OWNER);
    seen.topmost = (GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    for (HWND child : ChildrenOf(box)) {
        if (!HasStyle(child, WS_VISIBLE))
            continue;
        std::string kind = ClassNameOf(child);
        if (kind == "Static" && IsIconStatic(child)) {
            seen.icon =
                IconStyleOf(reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0)));
        } else if (kind == "Static" && seen.text.empty()) {
            seen.text = TextOf(child);
        } else if (kind == "Button") {
            seen.buttons.push_back(GetDlgCtrlID(child));
        }
    }
    return seen;
}

} // namespace

std::ostream& operator<<(std::ostream& out, const SeenMessageBox& box) {
    out << "{caption \"" << box.caption << "\", text \"" << box.text << "\", icon " << box.icon
        << ", buttons";
    for (int button : box.buttons)
        out << ' ' << button;
    return out << (box.pressed ? ", pressed}" : ", not pressed}");
}

MessageBoxWatcher::MessageBoxWatcher(std::vector<int> answers, DWORD timeoutMs, DWORD process)
    : m_answers(std::move(answers)), m_timeoutMs(timeoutMs),
      m_process(process != 0 ? process : GetCurrentProcessId()),
      m_dialogsBefore(DialogWindowsOfProcess(m_process)),
      m_thread(&MessageBoxWatcher::Watch, this) {}

MessageBoxWatcher::~MessageBoxWatcher() {
    // As Wait: a box that comes after a failed assertion is still answered, so the test ends.
    Wait();
}

std::vector<SeenMessageBox> MessageBoxWatcher::Wait() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_waitCalled = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    return m_seen;
}

std::vector<SeenMessageBox> MessageBoxWatcher::StopWatching() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    return Wait();
}

bool MessageBoxWatcher::KeepWatching(bool seriesDone) {
    std::unique_lock<std::mutex> lock(m_mutex);
    bool ends = m_wake.wait_for(lock, std::chrono::milliseconds(POLL_INTERVAL_MS),
                                [&] { return m_stop || (m_waitCalled && seriesDone); });
    return !ends;
}

void MessageBoxWatcher::Answer(HWND box) {
    SeenMessageBox seen = Describe(box);
    size_t position = m_seen.size();
    bool inSeries = position < m_answers.size();
    seen.pressed = inSeries && std::find(seen.buttons.begin(), seen.buttons.end(),
                                         m_answers[position]) != seen.buttons.end();
    // Without its button, and beyond the series, a box is still answered, so that the test fails
    // instead of waiting for ever.
    int answer = seen.pressed            ? m_answers[position]
                 : !seen.buttons.empty() ? seen.buttons.front()
                                         : IDCANCEL;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, answer)));
    m_seen.push_back(seen);
}

void MessageBoxWatcher::Watch() {
    // Answered but not yet gone: until it goes, no other box is answered, and it is never taken
    // again, since only a box without an answer on screen is looked for.
    HWND answeredOnScreen = nullptr;
    DWORD waitStart = GetTickCount();
    for (;;) {
        if (answeredOnScreen != nullptr &&
            (!IsWindow(answeredOnScreen) || !IsWindowVisible(answeredOnScreen))) {
            answeredOnScreen = nullptr;
            waitStart = GetTickCount();
        }
        if (answeredOnScreen == nullptr) {
            HWND box = FindNewMessageBox(m_process, m_dialogsBefore);
            if (box != nullptr) {
                Answer(box);
                answeredOnScreen = box;
                waitStart = GetTickCount();
            }
        }
        if (GetTickCount() - waitStart >= m_timeoutMs)
            return;
        bool seriesDone = m_seen.size() >= m_answers.size() && answeredOnScreen == nullptr;
        if (!KeepWatching(seriesDone))
            return;
    }
}
