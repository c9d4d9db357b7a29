#pragma once
// The application: one object per process. AfxWinMain calls InitInstance; when it returns TRUE,
// Run pumps messages until WM_QUIT; ExitInstance runs in both cases and its result is the
// process exit code.

#include <windows.h>
#include <string>

#include "framework/cwnd.h"

class CWinApp : public CObject {
    DECLARE_DYNAMIC(CWinApp)
public:
    // Without a name the application is named after its program file.
    explicit CWinApp(LPCSTR appName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();
    // Pumps messages until WM_QUIT, then returns ExitInstance().
    virtual int Run();
    // Returns the wParam of the last message this thread's pump retrieved: after Run, the code
    // of the quit message; 0 when the pump has retrieved nothing since AfxWinMain began.
    virtual int ExitInstance();

    // A command (WM_COMMAND with notification code 0) that no window's message map handled is
    // offered to the application; TRUE when it handled it.
    virtual BOOL OnCommand(UINT id);
    // The framework's Help command. The updater has no help file, so it shows nothing.
    void OnHelp() {}

    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
    LPSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    LPCSTR m_pszAppName = nullptr;

private:
    std::string m_appName;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// The module whose resources the program uses: the program file.
HINSTANCE AfxGetResourceHandle();

// The program's entry into the application object; a WinMain returns its result.
int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);

// Retrieves one message, offers it to PreTranslateMessage of its window's objects and otherwise
// dispatches it; FALSE when the message was WM_QUIT.
BOOL AfxPumpMessage();
const MSG& AfxGetLastPumpedMessage();
