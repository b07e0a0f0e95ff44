#include <gtest/gtest.h>

#include <functional>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QWhatsThis>
#include <QWidget>

#include "platform/testing/DialogDriver.h"
#include "platform/wnd/Menu.h"
#include "platform/testing/ModalScript.h"
#include "platform/qt/DialogWindowPeer.h"
#include "platform/qt/WidgetHandle.h"
#include "res/resource.h"
#include "tests/platform/wnd/TestDialog.h"
#include "tests/support/RecordingHelpService.h"
#include "tests/support/ScriptedUi.h"

namespace {

// Collects what the platform reports instead of failing the test, for the cases that provoke
// a report on purpose.
class CFailureCollector {
public:
    CFailureCollector()
        : m_previous(SetPlatformFailureHook([this](const std::string& message) { m_messages.push_back(message); }))
    {
    }
    ~CFailureCollector() { SetPlatformFailureHook(m_previous); }
    const std::vector<std::string>& Messages() const { return m_messages; }

private:
    std::vector<std::string> m_messages;
    PlatformFailureHook m_previous;
};

QRect WidgetRect(CWnd* wnd)
{
    return WidgetOf(wnd->m_hWnd)->geometry();
}

// Runs `tested` modally with `body` driving it while its controls exist; returns what DoModal
// returned.
int RunTestDialog(CTestDialog& tested, const std::function<void(CTestDialog&, CDialogDriver&)>& body)
{
    CModalScript script;
    script.Expect(IDD_TEST, [&](CDialog& base) {
        CDialogDriver driver(base);
        body(static_cast<CTestDialog&>(base), driver);
    });
    return tested.DoModal();
}

int RunTestDialog(const std::function<void(CTestDialog&, CDialogDriver&)>& body)
{
    CTestDialog tested;
    return RunTestDialog(tested, body);
}

TEST(DialogTemplateTest, ControlsArePlacedAtTheirDialogUnitsConvertedFromTheFont)
{
    CModalScript script;
    script.Expect(IDD_MAIN_DIALOG, [](CDialog& dialog) {
        RECT unit = {0, 0, 4, 8};
        dialog.MapDialogRect(&unit);
        ASSERT_GT(unit.right, 0);
        ASSERT_GT(unit.bottom, 0);
        // Program: 190, 215, 50 x 14 dialog units.
        RECT program = {190, 215, 240, 229};
        dialog.MapDialogRect(&program);
        QRect placed = WidgetRect(dialog.GetDlgItem(IDC_PROGRAM));
        EXPECT_EQ(placed.left(), program.left);
        EXPECT_EQ(placed.top(), program.top);
        EXPECT_EQ(placed.width(), program.right - program.left);
        EXPECT_EQ(placed.height(), program.bottom - program.top);
        RECT client = {0, 0, 244, 234};
        dialog.MapDialogRect(&client);
        RECT window;
        dialog.GetClientRect(&window);
        EXPECT_EQ(window.right, client.right);
        EXPECT_EQ(window.bottom, client.bottom);
        dialog.EndDialog(IDCANCEL);
    });
    CDialog dialog(IDD_MAIN_DIALOG);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST(DialogTemplateTest, ControlIdsHelpIdsTextsAndStylesComeFromTheTemplate)
{
    CModalScript script;
    script.Expect(IDD_MAIN_DIALOG, [](CDialog& dialog) {
        CDialogDriver driver(dialog);
        EXPECT_EQ(dialog.GetDlgItem(IDC_TARGET_TYPE)->GetDlgCtrlID(), IDC_TARGET_TYPE);
        EXPECT_EQ(dialog.GetDlgItem(9999), (CWnd*)NULL);
        EXPECT_EQ(driver.Text(IDC_LOAD_FILE), "&Load File");
        EXPECT_EQ(driver.Text(IDC_PROGRESS_TEXT), "Program Action Progress");
        EXPECT_FALSE(driver.IsEnabled(IDC_OPTIONS));
        EXPECT_TRUE(driver.IsEnabled(IDC_PROGRAM));
        CString caption;
        dialog.GetWindowText(caption);
        EXPECT_EQ(caption, "Brenlow FLASH Programmer");
        EXPECT_EQ(dialog.GetDlgItem(IDC_TARGET_TYPE)->GetParent(), &dialog);
        dialog.EndDialog(IDOK);
    });
    CDialog dialog(IDD_MAIN_DIALOG);
    EXPECT_EQ(dialog.DoModal(), IDOK);
    // The help id rule, and the Program button's exception.
    const DialogTemplate* tpl = FindDialogTemplate(IDD_MAIN_DIALOG);
    ASSERT_NE(tpl, nullptr);
    for (const ControlTemplate& control : tpl->controls) {
        if (control.id == IDC_TARGET_TYPE) {
            EXPECT_EQ(control.helpId, 2154169330u);
        }
        if (control.id == IDC_PROGRAM) {
            EXPECT_EQ(control.helpId, MakeControlHelpId(102, 1041));
        }
    }
}

// The room a control gives its text, as its style draws it; -1 for kinds whose text is data.
int TextRoom(QWidget* widget)
{
    QStyleOptionButton button;
    button.initFrom(widget);
    QStyle* style = widget->style();
    if (qobject_cast<QPushButton*>(widget))
        return style->subElementRect(QStyle::SE_PushButtonContents, &button, widget).width();
    if (qobject_cast<QCheckBox*>(widget))
        return style->subElementRect(QStyle::SE_CheckBoxContents, &button, widget).width();
    if (qobject_cast<QRadioButton*>(widget))
        return style->subElementRect(QStyle::SE_RadioButtonContents, &button, widget).width();
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->contentsRect().width() - 2 * label->margin();
    if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        QStyleOptionGroupBox box;
        box.initFrom(group);
        box.text = group->title();
        box.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        QRect title = style->subControlRect(QStyle::CC_GroupBox, &box, QStyle::SC_GroupBoxLabel, group);
        return group->width() - title.x();
    }
    return -1;
}

QRect DialogUnits(const ControlTemplate& control)
{
    return QRect(control.x, control.y, control.cx, control.cy);
}

// Every dialog shows the whole text of each control in the desktop's font, with nothing run
// into a neighbour, out of its group box or off the dialog; its window has a title and, with
// a window menu, a close box, but never a minimise or maximise button. A cramped template
// stands for a font wider still.
TEST(DialogTemplateTest, EveryTextShowsWholeWithoutOverlapAndWindowsHaveOnlyTheirTitleButtons)
{
    DialogTemplate cramped = PlainTemplate();
    cramped.controls = {
        {2201, ControlKind::AutoCheckBox, "Verify data after programing", 5, 5, 40, 10, CTL_TABSTOP, 0},
        {2202, ControlKind::PushButton, "&Default", 46, 3, 30, 14, CTL_TABSTOP, 0},
        {IDC_STATIC, ControlKind::GroupBox, "Table Write Protect", 5, 20, 50, 30, 0, 0},
        {2203, ControlKind::AutoRadioButton, "Code 00200-01FFF", 8, 30, 44, 10, CTL_TABSTOP, 0},
        {IDC_STATIC, ControlKind::Static, "Watchdog Timer Postscale Selection", 60, 30, 40, 8, 0, 0},
    };
    std::vector<const DialogTemplate*> templates = {&cramped};
    for (UINT id = 1; id < 1000; ++id)
        if (const DialogTemplate* tpl = FindDialogTemplate(id))
            templates.push_back(tpl);
    ASSERT_GE(templates.size(), 14u);
    for (const DialogTemplate* tpl : templates) {
        SCOPED_TRACE("dialog " + std::to_string(tpl->id));
        CDialogWindowPeer dialog(nullptr, *tpl, nullptr);
        Qt::WindowFlags flags = dialog.windowFlags();
        EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
        EXPECT_TRUE(flags & Qt::WindowTitleHint);
        EXPECT_EQ((bool)(flags & Qt::WindowCloseButtonHint), (bool)(tpl->style & DLG_SYSMENU));
        const auto& controls = dialog.Controls();
        for (size_t i = 0; i < controls.size(); ++i) {
            QWidget* widget = controls[i]->widget;
            const ControlTemplate& control = *controls[i]->tpl;
            SCOPED_TRACE(std::string("control ") + control.text);
            QString text = QString::fromUtf8(control.text);
            if (!text.isEmpty() && TextRoom(widget) >= 0) {
                EXPECT_GE(TextRoom(widget), widget->fontMetrics().size(Qt::TextShowMnemonic, text).width());
            }
            EXPECT_TRUE(dialog.rect().contains(widget->geometry()));
            for (size_t j = 0; j < controls.size(); ++j) {
                QWidget* other = controls[j]->widget;
                QRect units = DialogUnits(*controls[j]->tpl);
                if (controls[j]->tpl->kind == ControlKind::GroupBox && j != i && units.contains(DialogUnits(control))) {
                    EXPECT_TRUE(other->geometry().contains(widget->geometry())) << "out of its group box";
                } else if (j < i && !units.intersects(DialogUnits(control))) {
                    EXPECT_FALSE(other->geometry().intersects(widget->geometry())) << controls[j]->tpl->text;
                }
            }
        }
    }
}

TEST(ModalScriptTest, DoModalReturnsTheValueGivenToEndDialogAndRunsInitAndDestroyOnce)
{
    CModalScript script;
    script.Expect(IDD_TEST, [](CDialog& dialog) {
        EXPECT_TRUE(dialog.IsModalRunning());
        EXPECT_EQ(CDialog::GetActiveModal(), &dialog);
        dialog.EndDialog(1234);
    });
    CTestDialog dialog;
    EXPECT_EQ(dialog.DoModal(), 1234);
    EXPECT_EQ(dialog.m_initCount, 1);
    EXPECT_EQ(dialog.m_destroyCount, 1);
    EXPECT_FALSE(dialog.IsModalRunning());
    EXPECT_EQ(CDialog::GetActiveModal(), (CDialog*)NULL);
    // Bound members are cut loose with the widgets.
    EXPECT_EQ(dialog.m_combo.m_hWnd, (HWND)NULL);
    EXPECT_EQ(dialog.m_combo.GetCount(), CB_ERR);
    EXPECT_EQ(script.RunCount(IDD_TEST), 1);
}

TEST(ModalScriptTest, OkSavesTheDataAndCancelDoesNot)
{
    CModalScript script;
    script.Expect(IDD_TEST, [](CDialog& dialog) {
        CDialogDriver driver(dialog);
        EXPECT_TRUE(driver.Type(IDC_T_EDIT, "changed"));
        EXPECT_TRUE(driver.Click(IDOK));
    });
    script.Expect(IDD_TEST, [](CDialog& dialog) {
        CDialogDriver driver(dialog);
        EXPECT_EQ(driver.Text(IDC_T_EDIT), "changed");
        driver.Type(IDC_T_EDIT, "dropped");
        EXPECT_TRUE(driver.PressKey(VK_ESCAPE));
    });
    CTestDialog dialog;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_text, "changed");
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.m_text, "changed");
}

