#include "framework/cwnd.h"

#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "framework/cwinapp.h"

IMPLEMENT_DYNAMIC(CWnd, CObject)

namespace {

// Windows whose messages go through an object, and plain wrappers handed out by FromHandle.
struct HandleMaps {
    std::mutex lock;
    std::map<HWND, CWnd*> attached;
    std::map<HWND, std::unique_ptr<CWnd>> wrappers;
};

HandleMaps& Maps() {
    static HandleMaps maps;
    return maps;
}

// The message that the innermost window procedure of this thread is handling, for Default().
struct CurrentMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
thread_local CurrentMessage t_currentMessage = {};

thread_local CWnd* t_windowBeingCreated = nullptr;

LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && t_windowBeingCreated != nullptr) {
        CWnd* wnd = t_windowBeingCreated;
        t_windowBeingCreated = nullptr;
        wnd->SubclassWindow(reinterpret_cast<HWND>(wParam));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

const MessageMapEntry* FindEntry(const MessageMap* map, UINT message, WPARAM wParam) {
    for (; map != nullptr; map = map->baseMap ? map->baseMap() : nullptr) {
        for (const MessageMapEntry* entry = map->entries; entry->message != 0; ++entry) {
            if (entry->message != message)
                continue;
            if (message != WM_COMMAND ||
                (entry->notifyCode == HIWORD(wParam) && entry->controlId == LOWORD(wParam)))
                return entry;
        }
    }
    return nullptr;
}

} // namespace

LRESULT CALLBACK FrameworkWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
    if (wnd == nullptr)
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    CurrentMessage outer = t_currentMessage;
    t_currentMessage = {message, wParam, lParam};
    LRESULT result = wnd->WindowProc(message, wParam, lParam);
    t_currentMessage = outer;
    if (message == WM_NCDESTROY) {
        wnd->Detach();
        wnd->PostNcDestroy();
    }
    return result;
}

CWnd::~CWnd() {
    if (m_hWnd != nullptr && FromHandlePermanent(m_hWnd) == this)
        ::DestroyWindow(m_hWnd);
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
    std::lock_guard<std::mutex> guard(Maps().lock);
    auto found = Maps().attached.find(hwnd);
    return found == Maps().attached.end() ? nullptr : found->second;
}

CWnd* CWnd::FromHandle(HWND hwnd) {
    if (hwnd == nullptr)
        return nullptr;
    if (CWnd* attached = FromHandlePermanent(hwnd))
        return attached;
    std::lock_guard<std::mutex> guard(Maps().lock);
    std::unique_ptr<CWnd>& wrapper = Maps().wrappers[hwnd];
    if (!wrapper)
        wrapper.reset(new CWnd);
    wrapper->m_hWnd = hwnd;
    return wrapper.get();
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
    if (hwnd == nullptr || m_hWnd != nullptr)
        return FALSE;
    {
        std::lock_guard<std::mutex> guard(Maps().lock);
        Maps().attached[hwnd] = this;
    }
    m_hWnd = hwnd;
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FrameworkWindowProc)));
    return TRUE;
}

void CWnd::Detach() {
    SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    {
        std::lock_guard<std::mutex> guard(Maps().lock);
        Maps().attached.erase(m_hWnd);
    }
    CWinApp* app = AfxGetApp();
    if (app != nullptr && app->m_pMainWnd == this)
        app->m_pMainWnd = nullptr;
    m_hWnd = nullptr;
}

BOOL CWnd::DestroyWindow() {
    return m_hWnd != nullptr && ::DestroyWindow(m_hWnd);
}

BOOL CWnd::PreTranslateMessage(MSG*) {
    return FALSE;
}

const MessageMap* CWnd::GetThisMessageMap() {
    static const MessageMapEntry entries[] = {{0, 0, 0, nullptr}};
    static const MessageMap map = {nullptr, entries};
    return &map;
}

const MessageMap* CWnd::GetMessageMap() const {
    return GetThisMessageMap();
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const MessageMapEntry* entry = FindEntry(GetMessageMap(), message, wParam);
    if (entry == nullptr) {
        // A command no window handles goes to the application's command map.
        if (message == WM_COMMAND && HIWORD(wParam) == 0 && AfxGetApp() != nullptr &&
            AfxGetApp()->OnCommand(LOWORD(wParam))) {
            *result = 0;
            return TRUE;
        }
        return FALSE;
    }
    *result = entry->invoke(this, wParam, lParam);
    return TRUE;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper != nullptr)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    return DefWindowProc(t_currentMessage.message, t_currentMessage.wParam,
                         t_currentMessage.lParam);
}

int CWnd::MessageBox(LPCSTR text, LPCSTR caption, UINT type) {
    if (caption == nullptr && AfxGetApp() != nullptr)
        caption = AfxGetApp()->m_pszAppName;
    return ::MessageBoxA(m_hWnd, text, caption, type);
}

CMenu* CWnd::GetSystemMenu(BOOL revert) {
    m_systemMenu.m_hMenu = ::GetSystemMenu(m_hWnd, revert);
    return m_systemMenu.m_hMenu ? &m_systemMenu : nullptr;
}

HICON CWnd::SetIcon(HICON icon, BOOL bigIcon) {
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapseMs, TIMERPROC callback) {
    return ::SetTimer(m_hWnd, id, elapseMs, callback);
}

int CWnd::GetDlgItemText(int id, CString& text) const {
    HWND item = ::GetDlgItem(m_hWnd, id);
    if (item == nullptr) {
        text.Empty();
        return 0;
    }
    CWnd::FromHandle(item)->GetWindowText(text);
    return text.GetLength();
}

void CWnd::GetWindowText(CString& text) const {
    std::vector<char> buffer(static_cast<size_t>(::GetWindowTextLengthA(m_hWnd)) + 1, '\0');
    ::GetWindowTextA(m_hWnd, buffer.data(), static_cast<int>(buffer.size()));
    text = buffer.data();
}

void CWnd::OnSysCommand(UINT, LPARAM) {
    Default();
}
void CWnd::OnPaint() {
    Default();
}
HCURSOR CWnd::OnQueryDragIcon() {
    return reinterpret_cast<HCURSOR>(Default());
}
void CWnd::OnTimer(UINT_PTR) {
    Default();
}
BOOL CWnd::OnQueryEndSession() {
    return static_cast<BOOL>(Default());
}

WindowCreationScope::WindowCreationScope(CWnd* wnd)
    : m_hook(SetWindowsHookExA(WH_CBT, &CreationHook, nullptr, GetCurrentThreadId())) {
    t_windowBeingCreated = wnd;
}

WindowCreationScope::~WindowCreationScope() {
    t_windowBeingCreated = nullptr;
    if (m_hook != nullptr)
        UnhookWindowsHookEx(m_hook);
}

BOOL WalkPreTranslateTree(MSG* msg) {
    for (HWND hwnd = msg->hwnd; hwnd != nullptr;) {
        CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
        if (wnd != nullptr && wnd->PreTranslateMessage(msg))
            return TRUE;
        if ((GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD) == 0)
            break;
        hwnd = GetParent(hwnd);
    }
    return FALSE;
}
