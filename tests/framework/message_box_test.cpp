// CWnd::MessageBox shows a real box owned by the window; the watcher answers it.
#include <gtest/gtest.h>

#include "framework/cwinapp.h"
#include "tests/framework/recording_dialog.h"
#include "tests/support/message_box_watcher.h"

namespace {

TEST(OwnedMessageBox, IsOwnedByTheWindowAndShowsTextCaptionIconAndButtons) {
    struct Case {
        UINT style;
        int press;
        UINT icon;
        std::vector<int> buttons;
    };
    const Case cases[] = {
        {MB_OK | MB_ICONWARNING, IDOK, MB_ICONWARNING, {IDOK}},
        {MB_YESNO | MB_ICONINFORMATION, IDNO, MB_ICONINFORMATION, {IDYES, IDNO}},
        {MB_OKCANCEL | MB_ICONERROR, IDCANCEL, MB_ICONERROR, {IDOK, IDCANCEL}},
        {MB_YESNO | MB_ICONQUESTION, IDYES, MB_ICONQUESTION, {IDYES, IDNO}},
        {MB_OK, IDOK, 0, {IDOK}},
    };
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_TEST_DIALOG));
    for (const Case& test : cases) {
        SCOPED_TRACE(test.style);
        MessageBoxWatcher watcher({test.press});
        int answer = dialog.MessageBox("Target is not found", "firmware updater", test.style);
        std::vector<SeenMessageBox> boxes = watcher.Wait();
        ASSERT_EQ(1u, boxes.size());
        const SeenMessageBox& box = boxes[0];
        EXPECT_TRUE(box.pressed);
        EXPECT_EQ(answer, test.press);
        EXPECT_EQ(box.text, "Target is not found");
        EXPECT_EQ(box.caption, "firmware updater");
        EXPECT_EQ(box.icon, test.icon);
        EXPECT_EQ(box.buttons, test.buttons);
        EXPECT_EQ(box.owner, dialog.m_hWnd);
    }
}

TEST(OwnedMessageBox, WithoutCaptionShowsTheApplicationName) {
    CWinApp app("firmware updater");
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_TEST_DIALOG));
    MessageBoxWatcher watcher({IDOK});
    dialog.MessageBox("please wait a second.");
    std::vector<SeenMessageBox> boxes = watcher.Wait();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(boxes[0].caption, "firmware updater");
}

TEST(OwnedMessageBox, WatcherReportsAMissingButtonAndStillClosesTheBox) {
    MessageBoxWatcher watcher({IDYES});
    int answer = MessageBoxA(nullptr, "no owner", "caption", MB_OK);
    std::vector<SeenMessageBox> boxes = watcher.Wait();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_FALSE(boxes[0].pressed);
    EXPECT_EQ(answer, IDOK);
    EXPECT_EQ(boxes[0].owner, nullptr);
}

} // namespace
