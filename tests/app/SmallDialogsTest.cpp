#include <cstdlib>
#include <cstring>
#include <functional>

#include <QApplication>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <gtest/gtest.h>
#include <qpa/qwindowsysteminterface.h>

#include "app/AboutBox.h"
#include "app/ClearChoice.h"
#include "app/ModuleSelect.h"
#include "app/QuilletApp.h"
#include "app/TargetOptions.h"
#include "platform/wnd/ComboBox.h"
#include "platform/testing/DialogDriver.h"
#include "platform/wnd/Edit.h"
#include "platform/testing/ModalScript.h"
#include "platform/qt/QtHelpService.h"
#include "platform/qt/WidgetHandle.h"
#include "res/resource.h"
#include "tests/support/RecordingHelpService.h"
#include "tests/support/RecordingTarget.h"
#include "tests/support/StoredSettings.h"
#include "tests/support/UserInputWindow.h"

namespace {

const DWORD kNotStored = 0xDEADBEEF;

class SmallDialogTest : public ::testing::Test {
protected:
    void SetUp() override { theApp.m_dwOptions = 0; }
    void TearDown() override { theApp.m_dwOptions = 0; }

    // Runs `dialog` modally; `body` drives it while it is open and ends it.
    static INT_PTR Run(CDialog& dialog, std::function<void(CDialog&, CDialogDriver&)> body)
    {
        CModalScript script;
        script.Expect(dialog.GetTemplateId(), [&](CDialog& open) {
            CDialogDriver driver(open);
            body(open, driver);
        });
        INT_PTR result = dialog.DoModal();
        script.VerifyAndClear();
        return result;
    }

    static DWORD StoredOptions() { return StoredDword("Options"); }
    static void ForgetStoredOptions() { DeleteSetting("Options"); }

