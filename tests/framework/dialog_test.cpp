// Modal and modeless dialogs on real windows: creation and initialisation order, the ways a
// dialog ends, the modal loop's handling of WM_QUIT, and control binding.
#include <gtest/gtest.h>

#include <algorithm>

#include "framework/cwinapp.h"
#include "tests/framework/recording_dialog.h"
#include "tests/support/message_pump.h"

namespace {

using Events = std::vector<std::string>;

// Escape never reaches the dialog manager, as the updater's dialogs want it.
class EscapeFilteringDialog : public RecordingDialog {
public:
    BOOL PreTranslateMessage(MSG* msg) override {
        if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE)
            return FALSE;
        return RecordingDialog::PreTranslateMessage(msg);
    }
};

// A marker message: recorded, then the dialog is closed, so that the order of events shows
// whether an earlier message had ended the dialog already.
constexpr UINT WM_TEST_MARKER = WM_APP + 7;

class MarkerDialog : public EscapeFilteringDialog {
    LRESULT OnMarker(WPARAM, LPARAM) {
        events.push_back("marker");
        PostClose(*this);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(MarkerDialog, EscapeFilteringDialog)
ON_MESSAGE(WM_TEST_MARKER, &MarkerDialog::OnMarker)
END_MESSAGE_MAP()

struct ModalEnding {
    const char* name;
    std::function<void(RecordingDialog&)> inInit;
    INT_PTR result;
    Events handlers;
};

TEST(ModalDialog, EndsThroughTheStandardHandlingWithTheHandlersResult) {
    const ModalEnding endings[] = {
        {"posted SC_CLOSE", [](RecordingDialog& d) { PostClose(d); }, IDCANCEL, {"OnCancel"}},
        {"posted SC_CLOSE, close item disabled",
         [](RecordingDialog& d) {
             DisableCloseItem(d);
             PostClose(d);
         },
         IDCANCEL,
         {"OnCancel"}},
        {"Escape", [](RecordingDialog& d) { PostKeyDown(d, VK_ESCAPE); }, IDCANCEL, {"OnCancel"}},
        {"Enter",
         [](RecordingDialog& d) { PostKeyDown(d, VK_RETURN); },
         IDOK,
         {"OnOK", "DoDataExchange"}}, // OnOK reads the controls before it ends the dialog
        {"EndDialog inside OnInitDialog", [](RecordingDialog& d) { d.EndDialog(1234); }, 1234, {}},
    };
    for (const ModalEnding& ending : endings) {
        SCOPED_TRACE(ending.name);
        RecordingDialog dialog;
        dialog.onInitDialog = ending.inInit;
        EXPECT_EQ(dialog.DoModal(), ending.result);
        Events expected = {"OnInitDialog", "DoDataExchange"};
        expected.insert(expected.end(), ending.handlers.begin(), ending.handlers.end());
        EXPECT_EQ(dialog.events, expected);
        EXPECT_EQ(dialog.m_hWnd, nullptr) << "the window is destroyed when DoModal returns";
        EXPECT_EQ(dialog.m_cbDrive.m_hWnd, nullptr) << "and its bound controls with it";
    }
}

TEST(ModalDialog, DisablesItsOwnerWhileItRuns) {
    for (bool ownerIsMainWindow : {false, true}) {
        SCOPED_TRACE(ownerIsMainWindow ? "owner: the main window" : "owner: the parent");
        CWinApp app("framework test");
        RecordingDialog owner;
        ASSERT_TRUE(owner.Create(IDD_TEST_DIALOG));
        if (ownerIsMainWindow)
            app.m_pMainWnd = &owner;
        RecordingDialog dialog(ownerIsMainWindow ? nullptr : &owner);
        HWND seenOwner = nullptr;
        BOOL ownerEnabled = TRUE;
        dialog.onInitDialog = [&](RecordingDialog& d) {
            seenOwner = GetWindow(d.m_hWnd, GW_OWNER);
            ownerEnabled = IsWindowEnabled(owner.m_hWnd);
            PostClose(d);
        };
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        EXPECT_EQ(seenOwner, owner.m_hWnd);
        EXPECT_FALSE(ownerEnabled);
        EXPECT_TRUE(IsWindowEnabled(owner.m_hWnd)) << "enabled again after the dialog";
    }
}

TEST(ModalDialog, PreTranslateMessageSeesEveryKeyBeforeTheDialogManager) {
    struct Case {
        const char* name;
        bool filtering;
        Events expected;
    };
    const Case cases[] = {
        {"base PreTranslateMessage: Escape cancels",
         false,
         {"OnInitDialog", "DoDataExchange", "OnCancel"}},
        {"Escape filtered: the dialog runs on to the marker",
         true,
         {"OnInitDialog", "DoDataExchange", "marker", "OnCancel"}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        struct Switchable : MarkerDialog {
            bool filtering = false;
            BOOL PreTranslateMessage(MSG* msg) override {
                return filtering ? MarkerDialog::PreTranslateMessage(msg)
                                 : RecordingDialog::PreTranslateMessage(msg);
            }
        } dialog;
        dialog.filtering = test.filtering;
        dialog.onInitDialog = [](RecordingDialog& d) {
            PostKeyDown(d, VK_ESCAPE);
            d.PostMessage(WM_TEST_MARKER);
        };
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        EXPECT_EQ(dialog.events, test.expected);
    }
}

TEST(ModalDialog, QuitMessageEndsTheLoopAndIsPostedAgain) {
    RecordingDialog dialog;
    dialog.onInitDialog = [](RecordingDialog&) { PostQuitMessage(9); };
    EXPECT_EQ(dialog.DoModal(), -1);
    MSG quit = {};
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 9u);
}

TEST(ModelessDialog, InitialisesInsideCreateAndBindsItsControls) {
    RecordingDialog dialog;
    HWND boundInInit = nullptr;
    dialog.onInitDialog = [&](RecordingDialog& d) { boundInInit = d.m_cbDrive.m_hWnd; };
    ASSERT_TRUE(dialog.Create(IDD_TEST_DIALOG));
    EXPECT_EQ(dialog.events, (Events{"OnInitDialog", "DoDataExchange"}));
    ASSERT_NE(dialog.m_hWnd, nullptr);
    EXPECT_EQ(boundInInit, GetDlgItem(dialog.m_hWnd, IDC_DRIVE_LIST));
    EXPECT_EQ(dialog.m_ctlProgress.m_hWnd, GetDlgItem(dialog.m_hWnd, IDC_PROGRESS));
    EXPECT_EQ(CWnd::FromHandlePermanent(boundInInit), &dialog.m_cbDrive);
    EXPECT_FALSE(dialog.IsWindowVisible()) << "the template is not visible by itself";
}

TEST(ModelessDialog, IsHiddenByTheWaysThatEndAModalOne) {
    struct Case {
        const char* name;
        std::function<void(RecordingDialog&)> end;
        const char* handler;
    };
    const Case cases[] = {
        {"posted SC_CLOSE, close item disabled",
         [](RecordingDialog& d) {
             DisableCloseItem(d);
             PostClose(d);
         },
         "OnCancel"},
        {"Escape", [](RecordingDialog& d) { PostKeyDown(d, VK_ESCAPE); }, "OnCancel"},
        {"Enter", [](RecordingDialog& d) { PostKeyDown(d, VK_RETURN); }, "OnOK"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        RecordingDialog dialog;
        ASSERT_TRUE(dialog.Create(IDD_TEST_DIALOG));
        dialog.ShowWindow(SW_SHOW);
        test.end(dialog);
        EXPECT_TRUE(PumpMessagesUntil([&] { return !dialog.IsWindowVisible(); }));
        EXPECT_NE(std::find(dialog.events.begin(), dialog.events.end(), test.handler),
                  dialog.events.end());
        EXPECT_TRUE(IsWindow(dialog.m_hWnd)) << "hidden, not destroyed";
    }
}

TEST(ModelessDialog, BoundControlsAnswerThroughTheirObjects) {
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_TEST_DIALOG));
    dialog.m_cbDrive.AddString("E: KESTRAN");
    dialog.m_cbDrive.AddString("F: KESTRAN");
    dialog.m_cbDrive.SetCurSel(1);
    dialog.UpdateData(TRUE);
    EXPECT_EQ(dialog.m_cbDrive.m_hWnd, GetDlgItem(dialog.m_hWnd, IDC_DRIVE_LIST))
        << "a later exchange keeps the binding";
    EXPECT_EQ(dialog.m_cbDrive.GetCount(), 2);
    EXPECT_EQ(dialog.m_cbDrive.GetCurSel(), 1);
    CString text;
    dialog.m_cbDrive.GetLBText(1, text);
    EXPECT_STREQ(text, "F: KESTRAN");

    dialog.m_ctlProgress.SetRange32(0, 25);
    dialog.m_ctlProgress.SetPos(0);
    dialog.m_ctlProgress.OffsetPos(1);
    int lower = -1, upper = -1;
    dialog.m_ctlProgress.GetRange(lower, upper);
    EXPECT_EQ(lower, 0);
    EXPECT_EQ(upper, 25);
    EXPECT_EQ(dialog.m_ctlProgress.GetPos(), 1);

    dialog.SetDlgItemText(IDC_COUNTDOWN, "24 seconds");
    EXPECT_EQ(dialog.GetDlgItemText(IDC_COUNTDOWN, text), 10);
    EXPECT_STREQ(text, "24 seconds");
    dialog.GetDlgItem(IDC_UPDATE)->EnableWindow(FALSE);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog.m_hWnd, IDC_UPDATE)));
}

TEST(ModelessDialog, SystemMenuItemsCanBeAddedAndDisabled) {
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_TEST_DIALOG));
    CMenu* menu = dialog.GetSystemMenu(FALSE);
    ASSERT_NE(menu, nullptr);
    int before = menu->GetMenuItemCount();
    menu->AppendMenu(MF_SEPARATOR);
    menu->AppendMenu(MF_STRING, 0x10, "About...");
    EXPECT_EQ(menu->GetMenuItemCount(), before + 2);
    DisableCloseItem(dialog);
    EXPECT_TRUE(menu->GetMenuState(SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED);
}

} // namespace
