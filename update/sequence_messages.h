#pragma once
// The message boxes of the update sequence, all owned by the dialog of the run mode, with the
// updater's caption and the error icon.

class CWnd;

// "command error occured" and the report of the command that just failed. Call it before any
// further command: the report reads the transport's request block.
void ShowCommandError(CWnd* dialog);

void ShowIncompatibleImage(CWnd* dialog);

// The file-open error text immediately followed by the path.
void ShowFileOpenError(CWnd* dialog, const char* path);
