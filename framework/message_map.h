#pragma once
// Message maps: each window class lists the messages it handles; a message that a class's map
// lacks is looked up in its base class's map, and finally goes to the window's default
// procedure. A handler's result is the result of the window procedure, so a sender of the
// message sees it.
//
//   DECLARE_MESSAGE_MAP() in the class; in its source file:
//   BEGIN_MESSAGE_MAP(CMyDlg, CDialog)
//       ON_WM_TIMER()
//       ON_BN_CLICKED(IDC_START, &CMyDlg::OnBnClickedStart)
//       ON_MESSAGE(WM_MY_NOTIFY, &CMyDlg::OnMyNotify)
//   END_MESSAGE_MAP()

#include <windows.h>

class CWnd;

using MessageHandlerInvoker = LRESULT (*)(CWnd* target, WPARAM wParam, LPARAM lParam);

struct MessageMapEntry {
    UINT message;    // 0 ends the map
    UINT notifyCode; // WM_COMMAND entries: the notification code (HIWORD of wParam)
    UINT controlId;  // WM_COMMAND entries: the control or command id (LOWORD of wParam)
    MessageHandlerInvoker invoke;
};

struct MessageMap {
    const MessageMap* (*baseMap)(); // nullptr for the root of the hierarchy
    const MessageMapEntry* entries;
};

#define DECLARE_MESSAGE_MAP()                                                                      \
protected:                                                                                         \
    static const MessageMap* GetThisMessageMap();                                                  \
    const MessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const MessageMap* theClass::GetMessageMap() const {                                            \
        return GetThisMessageMap();                                                                \
    }                                                                                              \
    const MessageMap* theClass::GetThisMessageMap() {                                              \
        using ThisClass = theClass;                                                                \
        using TheBaseClass = baseClass;                                                            \
        static_assert(sizeof(ThisClass) > 0, "complete class");                                    \
        static const MessageMapEntry entries[] = {

#define END_MESSAGE_MAP()                                                                          \
    { 0, 0, 0, nullptr }                                                                           \
    }                                                                                              \
    ;                                                                                              \
    static const MessageMap map = {&TheBaseClass::GetThisMessageMap, entries};                     \
    return &map;                                                                                   \
    }

#define FRAMEWORK_THIS(target) static_cast<ThisClass*>(target)

// void OnSysCommand(UINT nID, LPARAM lParam)
#define ON_WM_SYSCOMMAND()                                                                         \
    {WM_SYSCOMMAND, 0, 0, [](CWnd* target, WPARAM wParam, LPARAM lParam) -> LRESULT {              \
         FRAMEWORK_THIS(target)->OnSysCommand(static_cast<UINT>(wParam), lParam);                  \
         return 0;                                                                                 \
     }},

// void OnPaint()
#define ON_WM_PAINT()                                                                              \
    {WM_PAINT, 0, 0, [](CWnd* target, WPARAM, LPARAM) -> LRESULT {                                 \
         FRAMEWORK_THIS(target)->OnPaint();                                                        \
         return 0;                                                                                 \
     }},

// HCURSOR OnQueryDragIcon()
#define ON_WM_QUERYDRAGICON()                                                                      \
    {WM_QUERYDRAGICON, 0, 0, [](CWnd* target, WPARAM, LPARAM) -> LRESULT {                         \
         return reinterpret_cast<LRESULT>(FRAMEWORK_THIS(target)->OnQueryDragIcon());              \
     }},

// void OnTimer(UINT_PTR nIDEvent)
#define ON_WM_TIMER()                                                                              \
    {WM_TIMER, 0, 0, [](CWnd* target, WPARAM wParam, LPARAM) -> LRESULT {                          \
         FRAMEWORK_THIS(target)->OnTimer(static_cast<UINT_PTR>(wParam));                           \
         return 0;                                                                                 \
     }},

// BOOL OnQueryEndSession(): TRUE lets the session end.
#define ON_WM_QUERYENDSESSION()                                                                    \
    {WM_QUERYENDSESSION, 0, 0, [](CWnd* target, WPARAM, LPARAM) -> LRESULT {                       \
         return FRAMEWORK_THIS(target)->OnQueryEndSession();                                       \
     }},

// LRESULT (Class::*handler)(WPARAM, LPARAM)
#define ON_MESSAGE(message, handler)                                                               \
    {message, 0, 0, [](CWnd* target, WPARAM wParam, LPARAM lParam) -> LRESULT {                    \
         LRESULT (ThisClass::*method)(WPARAM, LPARAM) = handler;                                   \
         return (FRAMEWORK_THIS(target)->*method)(wParam, lParam);                                 \
     }},

// void (Class::*handler)() for WM_COMMAND with the given notification code and id.
#define ON_CONTROL(notifyCode, id, handler)                                                        \
    {WM_COMMAND, notifyCode, id, [](CWnd* target, WPARAM, LPARAM) -> LRESULT {                     \
         void (ThisClass::*method)() = handler;                                                    \
         (FRAMEWORK_THIS(target)->*method)();                                                      \
         return 0;                                                                                 \
     }},

#define ON_COMMAND(id, handler) ON_CONTROL(0, id, handler)
#define ON_BN_CLICKED(id, handler) ON_CONTROL(BN_CLICKED, id, handler)
#define ON_CBN_SELCHANGE(id, handler) ON_CONTROL(CBN_SELCHANGE, id, handler)
