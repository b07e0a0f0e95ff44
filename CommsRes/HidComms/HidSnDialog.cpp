#include "CommsRes/HidComms/HidSnDialog.h"

#include "platform/wnd/DataExchange.h"
#include "platform/wnd/WinApp.h"
#include "res/resource.h"

BEGIN_MESSAGE_MAP(CHidSnDialog, CDialog)
    ON_LBN_DBLCLK(IDC_HIDSN_LIST, OnOK)
END_MESSAGE_MAP()

CHidSnDialog::CHidSnDialog(CWnd* parent) : CDialog(IDD_HIDSN, parent) {}

void CHidSnDialog::SetList(CString* serials, int count)
{
    m_pSerials = serials;
    m_nCount = serials && count > 0 ? count : 0;
}

void CHidSnDialog::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_HIDSN_LIST, m_List);
}

BOOL CHidSnDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    CWinApp* app = AfxGetApp();
    HICON icon = app ? app->LoadIcon(IDR_MAINFRAME) : NULL;
    SetIcon(icon, TRUE);
    SetIcon(icon, FALSE);
    for (int i = 0; i < m_nCount; ++i)
        m_List.AddString(m_pSerials[i]);
    m_List.SetCurSel(0);
    return TRUE;
}

void CHidSnDialog::OnOK()
{
    m_nSelection = m_List.GetCurSel();
    CDialog::OnOK();
}
