#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/ui/expected_texts.h"
#include "tests/ui/resource_data.h"

namespace {

using resources::kEnglish;
using resources::kJapanese;

struct Language {
    const char* name;
    LANGID id;
    const wchar_t* ExpectedText::*text;
};

const Language kLanguages[] = {
    {"English", kEnglish, &ExpectedText::english},
    {"Japanese", kJapanese, &ExpectedText::japanese},
};

std::wstring TextInLanguage(UINT id, LANGID language) {
    const auto block = resources::FindInLanguage(RT_STRING, resources::StringBlockOf(id), language);
    if (!block) {
        ADD_FAILURE() << "no string block for text " << id;
        return L"<missing block>";
    }
    return resources::TextFromBlock(*block, id).value_or(L"<malformed block>");
}

TEST(StringTable, EveryTextIsStoredExactlyInBothLanguages) {
    for (const Language& language : kLanguages) {
        for (const ExpectedText& expected : ExpectedTexts()) {
            SCOPED_TRACE(std::string(language.name) + " text " + std::to_string(expected.id));
            EXPECT_EQ(expected.*language.text, TextInLanguage(expected.id, language.id));
        }
    }
}

TEST(StringTable, HoldsNoOtherTextInItsBlocks) {
    // Texts 101 to 127 share their blocks with 96 to 100, which must stay empty.
    for (const Language& language : kLanguages) {
        for (UINT id = 96; id <= 100; ++id) {
            SCOPED_TRACE(std::string(language.name) + " text " + std::to_string(id));
            EXPECT_EQ(L"", TextInLanguage(id, language.id));
        }
    }
}

TEST(StringTable, EveryBlockExistsInEnglishAndJapaneseOnly) {
    const std::vector<LANGID> both = {kEnglish, kJapanese};
    for (UINT id : {101u, 127u}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(both, resources::LanguagesOf(RT_STRING, resources::StringBlockOf(id)));
    }
}

} // namespace
