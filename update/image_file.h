#pragma once
// An image file opened for one read pass: no sharing (no other program may change it while the
// drive takes it), existing files only, closed when the object goes.

#include <windows.h>

#include <cstdint>

#include "framework/scoped_handle.h"

class ImageFile {
public:
    explicit ImageFile(const char* path)
        : m_handle(CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                               nullptr)) {}

    bool IsOpen() const { return m_handle.IsValid(); }

    // The file's size; 0 when it cannot be told.
    uint32_t Size() const {
        DWORD high = 0;
        DWORD low = GetFileSize(m_handle.Get(), &high);
        return low == INVALID_FILE_SIZE || high != 0 ? 0 : low;
    }

    // Reads the next length bytes into buffer; false unless all of them came.
    bool ReadNext(uint8_t* buffer, DWORD length) {
        DWORD read = 0;
        return ReadFile(m_handle.Get(), buffer, length, &read, nullptr) && read == length;
    }

    // Reads length bytes at offset into text and ends them with a NUL (text holds length + 1).
    void ReadText(uint32_t offset, char* text, DWORD length) {
        DWORD read = 0;
        if (SetFilePointer(m_handle.Get(), offset, nullptr, FILE_BEGIN) ==
                INVALID_SET_FILE_POINTER ||
            !ReadFile(m_handle.Get(), text, length, &read, nullptr))
            read = 0;
        text[read] = '\0';
    }

private:
    ScopedHandle m_handle;
};
