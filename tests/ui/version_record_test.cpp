#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/ui/resource_data.h"
#include "tests/ui/version_record.h"

namespace {

using resources::kEnglish;
using resources::kJapanese;
using resources::VersionNode;

struct Copy {
    const char* name;
    LANGID language;
};

const Copy kCopies[] = {{"English copy", kEnglish}, {"Japanese copy", kJapanese}};

VersionNode RecordIn(LANGID language) {
    const auto data = resources::FindInLanguage(RT_VERSION, VS_VERSION_INFO, language);
    if (!data) {
        ADD_FAILURE() << "no version record";
        return {};
    }
    const auto record = resources::ParseVersionRecord(*data);
    if (!record) {
        ADD_FAILURE() << "malformed version record";
        return {};
    }
    return *record;
}

const VersionNode* StringBlock(const VersionNode& record) {
    const VersionNode* strings = record.Child(L"StringFileInfo");
    return strings != nullptr ? strings->Child(L"041103a4") : nullptr;
}

std::wstring StringValue(const VersionNode& record, const wchar_t* key) {
    const VersionNode* block = StringBlock(record);
    const VersionNode* value = block != nullptr ? block->Child(key) : nullptr;
    return value != nullptr ? value->Text() : L"<missing>";
}

TEST(VersionRecord, ExistsOnceUnderEachLanguage) {
    const std::vector<LANGID> both = {kEnglish, kJapanese};
    EXPECT_EQ(both, resources::LanguagesOf(RT_VERSION, VS_VERSION_INFO));
}

TEST(VersionRecord, FixedPartNamesVersion1032OfAWin32App) {
    for (const Copy& copy : kCopies) {
        SCOPED_TRACE(copy.name);
        const VersionNode record = RecordIn(copy.language);
        EXPECT_EQ(L"VS_VERSION_INFO", record.key);
        ASSERT_EQ(sizeof(VS_FIXEDFILEINFO), record.value.size());
        VS_FIXEDFILEINFO fixed;
        memcpy(&fixed, record.value.data(), sizeof fixed);
        EXPECT_EQ(0xFEEF04BDu, fixed.dwSignature);
        EXPECT_EQ(MAKELONG(0, 1), fixed.dwFileVersionMS);
        EXPECT_EQ(MAKELONG(2, 3), fixed.dwFileVersionLS);
        EXPECT_EQ(MAKELONG(0, 1), fixed.dwProductVersionMS);
        EXPECT_EQ(MAKELONG(2, 3), fixed.dwProductVersionLS);
        EXPECT_EQ(0x3Fu, fixed.dwFileFlagsMask);
        EXPECT_EQ(0u, fixed.dwFileFlags);
        EXPECT_EQ(static_cast<DWORD>(VOS__WINDOWS32), fixed.dwFileOS);
        EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed.dwFileType);
        EXPECT_EQ(0u, fixed.dwFileSubtype);
    }
}

TEST(VersionRecord, BothCopiesUseTheJapaneseBlockAndTranslation) {
    for (const Copy& copy : kCopies) {
        SCOPED_TRACE(copy.name);
        const VersionNode record = RecordIn(copy.language);
        const VersionNode* strings = record.Child(L"StringFileInfo");
        ASSERT_NE(nullptr, strings);
        ASSERT_EQ(1u, strings->children.size());
        EXPECT_EQ(L"041103a4", strings->children[0].key);

        const VersionNode* variables = record.Child(L"VarFileInfo");
        ASSERT_NE(nullptr, variables);
        const VersionNode* translation = variables->Child(L"Translation");
        ASSERT_NE(nullptr, translation);
        EXPECT_EQ(0, translation->type);
        const std::vector<uint8_t> japaneseCodePage932 = {0x11, 0x04, 0xA4, 0x03};
        EXPECT_EQ(japaneseCodePage932, translation->value);
    }
}

TEST(VersionRecord, BothCopiesNameTheProductAndItsVersion) {
    const struct {
        const wchar_t* key;
        const wchar_t* value;
    } expected[] = {
        {L"FileDescription", L"TRELMAST_GUI.EXE"},
        {L"ProductName", L"TRELMAST_GUI.EXE"},
        {L"FileVersion", L"1, 0, 3, 2"},
        {L"ProductVersion", L"1, 0, 3, 2"},
    };
    for (const Copy& copy : kCopies) {
        const VersionNode record = RecordIn(copy.language);
        for (const auto& field : expected) {
            SCOPED_TRACE(std::string(copy.name) + " " +
                         std::string(field.key, field.key + wcslen(field.key)));
            EXPECT_EQ(field.value, StringValue(record, field.key));
        }
    }
}

TEST(VersionRecord, MakerFieldsAreOneLineEach) {
    for (const Copy& copy : kCopies) {
        const VersionNode record = RecordIn(copy.language);
        for (const wchar_t* key : {L"CompanyName", L"LegalCopyright"}) {
            SCOPED_TRACE(std::string(copy.name) + " " + std::string(key, key + wcslen(key)));
            const std::wstring value = StringValue(record, key);
            EXPECT_NE(L"<missing>", value);
            EXPECT_FALSE(value.empty());
            EXPECT_EQ(std::wstring::npos, value.find_first_of(L"\r\n"));
        }
    }
}

TEST(VersionRecord, StringBlockHoldsTheSixFieldsOnly) {
    for (const Copy& copy : kCopies) {
        SCOPED_TRACE(copy.name);
        const VersionNode record = RecordIn(copy.language);
        const VersionNode* block = StringBlock(record);
        ASSERT_NE(nullptr, block);
        std::vector<std::wstring> keys;
        for (const VersionNode& field : block->children) {
            keys.push_back(field.key);
        }
        const std::vector<std::wstring> expected = {L"CompanyName", L"FileDescription",
                                                    L"FileVersion", L"LegalCopyright",
                                                    L"ProductName", L"ProductVersion"};
        EXPECT_EQ(expected, keys);
    }
}

} // namespace
