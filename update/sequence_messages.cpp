#include "sequence_messages.h"

#include <string>

#include "drive/sense.h"
#include "framework/cstring.h"
#include "framework/cwnd.h"
#include "ui/res/resource.h"

namespace {

void ShowError(CWnd* dialog, const CString& text) {
    CString caption;
    caption.LoadString(IDS_APP_CAPTION);
    dialog->MessageBox(text, caption, MB_OK | MB_ICONERROR);
}

} // namespace

void ShowCommandError(CWnd* dialog) {
    std::string report;
    FormatCommandReport(report);
    CString text;
    text.LoadString(IDS_COMMAND_ERROR_STOPPED);
    text += "\r\n";
    text += report.c_str();
    ShowError(dialog, text);
}

void ShowIncompatibleImage(CWnd* dialog) {
    CString text;
    text.LoadString(IDS_INCOMPATIBLE_FIRMWARE);
    ShowError(dialog, text);
}

void ShowFileOpenError(CWnd* dialog, const char* path) {
    CString text;
    text.LoadString(IDS_FILE_OPEN_ERROR);
    text += path;
    ShowError(dialog, text);
}
