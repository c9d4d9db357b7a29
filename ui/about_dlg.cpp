#include "about_dlg.h"

#include "ui/res/resource.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUT_BOX, nullptr) {}