TEST(ModalScriptTest, NestedDialogsRunInsideTheOuterHandler)
{
    CModalScript script;
    std::vector<int> order;
    script.Expect(IDD_TEST, [&](CDialog& outer) {
        order.push_back(1);
        CDialog inner(IDD_CLEAR_CHOICE, &outer);
        EXPECT_EQ(inner.DoModal(), IDOK);
        EXPECT_EQ(CDialog::GetActiveModal(), &outer);
        order.push_back(3);
        outer.EndDialog(IDCANCEL);
    });
    script.Expect(IDD_CLEAR_CHOICE, [&](CDialog& inner) {
        order.push_back(2);
        EXPECT_EQ(inner.GetParent() != NULL, true);
        inner.EndDialog(IDOK);
    });
    CTestDialog dialog;
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(script.RunOrder(), (std::vector<UINT>{IDD_TEST, IDD_CLEAR_CHOICE}));
}

TEST(ModalScriptTest, MisuseIsReportedAndTheDialogEndsWithCancel)
{
    CFailureCollector failures;
    {
        CModalScript script;
        CTestDialog unexpected;
        EXPECT_EQ(unexpected.DoModal(), IDCANCEL);
        ASSERT_EQ(failures.Messages().size(), 1u);
        EXPECT_NE(failures.Messages()[0].find("Unexpected dialog 900"), std::string::npos);

        script.Expect(IDD_TEST, [](CDialog&) {});
        CTestDialog leftOpen;
        EXPECT_EQ(leftOpen.DoModal(), IDCANCEL);
        ASSERT_EQ(failures.Messages().size(), 2u);
        EXPECT_NE(failures.Messages()[1].find("left it open"), std::string::npos);

        script.Expect(IDD_ABOUTBOX, [](CDialog& dialog) { dialog.EndDialog(IDOK); });
    }
    ASSERT_EQ(failures.Messages().size(), 3u);
    EXPECT_NE(failures.Messages()[2].find("Dialog 100 was expected"), std::string::npos);
    // Without any script a headless run cannot show the dialog, and says so.
    CTestDialog noScript;
    EXPECT_EQ(noScript.DoModal(), IDCANCEL);
    EXPECT_EQ(failures.Messages().size(), 4u);
}

