#pragma once
// The top-level windows of a process, this one or a program under test, for the tests that find
// a dialog or a message box by what it is.

#include <windows.h>

#include <string>
#include <vector>

// In the order EnumWindows gives them, from the top of the Z order.
std::vector<HWND> TopLevelWindowsOf(DWORD process);

std::string ClassNameOf(HWND window);

// The window's direct children, in their order.
std::vector<HWND> ChildrenOf(HWND parent);

// A top-level dialog window of the process (class #32770) that holds a control of this id and is
// visible; null when there is none.
HWND VisibleDialogWithControl(DWORD process, int controlId);
