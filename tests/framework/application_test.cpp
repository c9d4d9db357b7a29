// The application object through AfxWinMain: InitInstance, Run and ExitInstance, and the exit
// code that the program returns.
#include <gtest/gtest.h>

#include <memory>

#include "framework/cwinapp.h"
#include "tests/framework/recording_dialog.h"

namespace {

// A hidden modeless main window that posts the quit message with its code at its first timer
// tick, as the automatic-mode dialog ends the message loop.
class QuittingDialog : public RecordingDialog {
public:
    int quitCode = 0;

protected:
    void OnTimer(UINT_PTR nIDEvent) {
        KillTimer(nIDEvent);
        events.push_back("OnTimer");
        PostQuitMessage(quitCode);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(QuittingDialog, RecordingDialog)
ON_WM_TIMER()
END_MESSAGE_MAP()

class TestApp : public CWinApp {
public:
    std::function<BOOL(TestApp&)> initInstance;
    std::vector<std::string> calls;
    std::unique_ptr<QuittingDialog> dialog;

    BOOL InitInstance() override {
        calls.push_back("InitInstance");
        return initInstance(*this);
    }
    int Run() override {
        calls.push_back("Run");
        return CWinApp::Run();
    }
    int ExitInstance() override {
        calls.push_back("ExitInstance");
        dialog.reset();
        return CWinApp::ExitInstance();
    }
};

int RunApplication(TestApp&) {
    return AfxWinMain(GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOW);
}

TEST(Application, RunEndsAtTheQuitMessageAndExitInstanceReturnsItsCode) {
    for (int code : {0, 1}) {
        SCOPED_TRACE(code);
        TestApp app;
        app.initInstance = [code](TestApp& a) {
            a.dialog.reset(new QuittingDialog);
            a.dialog->quitCode = code;
            a.dialog->Create(IDD_TEST_DIALOG);
            a.m_pMainWnd = a.dialog.get();
            a.dialog->SetTimer(1, 10);
            return TRUE;
        };
        EXPECT_EQ(RunApplication(app), code);
        EXPECT_EQ(app.calls, (std::vector<std::string>{"InitInstance", "Run", "ExitInstance"}));
        EXPECT_EQ(app.m_pMainWnd, nullptr) << "the destroyed main window is no longer named";
    }
}

TEST(Application, ExitInstanceRunsWithoutRunWhenInitInstanceFails) {
    TestApp app;
    app.initInstance = [](TestApp&) {
        PostQuitMessage(5);
        return FALSE;
    };
    RunApplication(app);
    EXPECT_EQ(app.calls, (std::vector<std::string>{"InitInstance", "ExitInstance"}));
    MSG quit = {};
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "nothing pumped";
}

TEST(Application, QuitMetInAModalLoopBecomesTheExitCode) {
    TestApp app;
    app.initInstance = [](TestApp&) {
        RecordingDialog dialog;
        dialog.onInitDialog = [](RecordingDialog&) { PostQuitMessage(9); };
        dialog.DoModal();
        return TRUE;
    };
    EXPECT_EQ(RunApplication(app), 9);
}

TEST(Application, WithoutRunTheExitCodeIsTheLastMessageOfTheModalLoop) {
    TestApp app;
    app.initInstance = [](TestApp&) {
        RecordingDialog dialog;
        // The cancel command is the last message the loop retrieves; its wParam is IDCANCEL.
        dialog.onInitDialog = [](RecordingDialog& d) {
            d.PostMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED));
        };
        dialog.DoModal();
        return FALSE;
    };
    EXPECT_EQ(RunApplication(app), IDCANCEL);
}

TEST(Application, IsTheOneApplicationObject) {
    TestApp app;
    EXPECT_EQ(AfxGetApp(), &app);
    EXPECT_STREQ(app.m_pszAppName, "framework_test") << "named after its program file";
}

} // namespace
