#include "tests/support/message_box_watcher.h"

#include <algorithm>

namespace {

constexpr DWORD POLL_INTERVAL_MS = 10;

std::string ClassOf(HWND hwnd) {
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

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

BOOL CALLBACK CollectDialogOfProcess(HWND hwnd, LPARAM list) {
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    if (process == GetCurrentProcessId() && ClassOf(hwnd) == "#32770")
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return TRUE;
}

// Top-level dialog windows (class #32770) of this process.
std::vector<HWND> DialogWindowsOfProcess() {
    std::vector<HWND> found;
    EnumWindows(&CollectDialogOfProcess, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::vector<HWND> ChildrenOf(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

// A message box holds statics and push buttons only, one of the statics being its text.
bool LooksLikeMessageBox(HWND hwnd) {
    bool hasText = false;
    for (HWND child : ChildrenOf(hwnd)) {
        std::string kind = ClassOf(child);
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

SeenMessageBox Describe(HWND box) {
    SeenMessageBox seen;
    seen.seen = true;
    seen.caption = TextOf(box);
    seen.owner = GetWindow(box, GW_OWNER);
    for (HWND child : ChildrenOf(box)) {
        if (!HasStyle(child, WS_VISIBLE))
            continue;
        std::string kind = ClassOf(child);
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

MessageBoxWatcher::MessageBoxWatcher(int buttonToPress, DWORD timeoutMs)
    : m_buttonToPress(buttonToPress), m_timeoutMs(timeoutMs),
      m_dialogsBefore(DialogWindowsOfProcess()), m_thread(&MessageBoxWatcher::Watch, this) {}

MessageBoxWatcher::~MessageBoxWatcher() {
    if (m_thread.joinable())
        m_thread.join();
}

SeenMessageBox MessageBoxWatcher::Wait() {
    if (m_thread.joinable())
        m_thread.join();
    return m_seen;
}

SeenMessageBox MessageBoxWatcher::StopWatching() {
    m_stop = true;
    return Wait();
}

void MessageBoxWatcher::Watch() {
    DWORD start = GetTickCount();
    while (!m_stop && GetTickCount() - start < m_timeoutMs) {
        for (HWND box : DialogWindowsOfProcess()) {
            bool isNew = std::find(m_dialogsBefore.begin(), m_dialogsBefore.end(), box) ==
                         m_dialogsBefore.end();
            if (!isNew || !IsWindowVisible(box) || !LooksLikeMessageBox(box))
                continue;
            m_seen = Describe(box);
            // Without the chosen button the box is still answered, so that the test fails
            // instead of waiting for ever.
            m_seen.pressed = std::find(m_seen.buttons.begin(), m_seen.buttons.end(),
                                       m_buttonToPress) != m_seen.buttons.end();
            int answer =
                m_seen.pressed || m_seen.buttons.empty() ? m_buttonToPress : m_seen.buttons.front();
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(box, answer)));
            return;
        }
        Sleep(POLL_INTERVAL_MS);
    }
}
