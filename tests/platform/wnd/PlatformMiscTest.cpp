#include <gtest/gtest.h>

#include "platform/wnd/Application.h"
#include "platform/testing/ModalScript.h"
#include "platform/base/WinMessages.h"
#include "tests/platform/wnd/TestDialog.h"

namespace {

TEST(StartUpTest, DefaultHelpPathIsTheProgramPathWithItsExtensionReplaced)
{
    CString program = ProgramPath();
    ASSERT_FALSE(program.IsEmpty());
    CString help = DefaultHelpFilePath();
    EXPECT_EQ(help, program + ".HLP");  // the test program has no extension
}

TEST(DataExchangeTest, BindingToAMissingControlOrAWrongClassIsReported)
{
    std::vector<std::string> reports;
    PlatformFailureHook previous = SetPlatformFailureHook(
        [&](const std::string& message) { reports.push_back(message); });
    CModalScript script;
    script.Expect(IDD_TEST, [](CDialog& dialog) {
        CDataExchange exchange(&static_cast<CDialog&>(dialog), FALSE);
        CListBox wrongClass;
        DDX_Control(&exchange, IDC_T_COMBO, wrongClass);
        EXPECT_EQ(wrongClass.m_hWnd, (HWND)NULL);
        CComboBox missing;
        DDX_Control(&exchange, 4711, missing);
        CString text;
        DDX_Text(&exchange, 4712, text);
        dialog.EndDialog(IDOK);
    });
    CTestDialog dialog;
    dialog.DoModal();
    SetPlatformFailureHook(previous);
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_NE(reports[0].find("wrong class"), std::string::npos);
    EXPECT_NE(reports[1].find("no control 4711"), std::string::npos);
    EXPECT_NE(reports[2].find("no control 4712"), std::string::npos);
}

}  // namespace
