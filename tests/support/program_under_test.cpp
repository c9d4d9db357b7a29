#include "tests/support/program_under_test.h"

#include "tests/support/process_windows.h"

#include <cstring>

namespace {

constexpr DWORD POLL_MS = 10;

// This process's environment with the additions, as a block for CreateProcess.
std::vector<char> EnvironmentWith(const std::map<std::string, std::string>& additions) {
    std::map<std::string, std::string> variables;
    char* block = GetEnvironmentStringsA();
    for (const char* entry = block; *entry != '\0'; entry += std::strlen(entry) + 1) {
        const std::string text = entry;
        const size_t equals = text.find('=', 1);
        if (equals != std::string::npos)
            variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    FreeEnvironmentStringsA(block);
    for (const auto& [name, value] : additions)
        variables[name] = value;
    std::vector<char> result;
    for (const auto& [name, value] : variables) {
        const std::string entry = name + "=" + value;
        result.insert(result.end(), entry.begin(), entry.end());
        result.push_back('\0');
    }
    result.push_back('\0');
    return result;
}

} // namespace

ProgramUnderTest::ProgramUnderTest(const ProgramStart& start) {
    std::string commandLine = "\"" + start.program + "\"" + start.arguments;
    std::vector<char> environment = EnvironmentWith(start.environment);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const char* directory =
        start.currentDirectory.empty() ? nullptr : start.currentDirectory.c_str();
    const BOOL started =
        start.token != nullptr
            ? CreateProcessAsUserA(start.token, start.program.c_str(), &commandLine[0], nullptr,
                                   nullptr, FALSE, 0, environment.data(), directory, &startup,
                                   &process)
            : CreateProcessA(start.program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                             environment.data(), directory, &startup, &process);
    if (!started)
        return;
    m_process.Reset(process.hProcess);
    CloseHandle(process.hThread);
    m_processId = process.dwProcessId;
}

ProgramUnderTest::~ProgramUnderTest() {
    if (Running()) {
        TerminateProcess(m_process.Get(), 0xDEAD);
        WaitForSingleObject(m_process.Get(), 10000);
    }
}

std::optional<DWORD> ProgramUnderTest::WaitForExit(DWORD timeoutMs) {
    if (!Started() || WaitForSingleObject(m_process.Get(), timeoutMs) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    if (!GetExitCodeProcess(m_process.Get(), &code))
        return std::nullopt;
    return code;
}

bool ProgramUnderTest::Running() const {
    return Started() && WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT;
}

std::vector<TopWindow> ProgramUnderTest::Windows() const {
    std::vector<TopWindow> windows;
    for (HWND window : TopLevelWindowsOf(m_processId))
        windows.push_back(
            {window, ClassNameOf(window), WindowText(window), IsWindowVisible(window) != FALSE});
    return windows;
}

HWND ProgramUnderTest::WaitForWindow(const std::string& className, const std::string& caption,
                                     int controlId, bool mustBeVisible, DWORD timeoutMs) const {
    const DWORD start = GetTickCount();
    for (;;) {
        for (const TopWindow& window : Windows()) {
            if (window.className == className && window.caption == caption &&
                (window.visible || !mustBeVisible) &&
                GetDlgItem(window.window, controlId) != nullptr)
                return window.window;
        }
        if (GetTickCount() - start >= timeoutMs || !Running())
            return nullptr;
        Sleep(POLL_MS);
    }
}

std::string WindowText(HWND window) {
    char text[2048] = {};
    // WM_GETTEXT is carried across processes; GetWindowText would not ask another process's
    // control.
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 5000, nullptr);
    return text;
}

std::string ControlText(HWND dialog, int controlId) {
    return WindowText(GetDlgItem(dialog, controlId));
}

bool ControlEnabled(HWND dialog, int controlId) {
    return IsWindowEnabled(GetDlgItem(dialog, controlId)) != FALSE;
}

void ClickButton(HWND dialog, int controlId) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(controlId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, controlId)));
}

std::string ComboLine(HWND dialog, int controlId, int index) {
    char text[512] = {};
    // The wide call is carried across processes with its text; the ANSI one is not everywhere.
    wchar_t wide[512] = {};
    SendMessageW(GetDlgItem(dialog, controlId), CB_GETLBTEXT, index,
                 reinterpret_cast<LPARAM>(wide));
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

int ComboCount(HWND dialog, int controlId) {
    return static_cast<int>(SendMessageA(GetDlgItem(dialog, controlId), CB_GETCOUNT, 0, 0));
}

ScopedHandle NonAdministratorToken() {
    ScopedHandle own;
    ScopedHandle restricted;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY | TOKEN_QUERY,
                          own.Receive()))
        return restricted;
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &administrators))
        return restricted;
    SID_AND_ATTRIBUTES denyOnly = {administrators, 0};
    CreateRestrictedToken(own.Get(), 0, 1, &denyOnly, 0, nullptr, 0, nullptr, restricted.Receive());
    FreeSid(administrators);
    return restricted;
}
