#include <gtest/gtest.h>

#include "platform/Application.h"
#include "platform/Menu.h"
#include "platform/ModalScript.h"
#include "platform/WinMessages.h"
#include "tests/platform/TestDialog.h"

namespace {

TEST(MenuTest, ItemsByPositionAndByCommand)
{
    CMenu menu;
    menu.AppendMenu(MF_STRING, SC_CLOSE, "&Close");
    menu.AppendMenu(MF_SEPARATOR, 99, "ignored");
    menu.AppendMenu(MF_STRING, 0x0010, "&About");
    EXPECT_EQ(menu.GetMenuItemCount(), 3);
    EXPECT_EQ(menu.GetMenuItemID(1), 0u);
    EXPECT_EQ(menu.GetMenuItemID(2), 0x0010u);
    EXPECT_EQ(menu.GetMenuItemID(3), (UINT)-1);
    CString text;
    EXPECT_EQ(menu.GetMenuString(0x0010, text, MF_BYCOMMAND), 6);
    EXPECT_EQ(text, "&About");
    EXPECT_EQ(menu.GetMenuString(99, text, MF_BYCOMMAND), 0);   // separators have no command
    EXPECT_TRUE(menu.RemoveMenu(0, MF_BYPOSITION));
    EXPECT_FALSE(menu.RemoveMenu(SC_CLOSE, MF_BYCOMMAND));
    EXPECT_EQ(menu.GetMenuItemCount(), 2);
}

TEST(KeyStateTest, SimulatedKeysReadAsDown)
{
    EXPECT_GE(GetKeyState(VK_SHIFT), 0);
    SetSimulatedKeyState(VK_SHIFT, TRUE);
    EXPECT_LT(GetKeyState(VK_SHIFT), 0);
    EXPECT_GE(GetKeyState(VK_CONTROL), 0);
    SetSimulatedKeyState(VK_SHIFT, FALSE);
    EXPECT_GE(GetKeyState(VK_SHIFT), 0);
    EXPECT_GE(GetKeyState(VK_F1), 0);
}

TEST(StartUpTest, DefaultHelpPathIsTheProgramPathWithItsExtensionReplaced)
{
    CString program = ProgramPath();
    ASSERT_FALSE(program.IsEmpty());
    CString help = DefaultHelpFilePath();
    EXPECT_EQ(help, program + ".HLP");   // the test program has no extension
}

TEST(DataExchangeTest, BindingToAMissingControlOrAWrongClassIsReported)
{
    std::vector<std::string> reports;
    PlatformFailureHook previous =
        SetPlatformFailureHook([&](const std::string& message) { reports.push_back(message); });
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

} // namespace
