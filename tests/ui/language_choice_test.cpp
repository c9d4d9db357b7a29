// Run once per language environment (see CMakeLists.txt). EXPECTED_UI_LANGUAGE (en or ja) names
// the copy that Windows' resource loader must pick when the program asks by number alone;
// EXPECTED_ANSI_CODE_PAGE_932 (yes or no) tells whether the ANSI code page is the Japanese one.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

#include "tests/ui/dialog_template.h"
#include "tests/ui/expected_texts.h"
#include "tests/ui/resource_data.h"
#include "tests/ui/version_record.h"

namespace {

std::string Setting(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

bool ExpectJapanese() {
    const std::string language = Setting("EXPECTED_UI_LANGUAGE");
    if (language != "en" && language != "ja") {
        ADD_FAILURE() << "EXPECTED_UI_LANGUAGE must be en or ja, is '" << language << "'";
    }
    return language == "ja";
}

LANGID ExpectedLanguage() {
    return ExpectJapanese() ? resources::kJapanese : resources::kEnglish;
}

TEST(LanguageChoice, LoadStringGivesTheTextsOfTheUsersLanguage) {
    const bool japanese = ExpectJapanese();
    for (const ExpectedText& expected : ExpectedTexts()) {
        SCOPED_TRACE(expected.id);
        const wchar_t* text = nullptr;
        const int length =
            LoadStringW(GetModuleHandleW(nullptr), expected.id, reinterpret_cast<LPWSTR>(&text), 0);
        ASSERT_GT(length, 0);
        EXPECT_EQ(japanese ? expected.japanese : expected.english, std::wstring(text, length));
    }
}

TEST(LanguageChoice, DialogTemplatesComeInTheUsersLanguage) {
    const LANGID language = ExpectedLanguage();
    // Template 130 reads the same in both languages, so only the three others can tell.
    for (WORD id : {100, 102, 129}) {
        SCOPED_TRACE(id);
        const auto chosen = resources::FindAsLoaderChooses(RT_DIALOG, id);
        const auto inLanguage = resources::FindInLanguage(RT_DIALOG, id, language);
        ASSERT_TRUE(chosen.has_value());
        ASSERT_TRUE(inLanguage.has_value());
        EXPECT_EQ(inLanguage->bytes, chosen->bytes);
        const auto dialog = resources::ParseDialogTemplate(*chosen);
        ASSERT_TRUE(dialog.has_value());
        EXPECT_EQ(resources::ParseDialogTemplate(*inLanguage)->caption, dialog->caption);
    }
}

TEST(LanguageChoice, VersionRecordIsTheCopyOfTheUsersLanguage) {
    const auto chosen = resources::FindAsLoaderChooses(RT_VERSION, VS_VERSION_INFO);
    const auto inLanguage =
        resources::FindInLanguage(RT_VERSION, VS_VERSION_INFO, ExpectedLanguage());
    ASSERT_TRUE(chosen.has_value());
    ASSERT_TRUE(inLanguage.has_value());
    EXPECT_EQ(inLanguage->bytes, chosen->bytes);
}

TEST(LanguageChoice, AnsiCodePageIsAsTheEnvironmentSays) {
    const std::string japaneseCodePage = Setting("EXPECTED_ANSI_CODE_PAGE_932");
    ASSERT_TRUE(japaneseCodePage == "yes" || japaneseCodePage == "no")
        << "EXPECTED_ANSI_CODE_PAGE_932 must be yes or no, is '" << japaneseCodePage << "'";
    if (japaneseCodePage == "yes") {
        EXPECT_EQ(932u, GetACP());
    } else {
        EXPECT_NE(932u, GetACP());
    }
}

} // namespace
