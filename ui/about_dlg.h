#pragma once
// The version box (template 100), opened from the interactive dialog's system menu; its OK
// button ends it through the framework.

#include "framework/cdialog.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();
};