    CRecordingHelpService m_help;
};

TEST_F(SmallDialogTest, AboutBoxEndsWithOkAndHasNoWindowMenu)
{
    CAboutBox about;
    EXPECT_EQ(IDOK, Run(about, [](CDialog& dialog, CDialogDriver& driver) {
                  EXPECT_EQ(nullptr, dialog.GetSystemMenu(FALSE));
                  EXPECT_TRUE(driver.Click(IDOK));
              }));
}

TEST_F(SmallDialogTest, ClearChoiceButtonsEndWithOkAndTheirChoiceEscCancels)
{
    CClearChoice whole, selected, none;
    EXPECT_EQ(IDOK, Run(whole, [](CDialog&, CDialogDriver& d) {
                  EXPECT_EQ("Clear Whole Buffer", d.Text(IDC_CLEAR_WHOLE));
                  EXPECT_EQ("Clear Selected Only", d.Text(IDC_CLEAR_SELECTED));
                  d.Click(IDC_CLEAR_WHOLE);
              }));
    EXPECT_EQ(CClearChoice::choiceWholeBuffer, whole.GetChoice());
    EXPECT_EQ(IDOK, Run(selected, [](CDialog&, CDialogDriver& d) { d.Click(IDC_CLEAR_SELECTED); }));
    EXPECT_EQ(CClearChoice::choiceSelectedOnly, selected.GetChoice());
    EXPECT_EQ(IDCANCEL, Run(none, [](CDialog&, CDialogDriver& d) { d.PressKey(VK_ESCAPE); }));
}

TEST_F(SmallDialogTest, ModuleSelectWithoutPreselectionEnablesOkOnAChoice)
{
    CRecordingTarget target(0x72);
    target.SetModules({"FLASH", "Thin Stub", "EEPROM"});
    CModuleSelect select(&target, "/data/image.hex", -1);
    EXPECT_EQ(IDOK, Run(select, [](CDialog& dialog, CDialogDriver& driver) {
                  CComboBox* combo = (CComboBox*)dialog.GetDlgItem(IDC_MODULE_TYPE);
                  ASSERT_EQ(3, combo->GetCount());
                  CString text;
                  combo->GetLBText(1, text);
                  EXPECT_EQ("Thin Stub", text) << "module order, not sorted";
                  EXPECT_EQ(CB_ERR, combo->GetCurSel());
                  EXPECT_EQ("/data/image.hex", driver.Text(IDC_MODULE_FILE));
                  EXPECT_TRUE(((CEdit*)dialog.GetDlgItem(IDC_MODULE_FILE))->IsReadOnly());
                  EXPECT_EQ("OK", driver.Text(IDOK));
                  EXPECT_EQ("Cancel", driver.Text(IDCANCEL));
                  EXPECT_FALSE(driver.Click(IDOK));
                  EXPECT_TRUE(driver.Select(IDC_MODULE_TYPE, 2));
                  EXPECT_TRUE(driver.Click(IDOK));
              }));
    EXPECT_EQ(2, select.GetSelection());
}

TEST_F(SmallDialogTest, ModuleSelectShowsThePreselectionAndCancels)
{
    CRecordingTarget target(0x72);
    target.SetModules({"FLASH", "Thin Stub"});
    CModuleSelect select(&target, "/data/stub.hex", 1);
    EXPECT_EQ(IDCANCEL, Run(select, [](CDialog& dialog, CDialogDriver& driver) {
                  EXPECT_EQ(1, ((CComboBox*)dialog.GetDlgItem(IDC_MODULE_TYPE))->GetCurSel());
                  EXPECT_TRUE(driver.IsEnabled(IDOK));
                  driver.Click(IDCANCEL);
              }));
}

TEST_F(SmallDialogTest, TargetOptionsForAnotherTargetKeepsTheStartupTargetAndWritesIt)
{
    theApp.m_dwOptions = 5;
    ForgetStoredOptions();
    CTargetOptions options(3);
    EXPECT_EQ(IDOK, Run(options, [](CDialog& dialog, CDialogDriver& driver) {
                  EXPECT_EQ("&Default to target on startup", driver.Text(IDC_DEFAULT_TARGET));
                  EXPECT_EQ(BST_UNCHECKED, dialog.IsDlgButtonChecked(IDC_DEFAULT_TARGET));
                  driver.Click(IDOK);
              }));
    EXPECT_EQ(5u, theApp.m_dwOptions);
    EXPECT_EQ(5u, StoredOptions());
}

TEST_F(SmallDialogTest, TargetOptionsTickAndUntickChangeOnlyTheStartupByte)
{
    theApp.m_dwOptions = 0x1205;
    CTargetOptions tick(3), untick(3);
    Run(tick, [](CDialog&, CDialogDriver& driver) {
        driver.Click(IDC_DEFAULT_TARGET);
        driver.Click(IDOK);
    });
    EXPECT_EQ(0x1203u, StoredOptions());
    Run(untick, [](CDialog& dialog, CDialogDriver& driver) {
        EXPECT_EQ(BST_CHECKED, dialog.IsDlgButtonChecked(IDC_DEFAULT_TARGET));
        driver.Click(IDC_DEFAULT_TARGET);
        driver.Click(IDOK);
    });
    EXPECT_EQ(0x1200u, theApp.m_dwOptions);
    EXPECT_EQ(0x1200u, StoredOptions());
}

TEST_F(SmallDialogTest, TargetOptionsCancelWritesNothing)
{
    theApp.m_dwOptions = 5;
    ForgetStoredOptions();
    CTargetOptions options(3);
    Run(options, [](CDialog&, CDialogDriver& driver) {
        driver.Click(IDC_DEFAULT_TARGET);
        driver.Click(IDCANCEL);
    });
    EXPECT_EQ(5u, theApp.m_dwOptions);
    EXPECT_EQ(kNotStored, StoredOptions());
}

// Every dialog built on the help-aware base behaves alike; two stand for all of them.
TEST_F(SmallDialogTest, F1OpensTheDialogTopicAndClosingQuitsHelp)
{
    CRecordingTarget target(0x72);
    CModuleSelect select(&target, "x.hex", 0);
    Run(select, [&](CDialog& dialog, CDialogDriver& driver) {
        EXPECT_TRUE(driver.PressKey(VK_F1));
        ASSERT_EQ(1u, m_help.Calls().size());
        EXPECT_EQ(CRecordingHelpService::Topic, m_help.Calls()[0].kind);
        EXPECT_EQ(0x20082u, m_help.Calls()[0].contextId);
        dialog.EndDialog(IDCANCEL);
    });
    EXPECT_EQ(CRecordingHelpService::Quit_, m_help.Calls().back().kind);
    EXPECT_FALSE(m_help.IsOpen());
}

TEST_F(SmallDialogTest, ShiftF1PopsUpAControlsHelpAndMenuHelpIsSwallowed)
{
    CTargetOptions options(3);
    Run(options, [&](CDialog& dialog, CDialogDriver& driver) {
        EXPECT_TRUE(driver.PressKey(VK_F1, TRUE));
        EXPECT_TRUE(dialog.IsInContextHelpMode());
        EXPECT_TRUE(driver.ContextHelpClick(IDCANCEL));
        HELPINFO menuHelp;
        menuHelp.iContextType = HELPINFO_MENUITEM;
        menuHelp.dwContextId = 0x1234;
        EXPECT_EQ(TRUE, dialog.SendMessage(WM_HELP, 0, (LPARAM)&menuHelp));
        ASSERT_EQ(1u, m_help.Calls().size());
        EXPECT_EQ(CRecordingHelpService::Popup, m_help.Calls()[0].kind);
        EXPECT_EQ(0x80850002u, m_help.Calls()[0].contextId);
        dialog.EndDialog(IDCANCEL);
    });
}

// Input as the display delivers it: to a window that a modal dialog blocks, nothing arrives.
void PressKey(QWidget* window, Qt::Key key)
{
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease})
        QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::SynchronousDelivery>(window->windowHandle(),
                                                                                            type, key, Qt::NoModifier);
}

