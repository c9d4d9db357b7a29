#include "tests/support/test_folder.h"

#include <windows.h>

namespace {

std::string ProgramName() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name = path;
    size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos)
        name = name.substr(slash + 1);
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

void RemoveTreeW(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((L"\\\\?\\" + folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTreeW(path);
            else
                DeleteFileW((L"\\\\?\\" + path).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW((L"\\\\?\\" + folder).c_str());
}

// Made on first use and removed, with anything a test left in it, when the program ends.
class ProgramFolder {
public:
    ProgramFolder() {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        m_path = std::string(temp) + "kestran." + ProgramName() + "." +
                 std::to_string(GetCurrentProcessId());
        CreateDirectoryA(m_path.c_str(), nullptr);
    }
    ~ProgramFolder() { RemoveTreeW(std::wstring(m_path.begin(), m_path.end())); }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

} // namespace

std::string ProgramTempFolder() {
    static const ProgramFolder folder;
    return folder.Path();
}

void RemoveTree(const std::string& folder) {
    RemoveTreeW(std::wstring(folder.begin(), folder.end()));
}

TestFolder::TestFolder(const std::string& name) : m_path(ProgramTempFolder() + "\\" + name) {
    CreateDirectoryA(m_path.c_str(), nullptr);
}

TestFolder::~TestFolder() {
    RemoveTree(m_path);
}

ScopedCurrentDirectory::ScopedCurrentDirectory(const std::string& folder) {
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previous);
    m_previous = previous;
    m_entered = SetCurrentDirectoryA(folder.c_str()) != 0;
}

ScopedCurrentDirectory::~ScopedCurrentDirectory() {
    SetCurrentDirectoryA(m_previous.c_str());
}
