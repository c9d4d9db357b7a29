// Test support: raw access to the resources linked into the running test program.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace resources {

constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
constexpr LANGID kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

struct ResourceData {
    const uint8_t* bytes;
    DWORD size;
};

// The copy of one resource in exactly this language, or nothing.
std::optional<ResourceData> FindInLanguage(LPCWSTR type, WORD id, LANGID language);
// The copy that Windows' resource loader picks when a program asks by number alone.
std::optional<ResourceData> FindAsLoaderChooses(LPCWSTR type, WORD id);
// The languages in which the resource exists, in ascending order.
std::vector<LANGID> LanguagesOf(LPCWSTR type, WORD id);

// The string table block that holds text `id` (16 texts per block).
WORD StringBlockOf(UINT id);
// Text `id` out of its block: the block holds 16 UTF-16 strings, each preceded by its length.
std::optional<std::wstring> TextFromBlock(const ResourceData& block, UINT id);

} // namespace resources
