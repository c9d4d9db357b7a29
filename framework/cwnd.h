#pragma once
// A window object: our objects attach to their windows by subclassing them, so that every
// message first reaches OnWndMsg and the class's message map, and only then the window's own
// (default) procedure. All windows live on the thread that creates them.

#include <windows.h>

#include "framework/cmenu.h"
#include "framework/cstring.h"
#include "framework/message_map.h"
#include "framework/runtime_class.h"

class CWnd : public CObject {
    DECLARE_DYNAMIC(CWnd)
public:
    CWnd() = default;
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return GetSafeHwnd(); }

    // The object attached to hwnd, or nullptr.
    static CWnd* FromHandlePermanent(HWND hwnd);
    // The attached object, or a plain wrapper of the handle that lives as long as the process.
    static CWnd* FromHandle(HWND hwnd);

    // Attaches this object to an existing window and routes its messages through this object.
    BOOL SubclassWindow(HWND hwnd);
    virtual BOOL DestroyWindow();

    // Called for every message that the message loops retrieve for this window or its children
    // before it is dispatched; TRUE means it has been handled.
    virtual BOOL PreTranslateMessage(MSG* msg);
    // Handles a message through the message map; TRUE with *result set when handled.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The window's own procedure (the one it had before this object attached).
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // DefWindowProc for the message being handled.
    LRESULT Default();

    // Helpers over the window's Win32 calls.
    int MessageBox(LPCSTR text, LPCSTR caption = nullptr, UINT type = MB_OK);
    CMenu* GetSystemMenu(BOOL revert);
    HICON SetIcon(HICON icon, BOOL bigIcon);
    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs, TIMERPROC callback = nullptr);
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL ShowWindow(int showCommand) { return ::ShowWindow(m_hWnd, showCommand); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    void GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }
    CWnd* GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }
    void SetDlgItemText(int id, LPCSTR text) { ::SetDlgItemTextA(m_hWnd, id, text); }
    int GetDlgItemText(int id, CString& text) const;
    void SetWindowText(LPCSTR text) { ::SetWindowTextA(m_hWnd, text); }
    void GetWindowText(CString& text) const;
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::PostMessageA(m_hWnd, message, wParam, lParam);
    }

protected:
    static const MessageMap* GetThisMessageMap();
    virtual const MessageMap* GetMessageMap() const;
    // Called after the window's last message; the object is detached by then.
    virtual void PostNcDestroy() {}

    // Default handlers of the message-map entries: the window's own procedure.
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnTimer(UINT_PTR nIDEvent);
    BOOL OnQueryEndSession();

private:
    friend LRESULT CALLBACK FrameworkWindowProc(HWND, UINT, WPARAM, LPARAM);
    void Detach();

    WNDPROC m_pfnSuper = nullptr;
    CMenu m_systemMenu;
};

// The object waiting for the next window its thread creates: it subclasses that window before
// the window's first message. One creation at a time per thread.
class WindowCreationScope {
public:
    explicit WindowCreationScope(CWnd* wnd);
    ~WindowCreationScope();
    WindowCreationScope(const WindowCreationScope&) = delete;
    WindowCreationScope& operator=(const WindowCreationScope&) = delete;

private:
    HHOOK m_hook;
};

// Offers msg to PreTranslateMessage of its window's object and of the objects of the window's
// parents, innermost first; TRUE when one of them handled it.
BOOL WalkPreTranslateTree(MSG* msg);
