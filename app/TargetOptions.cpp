#include "app/TargetOptions.h"

#include "app/QuilletApp.h"
#include "platform/wnd/DataExchange.h"
#include "res/resource.h"

CTargetOptions::CTargetOptions(int targetId, CWnd* parent) : CHelpDlg(IDD_TARGET_OPTIONS, parent), m_nTargetId(targetId)
{
}

void CTargetOptions::DoDataExchange(CDataExchange* pDX)
{
    CHelpDlg::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DEFAULT_TARGET, m_chkDefault);
}

BOOL CTargetOptions::OnInitDialog()
{
    CHelpDlg::OnInitDialog();
    BOOL isDefault = (int)(theApp.m_dwOptions & 0xFF) == m_nTargetId;
    m_chkDefault.SetCheck(isDefault ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

void CTargetOptions::OnOK()
{
    BOOL ticked = m_chkDefault.GetCheck() == BST_CHECKED;
    theApp.SaveAppOptions(ticked ? m_nTargetId : -m_nTargetId);
    CDialog::OnOK();
}