TEST(DataExchangeTest, LoadsMembersIntoControlsAndSavesThemBack)
{
    CTestDialog tested;
    RunTestDialog(tested, [](CTestDialog& dialog, CDialogDriver& driver) {
        EXPECT_EQ(driver.Text(IDC_T_EDIT), "initial");
        EXPECT_EQ(driver.Text(IDC_T_NUMBER), "42");
        EXPECT_EQ(dialog.m_check.GetCheck(), BST_CHECKED);
        EXPECT_EQ(dialog.IsDlgButtonChecked(IDC_T_RADIO2), (UINT)BST_CHECKED);
        EXPECT_EQ(dialog.IsDlgButtonChecked(IDC_T_RADIO1), (UINT)BST_UNCHECKED);

        driver.Type(IDC_T_NUMBER, " -17 ");
        driver.Click(IDC_T_CHECK);
        driver.Click(IDC_T_RADIO3);
        driver.Click(IDC_T_OTHER_RADIO);  // another group: the first group keeps its choice
        dialog.m_combo.AddString("a");
        dialog.m_combo.AddString("b");
        driver.Select(IDC_T_COMBO, 1);
        EXPECT_TRUE(dialog.UpdateData(TRUE));
        dialog.EndDialog(IDOK);
    });
    EXPECT_EQ(tested.m_number, -17);
    EXPECT_EQ(tested.m_checked, BST_UNCHECKED);
    EXPECT_EQ(tested.m_radio, 2);
    EXPECT_EQ(tested.m_comboIndex, 1);
}

