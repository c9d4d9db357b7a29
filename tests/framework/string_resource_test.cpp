// Strings from the string table as 8-bit text. The program runs under several environments;
// FRAMEWORK_TEST_LANGUAGE tells which: "en" (English resources), "ja" (Japanese resources,
// code page 932) or "ja-other-acp" (Japanese resources, a system ANSI code page without
// Japanese).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "framework/cstring.h"
#include "framework/string_resource.h"
#include "tests/framework/test_resources.h"

namespace {

std::string Language() {
    const char* language = std::getenv("FRAMEWORK_TEST_LANGUAGE");
    return language ? language : "en";
}

std::string Loaded(UINT id) {
    CString text;
    text.LoadString(id);
    return text.str();
}

TEST(StringTable, GivesTheTextOfTheChosenLanguageInTheAnsiCodePage) {
    struct Case {
        UINT id;
        const char* english;
        const char* japanese932; // Shift-JIS bytes
        const char* japaneseOtherCodePage;
    };
    const Case cases[] = {
        {IDS_CAPTION, "firmware updater",
         "\x83\x74\x83\x40\x81\x5b\x83\x80\x83\x45\x83\x46\x83\x41\x20\x83\x41\x83\x62\x83\x76\x83"
         "\x66\x81\x5b\x83\x5e",
         "??????? ??????"},
        {IDS_MENU_ITEM, "firmware updater Version(&A)...",
         "\x83\x6f\x81\x5b\x83\x57\x83\x87\x83\x93\x8f\xee\x95\xf1\x20\x83\x74\x83\x40\x81\x5b\x83"
         "\x80\x83\x45\x83\x46\x83\x41\x83\x41\x83\x62\x83\x76\x83\x66\x81\x5b\x83\x5e\x28\x26\x41"
         "\x29\x2e\x2e\x2e",
         "??????? ?????????????"
         "(&A)..."},
        {IDS_PLEASE_WAIT, "please wait a second.",
         "\x82\xe0\x82\xa4\x82\xb5\x82\xce\x82\xe7\x82\xad\x82\xa8\x91\xd2\x82\xbf\x82\xad\x82\xbe"
         "\x82\xb3\x82\xa2\x81\x42",
         "??????????????"},
        {IDS_OTHER_BLOCK, "another block", "\x95\xca\x82\xcc\x83\x75\x83\x8d\x83\x62\x83\x4e",
         "??????"},
    };
    std::string language = Language();
    for (const Case& test : cases) {
        SCOPED_TRACE(test.id);
        if (language == "en") {
            EXPECT_EQ(Loaded(test.id), test.english);
        } else if (language == "ja-other-acp") {
            // The system's ANSI code page has no Japanese, but the text follows the thread's
            // code page, and Wine takes the thread locale, like the resource language, from
            // LC_MESSAGES: the Japanese text arrives whole, in code page 932.
            EXPECT_NE(GetACP(), 932u);
            EXPECT_EQ(PRIMARYLANGID(LANGIDFROMLCID(GetThreadLocale())), LANG_JAPANESE);
            EXPECT_EQ(Loaded(test.id), test.japanese932);
            // In a code page without Japanese the characters are lost.
            std::wstring text;
            ASSERT_TRUE(ReadStringResource(GetModuleHandleA(nullptr), test.id, &text));
            EXPECT_EQ(ToResourceCodePage(text, 1252), test.japaneseOtherCodePage);
        } else {
            ASSERT_EQ(GetACP(), 932u);
            EXPECT_EQ(Loaded(test.id), test.japanese932);
        }
    }
}

TEST(StringTable, FailsWithAnEmptyTextWhereThereIsNoString) {
    for (UINT id : {IDS_MISSING_IN_BLOCK, IDS_MISSING_BLOCK}) {
        SCOPED_TRACE(id);
        CString text("before");
        EXPECT_FALSE(text.LoadString(id));
        EXPECT_TRUE(text.IsEmpty());
    }
}

TEST(StringBlock, FindsTheEntryAfterTheLengthsBeforeIt) {
    // Entries 0 "ab", 1 empty, 2 "xyz"; the rest of the block is cut off.
    const WORD block[] = {2, L'a', L'b', 0, 3, L'x', L'y', L'z'};
    struct Case {
        UINT index;
        DWORD bytes;
        bool found;
        std::wstring text;
    };
    const Case cases[] = {
        {0, sizeof block, true, L"ab"},    {1, sizeof block, false, L""},
        {2, sizeof block, true, L"xyz"},   {3, sizeof block, false, L""},
        {2, sizeof block - 2, false, L""}, // the last entry runs past the block's end
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.index);
        std::wstring text;
        EXPECT_EQ(FindStringInBlock(block, test.bytes, test.index, &text), test.found);
        EXPECT_EQ(text, test.text);
    }
}

TEST(ResourceTextCodePage, FollowsThePlatformAndTheThreadLocale) {
    auto version = [](DWORD platform, DWORD major) {
        OSVERSIONINFOA info = {};
        info.dwOSVersionInfoSize = sizeof info;
        info.dwPlatformId = platform;
        info.dwMajorVersion = major;
        return info;
    };
    const LCID japanese = MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), SORT_DEFAULT);
    const LCID english = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);
    // Hindi has no ANSI code page of its own.
    const LCID hindi = MAKELCID(MAKELANGID(LANG_HINDI, SUBLANG_DEFAULT), SORT_DEFAULT);
    struct Case {
        const char* name;
        OSVERSIONINFOA version;
        LCID locale;
        UINT codePage;
    };
    const Case cases[] = {
        {"Windows 2000 and later", version(VER_PLATFORM_WIN32_NT, 5), japanese, CP_THREAD_ACP},
        {"Windows NT 4, Japanese locale", version(VER_PLATFORM_WIN32_NT, 4), japanese, 932},
        {"Windows 98, Japanese locale", version(VER_PLATFORM_WIN32_WINDOWS, 4), japanese, 932},
        {"Windows 98, English locale", version(VER_PLATFORM_WIN32_WINDOWS, 4), english, 1252},
        {"Windows 98, locale without code page", version(VER_PLATFORM_WIN32_WINDOWS, 4), hindi,
         GetACP()},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        EXPECT_EQ(ResourceTextCodePage(test.version, test.locale), test.codePage);
    }
}

TEST(CStringFormat, FormatsAsPrintf) {
    CString text;
    text.Format("%d seconds", 24);
    EXPECT_STREQ(text, "24 seconds");
    text.Format("%s\r\n%s", "firmware file not found", "C:\\Q4830251.520");
    EXPECT_STREQ(text, "firmware file not found\r\nC:\\Q4830251.520");
    text.Format("%d second", -1);
    EXPECT_EQ(text.GetLength(), 9);
}

} // namespace
