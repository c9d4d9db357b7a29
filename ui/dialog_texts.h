#pragma once
// The dialogs' message boxes: owned by the dialog, the text from the string table (with an
// optional detail after it), the caption "firmware updater".

#include <windows.h>

class CWnd;

int ShowText(CWnd& owner, UINT textId, UINT type, const char* detail = "");
