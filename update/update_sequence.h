#pragma once
// The firmware update of one drive, run by OP_UPDATE on the worker thread: checks the images
// against the drive, ejects any disc, unlocks the download mode and sends the sub image and the
// main image with WRITE BUFFER in 32 KiB chunks. `dialog` is the dialog of the run mode: it owns
// the sequence's message boxes (error icon) and receives NOTIFY_OPEN_PROGRESS before the main
// image goes. Each routine returns 1 for success, 0 for failure.

class CWnd;

int RunUpdateSequence(CWnd* dialog);

// The drive's identification against the main image header: 1 when they match.
int CheckImageCompatibility(CWnd* dialog);

// Both image files can be opened and hold a whole image: 1 when they do.
int CheckImageFiles(CWnd* dialog);

// The download-state byte: -1 when READ BUFFER fails, 0 for a space (no unlock needed), else 1.
int ReadDownloadState();

// Sends the unlock list; the builder's result. Shows nothing.
int SendUnlock();

int DownloadSubImage(CWnd* dialog);
int DownloadMainImage(CWnd* dialog);