TEST(DataExchangeTest, BadNumberFailsValidationTellsTheUserAndKeepsTheDialogOpen)
{
    CScriptedUi ui;
    ui.ExpectMessage("Please enter an integer.", MB_OK | MB_ICONEXCLAMATION, IDOK);
    CTestDialog tested;
    int ended = RunTestDialog(tested, [&ui](CTestDialog& dialog, CDialogDriver& driver) {
        driver.Type(IDC_T_NUMBER, "12x");
        driver.Click(IDOK);
        EXPECT_FALSE(dialog.IsEnding());
        EXPECT_EQ(driver.FocusedId(), IDC_T_NUMBER);
        driver.Type(IDC_T_NUMBER, "99999999999");  // out of range is as bad as junk
        ui.ExpectMessage("Please enter an integer.", MB_OK | MB_ICONEXCLAMATION, IDOK);
        driver.Click(IDOK);
        EXPECT_FALSE(dialog.IsEnding());
        driver.Click(IDCANCEL);
    });
    EXPECT_EQ(ended, IDCANCEL);
    EXPECT_EQ(tested.m_number, 42);
}

TEST(DialogInputTest, NotificationsComeFromUserActionsOnly)
{
    RunTestDialog([](CTestDialog& dialog, CDialogDriver& driver) {
        dialog.m_log.clear();
        dialog.m_combo.AddString("first");
        dialog.m_combo.AddString("second");
        dialog.m_combo.SetCurSel(0);
        dialog.m_multiList.AddString("row 0");
        dialog.m_multiList.AddString("row 1");
        dialog.m_multiList.SetSel(0, TRUE);
        EXPECT_TRUE(dialog.m_log.empty());
        driver.Select(IDC_T_COMBO, 1);
        driver.SelectListItem(IDC_T_MULTI_LIST, 1);
        driver.Click(IDC_T_BUTTON);
        driver.Click(IDC_T_CHECK);
        dialog.m_edit.SetWindowText("by code");  // an edit reports every change, as Win32 does
        EXPECT_EQ(dialog.m_log, (std::vector<CString>{"combo:second", "list", "button", "check:0", "edit"}));
        dialog.GetDlgItem(IDC_T_BUTTON)->EnableWindow(FALSE);
        EXPECT_FALSE(driver.Click(IDC_T_BUTTON));
        EXPECT_EQ(dialog.m_log.size(), 5u);
        dialog.EndDialog(IDOK);
    });
}