void Click(QWidget* widget, QPoint at)
{
    QPointF local = widget->mapTo(widget->window(), at);
    QPointF global = widget->mapToGlobal(at);
    QWindow* window = widget->window()->windowHandle();
    QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::SynchronousDelivery>(
        window, local, global, Qt::LeftButton, Qt::LeftButton, QEvent::MouseButtonPress);
    QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::SynchronousDelivery>(
        window, local, global, Qt::NoButton, Qt::LeftButton, QEvent::MouseButtonRelease);
}

// The help window opened from a running dialog comes up in front, scrolls, follows its links
// and closes on Esc or its close box, while the dialog goes on running and stays modal for
// every other window; the dialog's end closes it.
TEST_F(SmallDialogTest, HelpWindowTakesInputBesideTheRunningDialogAndEndsWithIt)
{
    CQtHelpService help;
    CScopedService<IHelpService*> useHelp(HelpServiceSlot(), &help);
    char* helpFile = theApp.m_pszHelpFilePath;
    theApp.m_pszHelpFilePath = strdup(QUILLET_SOURCE_DIR "/res/Kelvane.hlp");
    CUserInputWindow other;
    CTargetOptions options(3);
    Run(options, [&](CDialog& dialog, CDialogDriver& driver) {
        WidgetOf(dialog.m_hWnd)->show();  // modal, as under its own event loop
        ASSERT_TRUE(driver.PressKey(VK_F1));
        ASSERT_TRUE(help.IsOpen());
        QApplication::processEvents();
        QTextBrowser* browser = help.Browser();
        QWidget* window = browser->window();
        EXPECT_EQ(window, QApplication::activeWindow());

        help.ShowIndex(theApp.m_pszHelpFilePath);
        window->resize(300, 120);
        QApplication::processEvents();
        PressKey(window, Qt::Key_PageDown);
        EXPECT_GT(browser->verticalScrollBar()->value(), 0);
        QTextCursor link(browser->document()->findBlockByLineNumber(1));
        PressKey(window, Qt::Key_PageUp);
        Click(browser->viewport(), browser->cursorRect(link).center() + QPoint(4, 0));
        EXPECT_FALSE(browser->toPlainText().startsWith(QStringLiteral("Contents")));

        other.QueueClick();
        QApplication::processEvents();
        EXPECT_EQ(0, other.Clicks());

        PressKey(window, Qt::Key_Escape);
        EXPECT_FALSE(help.IsOpen());
        EXPECT_FALSE(dialog.IsEnding());
        ASSERT_TRUE(driver.PressKey(VK_F1));
        QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::SynchronousDelivery>(
            help.Browser()->window()->windowHandle());
        EXPECT_FALSE(help.IsOpen());
        EXPECT_FALSE(dialog.IsEnding());
        ASSERT_TRUE(driver.PressKey(VK_F1));
        dialog.EndDialog(IDCANCEL);
    });
    EXPECT_FALSE(help.IsOpen());
    free(theApp.m_pszHelpFilePath);
    theApp.m_pszHelpFilePath = helpFile;
}

}  // namespace
