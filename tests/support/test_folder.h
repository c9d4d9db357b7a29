#pragma once
// Temporary folders of a test program. Each lies under a folder of its own for this program and
// this process (%TEMP%\kestran.<program>.<process id>\), so that test programs running side by
// side never share a file, and is removed with everything in it when the object goes.

#include <string>

class TestFolder {
public:
    explicit TestFolder(const std::string& name);
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    // The folder's full path, without a trailing separator.
    const std::string& Path() const { return m_path; }
    // The full path of a file in the folder.
    std::string File(const std::string& name) const { return m_path + "\\" + name; }

private:
    std::string m_path;
};

// Makes a folder the current directory while the object lives, then returns to the one before.
class ScopedCurrentDirectory {
public:
    explicit ScopedCurrentDirectory(const std::string& folder);
    ~ScopedCurrentDirectory();
    ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
    ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;

    // Whether the folder became the current directory.
    bool Entered() const { return m_entered; }

private:
    std::string m_previous;
    bool m_entered;
};

// This program's and this process's own folder under %TEMP%, created on first use.
std::string ProgramTempFolder();

// Removes a folder with everything below it; also folders whose paths exceed MAX_PATH.
void RemoveTree(const std::string& folder);
