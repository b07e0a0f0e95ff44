#include "targets/hyusb/hyUSBFlashOptions.h"

#include "app/QuilletApp.h"
#include "platform/wnd/DataExchange.h"
#include "res/resource.h"
#include "targets/hyusb/hyUSBFlash.h"

BEGIN_MESSAGE_MAP(CHyUSBFlashOptions, CHelpDlg)
END_MESSAGE_MAP()

CHyUSBFlashOptions::CHyUSBFlashOptions(CHyUSBFlash* target, CWnd* parent)
    : CHelpDlg(IDD_HYUSB_OPTIONS, parent), m_pTarget(target)
{
}

void CHyUSBFlashOptions::DoDataExchange(CDataExchange* pDX)
{
    CHelpDlg::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_HYUSB_VERIFY, m_btnVerify);
    DDX_Control(pDX, IDC_HYUSB_DEFAULT, m_btnDefault);
    DDX_Check(pDX, IDC_HYUSB_DEFAULT, m_bDefault);
    DDX_Check(pDX, IDC_HYUSB_VERIFY, m_bVerify);
}

BOOL CHyUSBFlashOptions::OnInitDialog()
{
    CHelpDlg::OnInitDialog();
    m_bDefault = m_pTarget && (theApp.m_dwOptions & 0xFF) == m_pTarget->GetId();
    int options = 0;
    if (m_pTarget)
        m_pTarget->GetOptions(&options);
    m_dwOptions = (DWORD)options;
    UpdateControls();
    return TRUE;
}

void CHyUSBFlashOptions::UpdateControls()
{
    m_btnVerify.SetCheck((m_dwOptions & CHyUSBFlash::optionVerify) ? BST_CHECKED : BST_UNCHECKED);
    m_btnDefault.SetCheck(m_bDefault ? BST_CHECKED : BST_UNCHECKED);
}

void CHyUSBFlashOptions::OnOK()
{
    UpdateData(TRUE);
    m_dwOptions = (m_dwOptions & ~(DWORD)CHyUSBFlash::optionVerify) | (m_bVerify & 1);
    if (m_pTarget) {
        m_pTarget->SetOptions((int)m_dwOptions);
        int id = m_pTarget->GetId();
        theApp.SaveAppOptions(m_bDefault ? id : -id);
    }
    CHelpDlg::OnOK();
}