TEST(DialogInputTest, EnterPressesTheFocusedButtonElseTheEnabledDefaultButton)
{
    int ended = RunTestDialog([](CTestDialog& dialog, CDialogDriver& driver) {
        dialog.GetDlgItem(IDC_T_BUTTON)->SetFocus();
        EXPECT_TRUE(driver.PressKey(VK_RETURN));
        EXPECT_EQ(dialog.m_log.back(), "button");
        EXPECT_FALSE(dialog.IsEnding());
        dialog.GetDlgItem(IDC_T_EDIT)->SetFocus();
        dialog.GetDlgItem(IDOK)->EnableWindow(FALSE);
        EXPECT_FALSE(driver.PressKey(VK_RETURN));
        EXPECT_FALSE(dialog.IsEnding());
        dialog.GetDlgItem(IDOK)->EnableWindow(TRUE);
        EXPECT_TRUE(driver.PressKey(VK_RETURN));
        EXPECT_TRUE(dialog.IsEnding());
    });
    EXPECT_EQ(ended, IDOK);
}

TEST(DialogInputTest, CloseBoxGoesThroughTheSystemCommandToCancel)
{
    CModalScript script;
    script.Expect(IDD_TEST, [](CDialog& dialog) { CDialogDriver(dialog).Close(); });
    CTestDialog dialog;
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.m_sysCommands, (std::vector<UINT>{SC_CLOSE}));
}

TEST(SystemMenuTest, AppendedItemsSendTheirIdsAsSystemCommands)
{
    CModalScript script;
    script.Expect(IDD_TEST, [](CDialog& base) {
        auto& dialog = static_cast<CTestDialog&>(base);
        CMenu* menu = dialog.GetSystemMenu(FALSE);
        ASSERT_NE(menu, nullptr);
        menu->AppendMenu(MF_SEPARATOR);
        menu->AppendMenu(MF_STRING, IDM_ABOUTBOX, "&About Brenlow FLASH Programmer");
        CDialogDriver driver(dialog);
        EXPECT_TRUE(driver.SystemMenu(IDM_ABOUTBOX));
        EXPECT_FALSE(driver.SystemMenu(0x0020));
        EXPECT_EQ(dialog.m_sysCommands, (std::vector<UINT>{IDM_ABOUTBOX}));
        EXPECT_EQ(dialog.GetSystemMenu(TRUE), (CMenu*)NULL);
        EXPECT_FALSE(driver.SystemMenu(IDM_ABOUTBOX));
        dialog.EndDialog(IDOK);
    });
    CTestDialog dialog;
    dialog.DoModal();

    script.Expect(IDD_TEST, [](CDialog& shown) {
        EXPECT_EQ(shown.GetSystemMenu(FALSE), (CMenu*)NULL);
        shown.EndDialog(IDOK);
    });
    CTestDialog plain(PlainTemplate());
    plain.DoModal();
}

