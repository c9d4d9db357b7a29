#pragma once
// Dialog data exchange: DoDataExchange lists which control objects belong to which controls.

#include <windows.h>

class CWnd;

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
};

// Binds `control` to the dialog's control `controlId` on the first exchange: the control window
// is subclassed to the object. Later exchanges leave the binding as it is.
void DDX_Control(CDataExchange* pDX, int controlId, CWnd& control);
