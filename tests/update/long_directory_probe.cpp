// Makes a current directory of the length given on the command line and reports what
// LocateMainImage makes of it: the exit code is the length of the path it formed, times two, plus
// its result. Wine cannot tear a process down cleanly after such a directory was current, so the
// probe ends itself with TerminateProcess once it has its answer.

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "update/image_files.h"

namespace {

// Creates each level of path under the long-path prefix; false when a level cannot be made.
bool MakeDirectoryChain(const std::wstring& root, size_t length, std::wstring& path) {
    path = root;
    if (!CreateDirectoryW((L"\\\\?\\" + path).c_str(), nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    while (path.size() < length) {
        size_t step = std::min<size_t>(200, length - path.size() - 1);
        path += L"\\" + std::wstring(std::max<size_t>(step, 1), L'd');
        if (!CreateDirectoryW((L"\\\\?\\" + path).c_str(), nullptr) &&
            GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return path.size() == length;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3)
        return 255;
    size_t length = std::strtoul(argv[2], nullptr, 10);
    std::string root = argv[1];
    std::wstring path;
    if (!MakeDirectoryChain(std::wstring(root.begin(), root.end()), length, path) ||
        !SetCurrentDirectoryW(path.c_str()))
        return 254;
    char imagePath[IMAGE_PATH_BUFFER_SIZE];
    int found = LocateMainImage(imagePath);
    TerminateProcess(GetCurrentProcess(), UINT(std::strlen(imagePath) * 2 + found));
    return 253;
}
