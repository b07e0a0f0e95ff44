// The Qt window of a running dialog: builds the widgets of its template, turns user actions
// into the dialog's messages (WM_COMMAND notifications, WM_SYSCOMMAND, WM_HELP, the F1 key
// for PreTranslateMessage), shows the window menu as the context menu, and runs context-help
// mode. The CDialog owns it for one DoModal, through the dialog-peer interface.
#pragma once

#include <QDialog>
#include <QPointer>
#include <memory>
#include <vector>

#include "platform/wnd/DialogTemplate.h"
#include "platform/wnd/IDialogPeer.h"
#include "platform/wnd/Menu.h"
#include "platform/base/WinMessages.h"

class CDialog;
class CWnd;
class QComboBox;
class QMenu;

class CDialogWindowPeer : public QDialog, public IDialogPeer {
    Q_OBJECT

public:
    struct Control {
        const ControlTemplate* tpl = nullptr;
        QWidget* widget = nullptr;
        std::unique_ptr<CWnd> temporary;  // GetDlgItem's object when no member is bound
    };

    CDialogWindowPeer(CDialog* owner, const DialogTemplate& tpl, QWidget* parent);
    ~CDialogWindowPeer() override;

    CDialog* Owner() const { return m_pOwner; }
    const DialogTemplate& Template() const { return m_template; }

    // IDialogPeer (see there).
    HWND Handle() override;
    int BaseUnitX() const override { return m_baseX; }
    int BaseUnitY() const override { return m_baseY; }
    HWND ControlHandle(int id) const override;
    const ControlTemplate* ControlTemplateOf(int id) const override;
    CWnd* DlgItem(int id) override;
    std::vector<HWND> RadioGroup(int id) const override;
    void DetachAll() override;
    CMenu* SystemMenu(bool revert) override;
    bool InContextHelpMode() const override { return m_contextHelp; }
    void SetContextHelpMode(bool on) override;
    bool ContextHelpClick(int id) override;
    void HandleHelpKey(bool shift) override;
    bool ActivateDefault() override;
    void RequestClose() override;
    void RequestCancel() override;
    void MoveFocus(bool next) override { focusNextPrevChild(next); }
    void FocusFirstControl() override;
    int FocusedControlId() const override;
    int RunLoop() override;
    void EndLoop(int result) override;

    QRect DialogUnitsToPixels(int x, int y, int cx, int cy) const;
    Control* FindControl(int id) const;
    // The control a widget belongs to (the widget or one of its ancestors), or NULL.
    Control* ControlOfWidget(QWidget* widget) const;
    const std::vector<std::unique_ptr<Control>>& Controls() const { return m_controls; }
    // The member bound to the control, else a stand-in object of the control's class.
    CWnd* ObjectForControl(Control& control);
    // The radio buttons of the group that `control` belongs to, in template order.
    std::vector<Control*> RadioControls(const Control& control) const;

    // Pops the window menu up at `globalPos` (not blocking); NULL without a system menu.
    QMenu* PopupSystemMenu(const QPoint& globalPos);
    // A click on `control` in context-help mode: leaves the mode and sends WM_HELP.
    void ContextHelpClick(Control* control, const QPoint& globalPos);
    // Sends WM_COMMAND with the control's notification code to the dialog.
    void Notify(const Control& control, int code);
    bool LoopRunning() const { return m_loopRunning; }

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    void reject() override;

private:
    void ComputeBaseUnits();
    void Build();
    void LayOut();
    double FitTexts();
    QRect TemplateRect(const Control& control) const;
    // The width the widget needs to show its whole text; 0 for kinds whose text is data.
    static int TextWidthNeeded(QWidget* widget);
    QWidget* CreateWidget(const ControlTemplate& tpl);
    void Connect(Control& control);
    void OnButtonClicked(Control& control);
    void ResetSystemMenu();
    void SetMnemonicBuddies();
    void FitComboToItems(QComboBox* combo, const ControlTemplate& tpl);

    CDialog* m_pOwner;
    const DialogTemplate& m_template;
    QFont m_font;
    int m_baseX = 6;
    int m_baseY = 13;
    double m_scaleX = 1.0;  // widens the dialog units where texts do not fit otherwise
    std::vector<std::unique_ptr<Control>> m_controls;
    CMenu m_systemMenu;
    bool m_contextHelp = false;
    bool m_loopRunning = false;
};
