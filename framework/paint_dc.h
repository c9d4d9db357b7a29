#pragma once
// The device context of one WM_PAINT: BeginPaint on construction, EndPaint on destruction.

#include <windows.h>

#include "framework/cwnd.h"

class CPaintDC {
public:
    explicit CPaintDC(CWnd* wnd) : m_hWnd(wnd->m_hWnd) { m_hDC = ::BeginPaint(m_hWnd, &m_ps); }
    ~CPaintDC() { ::EndPaint(m_hWnd, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    HDC GetSafeHdc() const { return m_hDC; }
    BOOL DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(m_hDC, x, y, icon); }

    HWND m_hWnd;
    PAINTSTRUCT m_ps = {};
    HDC m_hDC = nullptr;
};
