#include "tests/support/child_process.h"

#include "framework/scoped_handle.h"

std::optional<DWORD> RunChildToEnd(const std::string& commandLine, const ChildOptions& options) {
    std::string command = commandLine;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const BOOL started =
        options.token != nullptr
            ? CreateProcessAsUserA(options.token, nullptr, &command[0], nullptr, nullptr, FALSE, 0,
                                   nullptr, options.currentDirectory, &startup, &process)
            : CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                             options.currentDirectory, &startup, &process);
    if (!started)
        return std::nullopt;
    ScopedHandle child(process.hProcess);
    CloseHandle(process.hThread);
    if (WaitForSingleObject(child.Get(), options.timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(child.Get(), 0xDEAD);
        WaitForSingleObject(child.Get(), options.timeoutMs);
        return std::nullopt;
    }
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(child.Get(), &exitCode))
        return std::nullopt;
    return exitCode;
}

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}
