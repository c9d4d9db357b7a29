#include "framework/controls.h"

#include <vector>

IMPLEMENT_DYNAMIC(CComboBox, CWnd)
IMPLEMENT_DYNAMIC(CProgressCtrl, CWnd)

void CComboBox::GetLBText(int index, CString& text) {
    int length = GetLBTextLen(index);
    if (length == CB_ERR) {
        text.Empty();
        return;
    }
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    Send(CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buffer.data()));
    text = buffer.data();
}

void CProgressCtrl::GetRange(int& lower, int& upper) {
    PBRANGE range = {};
    SendMessage(PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
    lower = range.iLow;
    upper = range.iHigh;
}
