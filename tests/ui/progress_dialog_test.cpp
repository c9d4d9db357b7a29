#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "tests/ui/resource_data.h"

namespace {

INT_PTR CALLBACK IgnoreMessages(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// The template names the progress bar's class in upper case (see the template test); the dialog
// manager must still create a real progress bar from it.
TEST(ProgressDialog, CreatesAHiddenDialogWithARealProgressBar) {
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_PROGRESS_CLASS};
    ASSERT_TRUE(InitCommonControlsEx(&classes));
    for (LANGID language : {resources::kEnglish, resources::kJapanese}) {
        SCOPED_TRACE(language);
        const auto data = resources::FindInLanguage(RT_DIALOG, 129, language);
        ASSERT_TRUE(data.has_value());
        HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                                 reinterpret_cast<LPCDLGTEMPLATEW>(data->bytes),
                                                 nullptr, IgnoreMessages, 0);
        ASSERT_NE(nullptr, dialog) << GetLastError();

        EXPECT_FALSE(IsWindowVisible(dialog));
        HWND bar = GetDlgItem(dialog, 1007);
        ASSERT_NE(nullptr, bar);
        wchar_t className[64] = {};
        GetClassNameW(bar, className, 64);
        EXPECT_STREQ(PROGRESS_CLASSW, className);
        // Only a progress bar answers PBM_SETRANGE32 with its previous range (0 to 100).
        EXPECT_EQ(MAKELONG(0, 100), SendMessageW(bar, PBM_SETRANGE32, 0, 25));
        DestroyWindow(dialog);
    }
}

} // namespace
