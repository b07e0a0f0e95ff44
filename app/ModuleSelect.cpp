#include "app/ModuleSelect.h"

#include "platform/wnd/DataExchange.h"
#include "res/resource.h"
#include "targets/TargetBase.h"

CModuleSelect::CModuleSelect(CTargetBase* target, const CString& file, int selection, CWnd* parent)
    : CHelpDlg(IDD_MODULE_SELECT, parent), m_pTarget(target), m_nSelection(selection), m_strFile(file)
{
}

BEGIN_MESSAGE_MAP(CModuleSelect, CHelpDlg)
    ON_CBN_SELCHANGE(IDC_MODULE_TYPE, OnSelchangeModule)
END_MESSAGE_MAP()

void CModuleSelect::DoDataExchange(CDataExchange* pDX)
{
    CHelpDlg::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_MODULE_FILE, m_ctlFile);
    DDX_Control(pDX, IDCANCEL, m_btnCancel);
    DDX_Control(pDX, IDOK, m_btnOK);
    DDX_Control(pDX, IDC_MODULE_TYPE, m_cbModules);
}

BOOL CModuleSelect::OnInitDialog()
{
    CHelpDlg::OnInitDialog();
    m_ctlFile.SetWindowText(m_strFile);
    if (m_pTarget) {
        CString name;
        for (int block = 0; m_pTarget->GetModuleName(name, block) == TRUE; ++block)
            m_cbModules.AddString(name);
    }
    m_cbModules.SetCurSel(m_nSelection);
    if (m_nSelection == -1)
        m_btnOK.EnableWindow(FALSE);
    return TRUE;
}

void CModuleSelect::OnSelchangeModule()
{
    m_btnOK.EnableWindow(TRUE);
}

void CModuleSelect::OnOK()
{
    m_nSelection = m_cbModules.GetCurSel();
    CDialog::OnOK();
}
