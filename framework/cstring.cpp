#include "framework/cstring.h"

#include <cstdarg>
#include <cstdio>

#include "framework/cwinapp.h"
#include "framework/string_resource.h"

CString& CString::operator=(LPCSTR text) {
    m_text = text ? text : "";
    return *this;
}

CString& CString::operator+=(LPCSTR text) {
    if (text)
        m_text += text;
    return *this;
}

CString operator+(const CString& left, LPCSTR right) {
    CString joined(left);
    joined += right;
    return joined;
}

BOOL CString::LoadString(UINT id) {
    std::wstring text;
    if (!ReadStringResource(AfxGetResourceHandle(), id, &text)) {
        m_text.clear();
        return FALSE;
    }
    m_text = ToResourceCodePage(text, ResourceTextCodePage());
    return TRUE;
}

void CString::Format(LPCSTR format, ...) {
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length < 0) {
        m_text.clear();
    } else {
        m_text.assign(static_cast<size_t>(length) + 1, '\0');
        std::vsnprintf(&m_text[0], m_text.size(), format, args);
        m_text.resize(static_cast<size_t>(length));
    }
    va_end(args);
}
