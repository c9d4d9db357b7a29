#include "expected_boxes.h"

#include <gtest/gtest.h>

#include "framework/cstring.h"
#include "ui/res/resource.h"

namespace {

struct ExpectedBox {
    std::string text;
    UINT icon;
    std::vector<int> buttons;
    bool textIsPrefix = false; // the text continues with a report that depends on the command
};

ExpectedBox ExpectedOf(Box box, const BoxDetail& detail) {
    switch (box) {
    case Box::Notice:
        return {TextOf(IDS_NOTICE_OF_USE), MB_ICONINFORMATION, {IDYES, IDNO}};
    case Box::NoDrive:
        return {TextOf(IDS_DRIVE_NOT_FOUND), MB_ICONWARNING, {IDOK}};
    case Box::MoreThanOne:
        return {TextOf(IDS_MORE_THAN_ONE_DRIVE), MB_ICONWARNING, {IDOK}};
    case Box::ImageMissing:
        return {TextOf(IDS_FIRMWARE_FILE_NOT_FOUND) + "\r\n" + detail.mainImagePath,
                MB_ICONINFORMATION,
                {IDOK}};
    case Box::NotNewer:
        return {TextOf(IDS_UPDATE_UNNECESSARY), MB_ICONWARNING, {IDOK}};
    case Box::DiscInDrive:
        return {TextOf(IDS_DISC_IN_DRIVE_EJECT), MB_ICONWARNING, {IDOK, IDCANCEL}};
    case Box::UpdateFailed:
        return {TextOf(IDS_UPDATE_FAILED), MB_ICONINFORMATION, {IDOK}};
    case Box::Restart:
        return {TextOf(IDS_UPDATE_DONE_RESTART), MB_ICONINFORMATION, {IDOK}};
    case Box::CommandError:
        return {
            TextOf(IDS_COMMAND_ERROR_STOPPED) + "\r\nCommand    : ", MB_ICONERROR, {IDOK}, true};
    case Box::CloseFirst:
        return {TextOf(IDS_CLOSE_UPDATER_FIRST), MB_ICONWARNING, {IDOK}};
    case Box::ImagePathTooLong:
        return {TextOf(IDS_FILE_OPEN_ERROR) + detail.mainImagePath, MB_ICONWARNING, {IDOK}};
    }
    return {};
}

} // namespace

std::string TextOf(UINT id) {
    CString text;
    text.LoadString(id);
    return text.str();
}

void ExpectBoxes(const std::vector<Box>& expected, const std::vector<SeenMessageBox>& seen,
                 HWND owner, const BoxDetail& detail) {
    ASSERT_EQ(expected.size(), seen.size()) << ::testing::PrintToString(seen);
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("box " + std::to_string(i));
        const ExpectedBox want = ExpectedOf(expected[i], detail);
        if (want.textIsPrefix)
            EXPECT_EQ(want.text, seen[i].text.substr(0, want.text.size()));
        else
            EXPECT_EQ(want.text, seen[i].text);
        EXPECT_EQ(TextOf(IDS_APP_CAPTION), seen[i].caption);
        EXPECT_EQ(want.icon, seen[i].icon);
        EXPECT_EQ(want.buttons, seen[i].buttons);
        EXPECT_EQ(owner, seen[i].owner);
        EXPECT_TRUE(seen[i].pressed);
    }
}
