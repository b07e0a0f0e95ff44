// The Qt window of a running dialog: builds the widgets of its template, turns user actions
// into the dialog's messages (WM_COMMAND notifications, WM_SYSCOMMAND, WM_HELP, the F1 key
// for PreTranslateMessage), shows the window menu as the context menu, and runs context-help
// mode. The CDialog owns it for one DoModal.
#pragma once

#include <QDialog>
#include <QPointer>
#include <memory>
#include <vector>

#include "platform/wnd/DialogTemplate.h"
#include "platform/wnd/Menu.h"
#include "platform/base/WinMessages.h"

class CDialog;
class CWnd;
class QComboBox;
class QMenu;

class CDialogWindowPeer : public QDialog {
    Q_OBJECT

public:
    struct Control {
        const ControlTemplate* tpl = nullptr;
        QWidget* widget = nullptr;
        std::unique_ptr<CWnd> temporary;   // GetDlgItem's object when no member is bound
    };

    CDialogWindowPeer(CDialog* owner, const DialogTemplate& tpl, QWidget* parent);
    ~CDialogWindowPeer() override;

    CDialog* Owner() const { return m_pOwner; }
    const DialogTemplate& Template() const { return m_template; }

    // Dialog base units in pixels (average character width, character height).
    int BaseUnitX() const { return m_baseX; }
    int BaseUnitY() const { return m_baseY; }
    QRect DialogUnitsToPixels(int x, int y, int cx, int cy) const;

    Control* FindControl(int id) const;
    // The control a widget belongs to (the widget or one of its ancestors), or NULL.
    Control* ControlOfWidget(QWidget* widget) const;
    const std::vector<std::unique_ptr<Control>>& Controls() const { return m_controls; }
    // The member bound to the control, else a stand-in object of the control's class.
    CWnd* ObjectForControl(Control& control);
    // The radio buttons of the group that `control` belongs to, in template order.
    std::vector<Control*> RadioGroup(const Control& control) const;
    // Cuts every object's tie to the widgets (before they go).
    void DetachAll();

    // The window menu, or NULL without the system-menu style; `revert` restores the defaults.
    CMenu* SystemMenu(bool revert);
    // Pops the window menu up at `globalPos` (not blocking); NULL without a system menu.
    QMenu* PopupSystemMenu(const QPoint& globalPos);

    bool InContextHelpMode() const { return m_contextHelp; }
    void SetContextHelpMode(bool on);
    // A click on `control` in context-help mode: leaves the mode and sends WM_HELP.
    void ContextHelpClick(Control* control, const QPoint& globalPos);

    // The F1 key: PreTranslateMessage first (WM_KEYF1), else the dialog's help topic, or
    // context-help mode with Shift.
    void HandleHelpKey(bool shift);
    // Enter: the focused push button, else the default button when it is enabled. FALSE if
    // nothing was activated.
    bool ActivateDefault();
    // Sends WM_COMMAND with the control's notification code to the dialog.
    void Notify(const Control& control, int code);
    // The close box / Esc.
    void RequestClose();
    void RequestCancel();

    // Tab / Shift+Tab.
    void MoveFocus(bool next) { focusNextPrevChild(next); }

    // Ends the event loop if one runs.
    void EndLoop(int result);
    bool LoopRunning() const { return m_loopRunning; }
    int RunLoop();

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
    std::vector<std::unique_ptr<Control>> m_controls;
    CMenu m_systemMenu;
    bool m_contextHelp = false;
    bool m_loopRunning = false;
};