TEST(SystemMenuTest, ShiftF10OpensTheWindowMenuAsAPopupWhoseItemsReachTheDialog)
{
    RunTestDialog([](CTestDialog& dialog, CDialogDriver&) {
        dialog.GetSystemMenu(FALSE)->AppendMenu(MF_STRING, IDM_ABOUTBOX, "&About");
        QWidget* window = WidgetOf(dialog.m_hWnd);
        window->show();
        QWidget* target = WidgetOf(dialog.GetDlgItem(IDC_T_BUTTON)->m_hWnd);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_F10, Qt::ShiftModifier);
        QApplication::sendEvent(target, &press);
        // A key press sets the application's idea of the held modifiers until the next one:
        // press nothing, so that later tests do not see Shift held.
        QKeyEvent plain(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier);
        QApplication::sendEvent(target, &plain);
        QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        QAction* about = nullptr;
        for (QAction* action : menu->actions())
            if (action->text().startsWith(QLatin1String("&About")))
                about = action;
        ASSERT_NE(about, nullptr);
        about->trigger();
        menu->close();
        QApplication::processEvents();
        EXPECT_EQ(dialog.m_sysCommands, (std::vector<UINT>{IDM_ABOUTBOX}));
        dialog.EndDialog(IDOK);
    });
}

TEST(HelpKeysTest, F1ReachesPreTranslateMessageThenOpensTheDialogTopic)
{
    CRecordingHelpService help;
    RunTestDialog([](CTestDialog& dialog, CDialogDriver& driver) {
        driver.PressKey(VK_F1);
        EXPECT_EQ(dialog.m_preTranslated, (std::vector<UINT>{WM_KEYF1}));
        dialog.m_consumeF1 = TRUE;
        driver.PressKey(VK_F1);  // consumed: no second topic
        dialog.EndDialog(IDOK);
    });
    ASSERT_GE(help.Calls().size(), 1u);
    EXPECT_EQ(help.Calls()[0].kind, CRecordingHelpService::Topic);
    EXPECT_EQ(help.Calls()[0].contextId, 0x20000u + IDD_TEST);
    EXPECT_EQ(help.Calls().size(), 1u);
}

TEST(HelpKeysTest, ShiftF1EntersContextHelpAndAClickedControlAsksForItsPopup)
{
    CRecordingHelpService help;
    RunTestDialog([](CTestDialog& dialog, CDialogDriver& driver) {
        EXPECT_FALSE(driver.ContextHelpClick(IDC_T_COMBO));  // not in the mode yet
        driver.PressKey(VK_F1, TRUE);
        EXPECT_TRUE(dialog.IsInContextHelpMode());
        EXPECT_EQ(QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : Qt::ArrowCursor,
                  Qt::WhatsThisCursor);
        EXPECT_TRUE(driver.ContextHelpClick(IDC_T_COMBO));
        EXPECT_FALSE(dialog.IsInContextHelpMode());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        ASSERT_EQ(dialog.m_helpInfos.size(), 1u);
        EXPECT_EQ(dialog.m_helpInfos[0].iContextType, HELPINFO_WINDOW);
        EXPECT_EQ(dialog.m_helpInfos[0].iCtrlId, IDC_T_COMBO);
        EXPECT_EQ(dialog.m_helpInfos[0].dwContextId, MakeControlHelpId(IDD_TEST, IDC_T_COMBO));
        // The window menu is the other way in; Esc leaves the mode without closing.
        CDialogDriver(dialog).SystemMenu(SC_CONTEXTHELP);
        EXPECT_TRUE(dialog.IsInContextHelpMode());
        driver.PressKey(VK_ESCAPE);
        EXPECT_FALSE(dialog.IsInContextHelpMode());
        EXPECT_FALSE(dialog.IsEnding());
        // So is the title bar's "?" button, which starts Qt's own What's This mode.
        QWhatsThis::enterWhatsThisMode();
        QApplication::processEvents();
        EXPECT_FALSE(QWhatsThis::inWhatsThisMode());
        EXPECT_TRUE(dialog.IsInContextHelpMode());
        driver.PressKey(VK_ESCAPE);
        dialog.EndDialog(IDOK);
    });
    ASSERT_EQ(help.Calls().size(), 1u);
    EXPECT_EQ(help.Calls()[0].kind, CRecordingHelpService::Popup);
    EXPECT_EQ(help.Calls()[0].contextId, MakeControlHelpId(IDD_TEST, IDC_T_COMBO));
}

}  // namespace
