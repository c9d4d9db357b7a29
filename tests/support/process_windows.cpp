#include "tests/support/process_windows.h"

namespace {

constexpr char DIALOG_CLASS[] = "#32770";

struct WindowSearch {
    DWORD process;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindowOfProcess(HWND window, LPARAM search) {
    WindowSearch& wanted = *reinterpret_cast<WindowSearch*>(search);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == wanted.process)
        wanted.found.push_back(window);
    return TRUE;
}

} // namespace

std::vector<HWND> TopLevelWindowsOf(DWORD process) {
    WindowSearch search{process, {}};
    EnumWindows(&CollectWindowOfProcess, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string ClassNameOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::vector<HWND> ChildrenOf(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

HWND VisibleDialogWithControl(DWORD process, int controlId) {
    for (HWND window : TopLevelWindowsOf(process)) {
        if (ClassNameOf(window) == DIALOG_CLASS && IsWindowVisible(window) &&
            GetDlgItem(window, controlId) != nullptr)
            return window;
    }
    return nullptr;
}
