#pragma once
// A kernel handle that our code owns and closes when it goes: files, events, threads, tokens,
// processes. Both null and INVALID_HANDLE_VALUE mean "none", since Windows answers a failed
// open with either, depending on the call. Device handles of the drive are not held here: they
// are opened and closed through the device seam.

#include <windows.h>

class ScopedHandle {
public:
    ScopedHandle() = default;
    explicit ScopedHandle(HANDLE handle) : m_handle(handle) {}
    ~ScopedHandle() { Reset(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ScopedHandle(ScopedHandle&& other) noexcept : m_handle(other.Release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        Reset(other.Release());
        return *this;
    }

    HANDLE Get() const { return m_handle; }
    bool IsValid() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }

    // Closes the handle held, if any, and holds `handle` instead.
    void Reset(HANDLE handle = nullptr) {
        if (IsValid())
            ::CloseHandle(m_handle);
        m_handle = handle;
    }
    // For calls that return a handle through a pointer; whatever was held is closed first.
    PHANDLE Receive() {
        Reset();
        return &m_handle;
    }
    // Gives the handle up without closing it.
    HANDLE Release() {
        HANDLE handle = m_handle;
        m_handle = nullptr;
        return handle;
    }

private:
    HANDLE m_handle = nullptr;
};
