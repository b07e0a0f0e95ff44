#include "platform/wnd/Dialog.h"

#include <cstdio>
#include <string>

#include "platform/wnd/DataExchange.h"
#include "platform/wnd/DialogTemplate.h"
#include "platform/wnd/PlatformFailure.h"
#include "platform/wnd/ModalRunner.h"
#include "platform/wnd/WinApp.h"
#include "platform/wnd/WindowBackend.h"

namespace {

CDialog* s_pActiveModal = NULL;

}  // namespace

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDHelp(templateId), m_pParentWnd(parent) {}

CDialog::CDialog(const DialogTemplate& tpl, CWnd* parent) : m_nIDHelp(tpl.id), m_pParentWnd(parent), m_pTemplate(&tpl)
{
}

CDialog::~CDialog()
{
    DestroyPeer();
}

const DialogTemplate* CDialog::GetTemplate() const
{
    return m_pTemplate ? m_pTemplate : FindDialogTemplate(m_nIDHelp);
}

CDialog* CDialog::GetActiveModal()
{
    return s_pActiveModal;
}

BOOL CDialog::CreatePeer()
{
    const DialogTemplate* tpl = GetTemplate();
    if (!tpl) {
        ReportPlatformFailure("Dialog template " + std::to_string(m_nIDHelp) + " does not exist");
        return FALSE;
    }
    HWND parent = NULL;
    if (m_pParentWnd && m_pParentWnd->m_hWnd)
        parent = m_pParentWnd->m_hWnd;
    else if (s_pActiveModal && s_pActiveModal->m_pPeer)
        parent = s_pActiveModal->m_pPeer->Handle();
    IWindowBackend* backend = WindowBackend();
    m_pPeer = backend ? backend->CreateDialogPeer(this, *tpl, parent) : NULL;
    if (!m_pPeer) {
        ReportPlatformFailure("Dialog " + std::to_string(m_nIDHelp) + " cannot be shown: there is no display");
        return FALSE;
    }
    Attach(m_pPeer->Handle());
    return TRUE;
}

void CDialog::DestroyPeer()
{
    if (!m_pPeer)
        return;
    IDialogPeer* peer = m_pPeer;
    m_pPeer = NULL;
    peer->DetachAll();
    Detach();
    delete peer;
}

INT_PTR CDialog::DoModal()
{
    IModalRunner* script = ModalRunnerSlot().Get();
    IWindowBackend* backend = WindowBackend();
    if (!script && backend && !backend->IsInteractive()) {
        // A headless run (tests) has nobody to answer; waiting would hang forever.
        ReportPlatformFailure("Dialog " + std::to_string(m_nIDHelp) + " was opened with no modal script to answer it");
        return IDCANCEL;
    }
    if (m_pPeer || !CreatePeer())
        return -1;
    m_bEnded = FALSE;
    m_nModalResult = IDCANCEL;
    m_pPreviousModal = s_pActiveModal;
    s_pActiveModal = this;

    if (OnInitDialog())
        m_pPeer->FocusFirstControl();
    if (!m_bEnded) {
        if (script) {
            if (script->Run(*this) && !m_bEnded)
                ReportPlatformFailure("The script's handler for dialog " + std::to_string(m_nIDHelp) + " left it open");
        } else {
            m_pPeer->RunLoop();
        }
    }
    m_pPeer->SetContextHelpMode(false);
    SendMessage(WM_DESTROY);
    s_pActiveModal = m_pPreviousModal;
    m_pPreviousModal = NULL;
    DestroyPeer();
    return m_nModalResult;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::EndDialog(int result)
{
    m_nModalResult = result;
    m_bEnded = TRUE;
    if (m_pPeer)
        m_pPeer->EndLoop(result);
}

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    CDataExchange exchange(this, saveAndValidate);
    DoDataExchange(&exchange);
    return !exchange.HasFailed();
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::MapDialogRect(LPRECT rect) const
{
    if (!rect)
        return;
    int baseX = 6, baseY = 13;
    if (m_pPeer) {
        baseX = m_pPeer->BaseUnitX();
        baseY = m_pPeer->BaseUnitY();
    }
    auto map = [](LONG value, int base, int units) {
        long long product = (long long)value * base;
        return (LONG)(product >= 0 ? (product + units / 2) / units : (product - units / 2) / units);
    };
    rect->left = map(rect->left, baseX, 4);
    rect->right = map(rect->right, baseX, 4);
    rect->top = map(rect->top, baseY, 8);
    rect->bottom = map(rect->bottom, baseY, 8);
}

void CDialog::GotoDlgCtrl(CWnd* control)
{
    if (control)
        control->SetFocus();
}

void CDialog::NextDlgCtrl()
{
    if (m_pPeer)
        m_pPeer->MoveFocus(true);
}

void CDialog::PrevDlgCtrl()
{
    if (m_pPeer)
        m_pPeer->MoveFocus(false);
}

LRESULT CDialog::OnCommandHelp(WPARAM, LPARAM lParam)
{
    if (lParam == 0 && m_nIDHelp != 0)
        lParam = (LPARAM)(HID_BASE_RESOURCE + m_nIDHelp);
    if (lParam == 0)
        return FALSE;
    WinHelp((DWORD_PTR)lParam, HELP_CONTEXT);
    return TRUE;
}

BOOL CDialog::PreTranslateMessage(MSG* msg)
{
    return CWnd::PreTranslateMessage(msg);
}

BOOL CDialog::IsInContextHelpMode() const
{
    return m_pPeer && m_pPeer->InContextHelpMode();
}

void CDialog::EnterContextHelpMode()
{
    if (m_pPeer)
        m_pPeer->SetContextHelpMode(true);
}

void CDialog::ExitContextHelpMode()
{
    if (m_pPeer)
        m_pPeer->SetContextHelpMode(false);
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        // A dialog's close box is its Cancel.
        return SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CONTEXTHELP) {
            EnterContextHelpMode();
            return 0;
        }
        break;
    default: break;
    }
    return CWnd::DefWindowProc(message, wParam, lParam);
}
