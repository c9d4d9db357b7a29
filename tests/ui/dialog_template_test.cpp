#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/ui/dialog_template.h"
#include "tests/ui/resource_data.h"

namespace {

using resources::DialogControl;
using resources::DialogTemplate;
using resources::kEnglish;
using resources::kJapanese;
using resources::NameOrOrdinal;

// Class atoms of the predefined control classes.
constexpr WORD kButton = 0x0080;
constexpr WORD kStaticClass = 0x0082;
constexpr WORD kComboBox = 0x0085;

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kStatic = kChild | WS_GROUP | SS_LEFT;
constexpr DWORD kPushButton = kChild | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kGroupBox = kChild | BS_GROUPBOX;
constexpr DWORD kDriveList = kChild | CBS_DROPDOWN | CBS_SORT | WS_VSCROLL | WS_TABSTOP;
constexpr DWORD kProgressBar = kChild | WS_BORDER;

constexpr DWORD kAboutBoxStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
constexpr DWORD kUpdaterStyle = kAboutBoxStyle | WS_VISIBLE;
constexpr DWORD kHiddenFixedSysStyle = kAboutBoxStyle | DS_FIXEDSYS;

constexpr DWORD kUnaddressed = static_cast<DWORD>(-1);

struct ExpectedControl {
    DWORD id;
    WORD classAtom; // 0 when the class is named
    const wchar_t* className;
    const wchar_t* text;
    DWORD style;
    short x, y, cx, cy;
};

struct ExpectedDialog {
    const char* name;
    WORD id;
    LANGID language;
    const wchar_t* caption;
    DWORD style;
    DWORD exStyle;
    short cx, cy;
    WORD pointSize;
    WORD weight;
    const wchar_t* face;
    std::vector<ExpectedControl> controls;
};

const wchar_t kVersionLine[] = L"TRELMAST_GUI.EXE version 1.03";

const std::vector<ExpectedDialog>& ExpectedDialogs() {
    static const std::vector<ExpectedDialog> dialogs = {
        {"version box, English",
         100,
         kEnglish,
         L"veriosn info firmware updater",
         kAboutBoxStyle,
         0,
         270,
         55,
         9,
         0,
         L"MS UI Gothic",
         {
             {kUnaddressed, kStaticClass, nullptr, kVersionLine,
              kChild | WS_GROUP | SS_LEFT | SS_NOPREFIX, 40, 10, 135, 8},
             {kUnaddressed, kStaticClass, nullptr, nullptr, kStatic, 40, 25, 164, 8},
             {IDOK, kButton, nullptr, L"OK", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 213,
              6, 50, 16},
         }},
        {"version box, Japanese",
         100,
         kJapanese,
         L"バージョン情報 ファームウェアアップデータ",
         kAboutBoxStyle,
         0,
         270,
         55,
         9,
         0,
         L"MS UI Gothic",
         {
             {kUnaddressed, kStaticClass, nullptr, kVersionLine,
              kChild | WS_GROUP | SS_LEFT | SS_NOPREFIX, 40, 10, 135, 8},
             {kUnaddressed, kStaticClass, nullptr, nullptr, kStatic, 40, 25, 190, 8},
             {IDOK, kButton, nullptr, L"OK", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 213,
              6, 50, 16},
         }},
        {"updater dialog, English",
         102,
         kEnglish,
         L"firmware updater",
         kUpdaterStyle,
         WS_EX_APPWINDOW,
         239,
         175,
         9,
         0,
         L"MS UI Gothic",
         {
             {1000, kComboBox, nullptr, L"", kDriveList, 10, 20, 195, 103},
             {1002, kButton, nullptr, L"update", kPushButton, 20, 145, 80, 15},
             {IDCANCEL, kButton, nullptr, L"close", kPushButton, 140, 145, 70, 15},
             {kUnaddressed, kButton, nullptr, L"target device", kGroupBox, 5, 10, 212, 30},
             {kUnaddressed, kButton, nullptr, L"drive infomation", kGroupBox, 5, 50, 227, 75},
             {1004, kStaticClass, nullptr, L"", kStatic, 15, 65, 185, 8},
             {kUnaddressed, kStaticClass, nullptr, L"firmware version", kStatic, 15, 85, 84, 8},
             {kUnaddressed, kStaticClass, nullptr, L"current version", kStatic, 85, 85, 63, 8},
             {kUnaddressed, kStaticClass, nullptr, L"following version", kStatic, 160, 85, 67, 8},
             {kUnaddressed, kStaticClass, nullptr, L"-->", kStatic, 142, 105, 19, 8},
             {1005, kStaticClass, nullptr, L"", kStatic, 109, 105, 20, 8},
             {1006, kStaticClass, nullptr, L"", kStatic, 163, 105, 25, 8},
         }},
        {"updater dialog, Japanese",
         102,
         kJapanese,
         L"ファームウェア アップデータ",
         kUpdaterStyle,
         WS_EX_APPWINDOW,
         235,
         175,
         9,
         0,
         L"MS UI Gothic",
         {
             {1000, kComboBox, nullptr, L"", kDriveList, 10, 20, 195, 103},
             {1002, kButton, nullptr, L"アップデート開始", kPushButton, 20, 145, 80, 15},
             {IDCANCEL, kButton, nullptr, L"終了", kPushButton, 140, 145, 70, 15},
             {kUnaddressed, kButton, nullptr, L"検出されたドライブ", kGroupBox, 5, 10, 205, 30},
             {kUnaddressed, kButton, nullptr, L"アップデートされるドライブ情報", kGroupBox, 5, 50,
              220, 75},
             {1004, kStaticClass, nullptr, L"", kStatic, 15, 65, 185, 8},
             {kUnaddressed, kStaticClass, nullptr, L"ファームウェアバージョン", kStatic, 15, 85, 84,
              8},
             {kUnaddressed, kStaticClass, nullptr, L"現在", kStatic, 110, 85, 30, 8},
             {kUnaddressed, kStaticClass, nullptr, L"アップデート後", kStatic, 155, 85, 49, 8},
             {kUnaddressed, kStaticClass, nullptr, L"→", kStatic, 140, 105, 15, 8},
             {1005, kStaticClass, nullptr, L"", kStatic, 110, 105, 20, 8},
             {1006, kStaticClass, nullptr, L"", kStatic, 155, 105, 20, 8},
         }},
        {"progress dialog, English",
         129,
         kEnglish,
         L"now updating...",
         kHiddenFixedSysStyle,
         0,
         252,
         101,
         8,
         FW_NORMAL,
         L"MS Shell Dlg",
         {
             {1007, 0, L"msctls_progress32", L"", kProgressBar, 20, 70, 210, 14},
             {kUnaddressed, kStaticClass, nullptr, L"now updating...", kStatic, 55, 5, 150, 8},
             {kUnaddressed, kStaticClass, nullptr,
              L"It takes about 25 seconds to update.\r\nPlease wait for a while.", kStatic, 45, 20,
              170, 20},
             {1008, kStaticClass, nullptr, L"25 seconds", kStatic, 105, 55, 110, 9},
         }},
        {"progress dialog, Japanese",
         129,
         kJapanese,
         L"アップデート中です......",
         kHiddenFixedSysStyle,
         0,
         252,
         101,
         8,
         FW_NORMAL,
         L"MS Shell Dlg",
         {
             {1007, 0, L"msctls_progress32", L"", kProgressBar, 20, 70, 210, 14},
             {kUnaddressed, kStaticClass, nullptr, L"ファームウェアをアップデートしています......",
              kStatic, 55, 5, 150, 8},
             {kUnaddressed, kStaticClass, nullptr,
              L"アップデートが終了するまで約２５秒ほどかかります。\r\nしばらくお待ち下さい。",
              kStatic, 45, 20, 170, 20},
             {1008, kStaticClass, nullptr, L"残り25秒", kStatic, 105, 55, 110, 9},
         }},
        {"automatic-mode dialog, English",
         130,
         kEnglish,
         L"Dialog",
         kHiddenFixedSysStyle,
         0,
         186,
         90,
         8,
         FW_NORMAL,
         L"MS Shell Dlg",
         {}},
        {"automatic-mode dialog, Japanese",
         130,
         kJapanese,
         L"Dialog",
         kHiddenFixedSysStyle,
         0,
         186,
         90,
         8,
         FW_NORMAL,
         L"MS Shell Dlg",
         {}},
    };
    return dialogs;
}

bool IsAbsent(const NameOrOrdinal& field) {
    return field.kind == NameOrOrdinal::Kind::None;
}

// A control's text; an empty text is stored as an absent one.
std::wstring TextOf(const NameOrOrdinal& field) {
    if (field.kind == NameOrOrdinal::Kind::Ordinal) {
        return L"#" + std::to_wstring(field.ordinal);
    }
    return field.name;
}

void ExpectControl(const ExpectedControl& expected, const DialogControl& actual) {
    EXPECT_EQ(expected.id, actual.id);
    if (expected.classAtom != 0) {
        EXPECT_EQ(NameOrOrdinal::Kind::Ordinal, actual.windowClass.kind);
        EXPECT_EQ(expected.classAtom, actual.windowClass.ordinal);
    } else {
        // windres writes class names in upper case; Windows compares them without regard to case.
        EXPECT_EQ(NameOrOrdinal::Kind::Name, actual.windowClass.kind);
        EXPECT_EQ(0, _wcsicmp(expected.className, actual.windowClass.name.c_str()))
            << "class "
            << std::string(actual.windowClass.name.begin(), actual.windowClass.name.end());
    }
    if (expected.text != nullptr) {
        EXPECT_EQ(expected.text, TextOf(actual.text));
    } else {
        // The maker's line: our own text, one line.
        EXPECT_FALSE(TextOf(actual.text).empty());
        EXPECT_EQ(std::wstring::npos, TextOf(actual.text).find_first_of(L"\r\n"));
    }
    EXPECT_EQ(expected.style, actual.style);
    EXPECT_EQ(0u, actual.exStyle);
    EXPECT_EQ(0u, actual.helpId);
    EXPECT_EQ(expected.x, actual.x);
    EXPECT_EQ(expected.y, actual.y);
    EXPECT_EQ(expected.cx, actual.cx);
    EXPECT_EQ(expected.cy, actual.cy);
    EXPECT_EQ(0, actual.extraBytes);
}

void ExpectDialog(const ExpectedDialog& expected, const DialogTemplate& actual) {
    EXPECT_EQ(expected.caption, actual.caption);
    EXPECT_EQ(expected.style, actual.style);
    EXPECT_EQ(expected.exStyle, actual.exStyle);
    EXPECT_EQ(0u, actual.helpId);
    EXPECT_EQ(0, actual.x);
    EXPECT_EQ(0, actual.y);
    EXPECT_EQ(expected.cx, actual.cx);
    EXPECT_EQ(expected.cy, actual.cy);
    EXPECT_TRUE(IsAbsent(actual.menu));
    EXPECT_TRUE(IsAbsent(actual.windowClass));
    ASSERT_TRUE(actual.font.has_value());
    EXPECT_EQ(expected.pointSize, actual.font->pointSize);
    EXPECT_EQ(expected.weight, actual.font->weight);
    EXPECT_EQ(0, actual.font->italic);
    EXPECT_EQ(DEFAULT_CHARSET, actual.font->charset);
    EXPECT_EQ(expected.face, actual.font->face);
    ASSERT_EQ(expected.controls.size(), actual.controls.size());
    for (size_t i = 0; i < expected.controls.size(); ++i) {
        SCOPED_TRACE("control " + std::to_string(i + 1));
        ExpectControl(expected.controls[i], actual.controls[i]);
    }
}

TEST(DialogTemplates, EveryFieldOfEveryTemplateInBothLanguages) {
    for (const ExpectedDialog& expected : ExpectedDialogs()) {
        SCOPED_TRACE(expected.name);
        const auto data = resources::FindInLanguage(RT_DIALOG, expected.id, expected.language);
        ASSERT_TRUE(data.has_value());
        const auto parsed = resources::ParseDialogTemplate(*data);
        ASSERT_TRUE(parsed.has_value()) << "not a well-formed extended template";
        ExpectDialog(expected, *parsed);
    }
}

TEST(DialogTemplates, EveryTemplateExistsInEnglishAndJapaneseOnly) {
    const std::vector<LANGID> both = {kEnglish, kJapanese};
    for (WORD id : {100, 102, 129, 130}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(both, resources::LanguagesOf(RT_DIALOG, id));
    }
}

TEST(DialogTemplateParser, RejectsTruncatedAndClassicTemplates) {
    const auto data = resources::FindInLanguage(RT_DIALOG, 102, kEnglish);
    ASSERT_TRUE(data.has_value());
    EXPECT_FALSE(
        resources::ParseDialogTemplate(resources::ResourceData{data->bytes, data->size - 2})
            .has_value());
    const uint8_t classic[] = {0xC0, 0x00, 0xC8, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_FALSE(resources::ParseDialogTemplate(resources::ResourceData{classic, sizeof classic})
                     .has_value());
}

} // namespace
