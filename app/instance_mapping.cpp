#include "instance_mapping.h"

#include <cstdint>
#include <cstring>

namespace {
constexpr DWORD PUBLISHED_HANDLE_SIZE = 4;
} // namespace

HANDLE CreateInstanceMapping(bool& alreadyExists) {
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        INSTANCE_MAPPING_SIZE, INSTANCE_MAPPING_NAME);
    alreadyExists = mapping != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
    return mapping;
}

bool BringRunningInstanceForward(HANDLE mapping) {
    void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    if (view == nullptr)
        return false;
    uint32_t published = 0;
    std::memcpy(&published, view, sizeof published);
    UnmapViewOfFile(view);
    HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(published));
    if (IsWindow(window))
        SetForegroundWindow(window);
    return true;
}

void PublishWindow(HANDLE mapping, HWND window) {
    if (mapping == nullptr || window == nullptr)
        return;
    void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0);
    if (view == nullptr)
        return;
    const uint32_t handle = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
    std::memcpy(view, &handle, sizeof handle);
    FlushViewOfFile(view, PUBLISHED_HANDLE_SIZE);
    UnmapViewOfFile(view);
}
