#include "framework/cwinapp.h"

IMPLEMENT_DYNAMIC(CWinApp, CObject)

namespace {

CWinApp* g_pApp = nullptr;
thread_local MSG t_lastPumpedMessage = {};

std::string ProgramFileTitle() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string title(path);
    size_t slash = title.find_last_of("\\/");
    if (slash != std::string::npos)
        title.erase(0, slash + 1);
    size_t dot = title.find_last_of('.');
    if (dot != std::string::npos)
        title.erase(dot);
    return title;
}

} // namespace

CWinApp::CWinApp(LPCSTR appName)
    : m_hInstance(GetModuleHandleA(nullptr)), m_appName(appName ? appName : ProgramFileTitle()) {
    m_pszAppName = m_appName.c_str();
    g_pApp = this;
}

CWinApp::~CWinApp() {
    if (g_pApp == this)
        g_pApp = nullptr;
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::Run() {
    while (AfxPumpMessage()) {
    }
    return ExitInstance();
}

BOOL CWinApp::OnCommand(UINT) {
    return FALSE;
}

int CWinApp::ExitInstance() {
    return static_cast<int>(AfxGetLastPumpedMessage().wParam);
}

CWinApp* AfxGetApp() {
    return g_pApp;
}

CWnd* AfxGetMainWnd() {
    return g_pApp ? g_pApp->m_pMainWnd : nullptr;
}

HINSTANCE AfxGetResourceHandle() {
    return GetModuleHandleA(nullptr);
}

int AfxWinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr)
        return -1;
    app->m_hInstance = instance;
    app->m_lpCmdLine = commandLine;
    app->m_nCmdShow = showCommand;
    // A run's exit code must not come from a message an earlier run in this thread retrieved.
    t_lastPumpedMessage = {};
    if (!app->InitInstance())
        return app->ExitInstance();
    return app->Run();
}

BOOL AfxPumpMessage() {
    MSG msg = {};
    if (GetMessageA(&msg, nullptr, 0, 0) <= 0) {
        t_lastPumpedMessage = msg;
        return FALSE;
    }
    t_lastPumpedMessage = msg;
    if (!WalkPreTranslateTree(&msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return TRUE;
}

const MSG& AfxGetLastPumpedMessage() {
    return t_lastPumpedMessage;
}
