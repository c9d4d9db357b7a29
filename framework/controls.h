#pragma once
// The common controls that the dialogs bind with DDX_Control.

#include <windows.h>
#include <commctrl.h>

#include "framework/cwnd.h"

class CComboBox : public CWnd {
    DECLARE_DYNAMIC(CComboBox)
public:
    int AddString(LPCSTR text) { return Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)); }
    int InsertString(int index, LPCSTR text) {
        return Send(CB_INSERTSTRING, index, reinterpret_cast<LPARAM>(text));
    }
    int DeleteString(int index) { return Send(CB_DELETESTRING, index, 0); }
    void ResetContent() { Send(CB_RESETCONTENT, 0, 0); }
    int GetCount() { return Send(CB_GETCOUNT, 0, 0); }
    int GetCurSel() { return Send(CB_GETCURSEL, 0, 0); }
    int SetCurSel(int index) { return Send(CB_SETCURSEL, index, 0); }
    int GetLBTextLen(int index) { return Send(CB_GETLBTEXTLEN, index, 0); }
    void GetLBText(int index, CString& text);

private:
    int Send(UINT message, WPARAM wParam, LPARAM lParam) {
        return static_cast<int>(SendMessage(message, wParam, lParam));
    }
};

class CProgressCtrl : public CWnd {
    DECLARE_DYNAMIC(CProgressCtrl)
public:
    void SetRange32(int lower, int upper) { SendMessage(PBM_SETRANGE32, lower, upper); }
    int SetPos(int position) { return static_cast<int>(SendMessage(PBM_SETPOS, position)); }
    int GetPos() { return static_cast<int>(SendMessage(PBM_GETPOS)); }
    int OffsetPos(int delta) { return static_cast<int>(SendMessage(PBM_DELTAPOS, delta)); }
    int SetStep(int step) { return static_cast<int>(SendMessage(PBM_SETSTEP, step)); }
    int StepIt() { return static_cast<int>(SendMessage(PBM_STEPIT)); }
    void GetRange(int& lower, int& upper);
};
