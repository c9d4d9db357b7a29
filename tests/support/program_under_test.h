#pragma once
// A program started as its own process, as a user or an installer starts it, and watched from
// outside: its windows, their controls, its end and its exit code.

#include <windows.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "framework/scoped_handle.h"
#include "tests/support/wait_until.h"

struct ProgramStart {
    std::string program;   // the exe's full path
    std::string arguments; // appended to the quoted program path as they stand (no space added)
    std::string currentDirectory;
    std::map<std::string, std::string> environment; // set for the child on top of this process's
    HANDLE token = nullptr; // run under this token; null: this process's own
};

struct TopWindow {
    HWND window;
    std::string className;
    std::string caption;
    bool visible;
};

class ProgramUnderTest {
public:
    explicit ProgramUnderTest(const ProgramStart& start);
    // Ends the program if it still runs: a test that failed must not leave it behind.
    ~ProgramUnderTest();
    ProgramUnderTest(const ProgramUnderTest&) = delete;
    ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;

    bool Started() const { return m_process.IsValid(); }
    DWORD ProcessId() const { return m_processId; }
    // The exit code once the program has ended within timeoutMs; nothing otherwise.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs = 60000);
    bool Running() const;

    std::vector<TopWindow> Windows() const;
    // The program's first top-level window of this class and caption that holds a control of
    // this id (its message boxes share the dialog's caption and class), visible when asked, once
    // it exists; null when none came within timeoutMs.
    HWND WaitForWindow(const std::string& className, const std::string& caption, int controlId,
                       bool mustBeVisible = true, DWORD timeoutMs = 30000) const;

private:
    ScopedHandle m_process;
    DWORD m_processId = 0;
};

// Reading and working another process's controls.
std::string WindowText(HWND window);
std::string ControlText(HWND dialog, int controlId);
bool ControlEnabled(HWND dialog, int controlId);
void ClickButton(HWND dialog, int controlId);
// The text of line `index` of a combo box in another process.
std::string ComboLine(HWND dialog, int controlId, int index);
int ComboCount(HWND dialog, int controlId);

// A token like this process's in which the Administrators group counts for nothing (deny-only):
// a program started under it is not an administrator.
ScopedHandle NonAdministratorToken();
