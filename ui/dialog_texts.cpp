#include "dialog_texts.h"

#include "framework/cwnd.h"
#include "ui/res/resource.h"

int ShowText(CWnd& owner, UINT textId, UINT type, const char* detail) {
    CString text;
    text.LoadString(textId);
    text += detail;
    CString caption;
    caption.LoadString(IDS_APP_CAPTION);
    return owner.MessageBox(text, caption, type);
}
