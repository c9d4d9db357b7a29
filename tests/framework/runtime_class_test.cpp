// Run-time class information: names and the chain of bases.
#include <gtest/gtest.h>

#include "framework/cdialog.h"
#include "framework/controls.h"
#include "framework/cwinapp.h"

namespace {

class CInformedDlg : public CDialog {
    DECLARE_DYNAMIC(CInformedDlg)
};
IMPLEMENT_DYNAMIC(CInformedDlg, CDialog)

// Without information of its own a class reports its nearest base's.
class CPlainDlg : public CDialog {};

TEST(RuntimeClass, NamesTheClassAndKnowsItsBases) {
    CInformedDlg informed;
    CPlainDlg plain;
    CComboBox combo;
    struct Case {
        const CObject* object;
        const char* name;
        const CRuntimeClass* asked;
        bool kindOf;
    };
    const Case cases[] = {
        {&informed, "CInformedDlg", RUNTIME_CLASS(CInformedDlg), true},
        {&informed, "CInformedDlg", RUNTIME_CLASS(CDialog), true},
        {&informed, "CInformedDlg", RUNTIME_CLASS(CWnd), true},
        {&informed, "CInformedDlg", RUNTIME_CLASS(CObject), true},
        {&informed, "CInformedDlg", RUNTIME_CLASS(CComboBox), false},
        {&plain, "CDialog", RUNTIME_CLASS(CDialog), true},
        {&plain, "CDialog", RUNTIME_CLASS(CInformedDlg), false},
        {&combo, "CComboBox", RUNTIME_CLASS(CWnd), true},
        {&combo, "CComboBox", RUNTIME_CLASS(CDialog), false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(std::string(test.name) + " as " + test.asked->m_lpszClassName);
        EXPECT_STREQ(test.object->GetRuntimeClass()->m_lpszClassName, test.name);
        EXPECT_EQ(test.object->IsKindOf(test.asked), test.kindOf);
    }
    EXPECT_EQ(RUNTIME_CLASS(CInformedDlg)->m_pBaseClass, RUNTIME_CLASS(CDialog));
}

} // namespace
