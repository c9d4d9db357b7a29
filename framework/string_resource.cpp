#include "framework/string_resource.h"

#include <cstdlib>

bool FindStringInBlock(const void* block, DWORD blockBytes, UINT index, std::wstring* text) {
    const WORD* walk = static_cast<const WORD*>(block);
    const WORD* end = walk + blockBytes / sizeof(WORD);
    for (UINT entry = 0; walk < end; ++entry) {
        WORD length = *walk++;
        if (length > end - walk)
            return false;
        if (entry == index) {
            if (length == 0)
                return false;
            text->assign(reinterpret_cast<const wchar_t*>(walk), length);
            return true;
        }
        walk += length;
    }
    return false;
}

bool ReadStringResource(HINSTANCE module, UINT id, std::wstring* text) {
    HRSRC found =
        FindResourceA(module, MAKEINTRESOURCEA(id / STRINGS_PER_BLOCK + 1), MAKEINTRESOURCEA(6));
    if (found == nullptr)
        return false;
    HGLOBAL loaded = LoadResource(module, found);
    const void* block = loaded ? LockResource(loaded) : nullptr;
    if (block == nullptr)
        return false;
    return FindStringInBlock(block, SizeofResource(module, found), id % STRINGS_PER_BLOCK, text);
}

UINT ResourceTextCodePage(const OSVERSIONINFOA& version, LCID threadLocale) {
    if (version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 5)
        return CP_THREAD_ACP;
    char digits[8] = {};
    if (GetLocaleInfoA(threadLocale, LOCALE_IDEFAULTANSICODEPAGE, digits, sizeof digits) > 0) {
        UINT codePage = static_cast<UINT>(std::strtoul(digits, nullptr, 10));
        if (codePage != 0)
            return codePage;
    }
    return GetACP();
}

UINT ResourceTextCodePage() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    return ResourceTextCodePage(version, GetThreadLocale());
}

std::string ToResourceCodePage(const std::wstring& text, UINT codePage) {
    int wideLength = static_cast<int>(text.size());
    int length =
        WideCharToMultiByte(codePage, 0, text.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string converted(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) {
        WideCharToMultiByte(codePage, 0, text.data(), wideLength, &converted[0], length, nullptr,
                            nullptr);
    }
    return converted;
}
