#pragma once
// The program's 8-bit string: loaded from the string table by number, formatted as printf does,
// and handed to Win32 calls as a C string.

#include <windows.h>
#include <string>

class CString {
public:
    CString() = default;
    CString(LPCSTR text) : m_text(text ? text : "") {}
    CString(const std::string& text) : m_text(text) {}

    operator LPCSTR() const { return m_text.c_str(); }
    int GetLength() const { return static_cast<int>(m_text.size()); }
    BOOL IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }
    const std::string& str() const { return m_text; }

    CString& operator=(LPCSTR text);
    CString& operator+=(LPCSTR text);
    friend CString operator+(const CString& left, LPCSTR right);
    friend bool operator==(const CString& left, LPCSTR right) { return left.m_text == right; }
    friend bool operator!=(const CString& left, LPCSTR right) { return left.m_text != right; }

    // Replaces the text with string `id` of the program's resources; FALSE (and empty) when
    // there is none. (windows.h names this member LoadStringA.)
    BOOL LoadString(UINT id);

    void Format(LPCSTR format, ...) __attribute__((format(__MINGW_PRINTF_FORMAT, 2, 3)));

private:
    std::string m_text;
};
