#include "tests/ui/resource_data.h"

#include <algorithm>

namespace resources {
namespace {

std::optional<ResourceData> Load(HRSRC found) {
    if (found == nullptr) {
        return std::nullopt;
    }
    HGLOBAL loaded = LoadResource(nullptr, found);
    if (loaded == nullptr) {
        return std::nullopt;
    }
    return ResourceData{static_cast<const uint8_t*>(LockResource(loaded)),
                        SizeofResource(nullptr, found)};
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR list) {
    reinterpret_cast<std::vector<LANGID>*>(list)->push_back(language);
    return TRUE;
}

} // namespace

std::optional<ResourceData> FindInLanguage(LPCWSTR type, WORD id, LANGID language) {
    return Load(FindResourceExW(nullptr, type, MAKEINTRESOURCEW(id), language));
}

std::optional<ResourceData> FindAsLoaderChooses(LPCWSTR type, WORD id) {
    return Load(FindResourceW(nullptr, MAKEINTRESOURCEW(id), type));
}

std::vector<LANGID> LanguagesOf(LPCWSTR type, WORD id) {
    std::vector<LANGID> languages;
    EnumResourceLanguagesW(nullptr, type, MAKEINTRESOURCEW(id), CollectLanguage,
                           reinterpret_cast<LONG_PTR>(&languages));
    std::sort(languages.begin(), languages.end());
    return languages;
}

WORD StringBlockOf(UINT id) {
    return static_cast<WORD>(id / 16 + 1);
}

std::optional<std::wstring> TextFromBlock(const ResourceData& block, UINT id) {
    const uint8_t* at = block.bytes;
    const uint8_t* end = block.bytes + block.size;
    for (UINT index = 0; index < 16; ++index) {
        if (end - at < 2) {
            return std::nullopt;
        }
        const WORD length = *reinterpret_cast<const WORD*>(at);
        at += 2;
        if (static_cast<size_t>(end - at) < length * sizeof(wchar_t)) {
            return std::nullopt;
        }
        if (index == id % 16) {
            return std::wstring(reinterpret_cast<const wchar_t*>(at), length);
        }
        at += length * sizeof(wchar_t);
    }
    return std::nullopt;
}

} // namespace resources
