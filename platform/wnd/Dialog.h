// A modal dialog built from a template (FindDialogTemplate). DoModal creates the widgets,
// runs OnInitDialog, then the dialog's own event loop until EndDialog, and destroys the
// widgets again (WM_DESTROY first), so a CDialog object may run several times.
//
// Keys: Enter activates the focused push button, else the default button if it is enabled;
// Esc and the close box send IDCANCEL (OnCancel). F1 reaches PreTranslateMessage as a MSG
// with WM_KEYF1; if nothing consumes it, the dialog's own help topic opens. Shift+F1 or the
// window menu's "What's This?" enter context-help mode: the next click on a control sends
// WM_HELP with that control's help context id.
//
// When a modal runner is installed (platform/wnd/ModalRunner.h; the tests' modal script),
// DoModal builds the dialog and runs OnInitDialog, then hands the dialog to the runner instead
// of the event loop.
#pragma once

#include "platform/wnd/DialogTemplate.h"
#include "platform/wnd/Wnd.h"

class CDataExchange;
class IDialogPeer;

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = NULL);
    // A dialog from a template that is not among the program's resources (tools, tests).
    // The template must outlive the dialog.
    CDialog(const DialogTemplate& tpl, CWnd* parent = NULL);
    ~CDialog() override;

    // IDOK, IDCANCEL or the value given to EndDialog; -1 when the dialog could not be built
    // (no template, no GUI).
    virtual INT_PTR DoModal();
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    void EndDialog(int result);

    // TRUE: controls -> members (validating); FALSE: members -> controls. FALSE when a
    // validation failed (the user was told, the focus is on the offending control).
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    virtual void DoDataExchange(CDataExchange* pDX);

    // Dialog units -> pixels, from the template font's average character metrics.
    void MapDialogRect(LPRECT rect) const;
    void GotoDlgCtrl(CWnd* control);
    void NextDlgCtrl();
    void PrevDlgCtrl();
    // Opens the dialog's own help topic (HID_BASE_RESOURCE + template id, HELP_CONTEXT).
    LRESULT OnCommandHelp(WPARAM wParam, LPARAM lParam);
    BOOL PreTranslateMessage(MSG* msg) override;

    UINT GetTemplateId() const { return m_nIDHelp; }
    DWORD_PTR GetHelpTopicId() const override { return HID_BASE_RESOURCE + m_nIDHelp; }
    CWnd* GetParent() const override { return m_pParentWnd; }
    const DialogTemplate* GetTemplate() const;

    // TRUE while DoModal runs (widgets exist).
    BOOL IsModalRunning() const { return m_pPeer != NULL; }
    // TRUE once EndDialog was called in this run.
    BOOL IsEnding() const { return m_bEnded; }
    // Context-help mode (entered through SC_CONTEXTHELP); the next control click asks for its
    // help popup.
    BOOL IsInContextHelpMode() const;
    void EnterContextHelpMode();
    void ExitContextHelpMode();

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The innermost dialog whose DoModal is running, or NULL.
    static CDialog* GetActiveModal();

    // Platform side only: the toolkit's window of the running dialog, NULL between runs.
    IDialogPeer* GetPeer() const { return m_pPeer; }

    DECLARE_MESSAGE_MAP()

protected:
    UINT m_nIDHelp;
    CWnd* m_pParentWnd;
    const DialogTemplate* m_pTemplate = NULL;

private:
    BOOL CreatePeer();
    void DestroyPeer();

    IDialogPeer* m_pPeer = NULL;
    int m_nModalResult = IDCANCEL;
    BOOL m_bEnded = FALSE;
    CDialog* m_pPreviousModal = NULL;
};
