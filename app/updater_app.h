#pragma once
// The application object: one copy of the updater at a time, administrators only, and the run
// mode the command line asks for: the interactive dialog, modal, or with "/au" the hidden
// automatic-mode dialog under the application's message loop, whose quit code is the exit code.

#include <windows.h>

#include "framework/cwinapp.h"

class CAutoDlg;

// The framework's Help command.
constexpr UINT ID_HELP = 0xE146;

class CUpdaterApp : public CWinApp {
public:
    CUpdaterApp();
    ~CUpdaterApp() override;

    BOOL InitInstance() override;
    // Destroys the automatic-mode dialog, closes the mapping; the exit code: 0 in interactive
    // mode and on every ending before a dialog, the quit code in automatic mode.
    int ExitInstance() override;

    // The instance mapping this process created; 0 until then, and 0 when another instance had
    // made it.
    HANDLE m_hMapping;

protected:
    BOOL OnCommand(UINT id) override;

private:
    void RunInteractiveMode();
    void StartAutomaticMode();

    CAutoDlg* m_pAutoDlg = nullptr;
    bool m_bInteractive = false;
};
