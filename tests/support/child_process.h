#pragma once
// Test programs that need a process of their own (a probe, the program under test) start it
// here and wait for its end, bounded, reading its exit code.

#include <windows.h>

#include <optional>
#include <string>

struct ChildOptions {
    HANDLE token = nullptr;                 // run under this token; null: this process's own
    const char* currentDirectory = nullptr; // null: this process's current directory
    DWORD timeoutMs = 60000;                // the child is ended when it runs longer
};

// The child's exit code, or nothing when it could not be started or did not end in time (it is
// then terminated).
std::optional<DWORD> RunChildToEnd(const std::string& commandLine,
                                   const ChildOptions& options = {});

// The folder of this test program's exe, with a trailing separator: helper programs are built
// beside it.
std::string ProgramFolder();
