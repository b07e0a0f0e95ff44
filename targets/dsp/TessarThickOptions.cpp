#include "targets/dsp/TessarThickOptions.h"

#include "app/QuilletApp.h"
#include "platform/wnd/DataExchange.h"
#include "res/resource.h"
#include "targets/dsp/TessarThick.h"

namespace {

const int kAddressChars = 4;

}  // namespace

BEGIN_MESSAGE_MAP(CTessarThickOptions, CHelpDlg)
    ON_BN_CLICKED(IDC_TESSAR_JUMP, OnJumpEnable)
END_MESSAGE_MAP()

CTessarThickOptions::CTessarThickOptions(CTessarThick* target, CWnd* parent)
    : CHelpDlg(IDD_TESSAR_THICK_OPTIONS, parent), m_bJump(0), m_pTarget(target)
{
}

CTessarThickOptions::~CTessarThickOptions() {}

void CTessarThickOptions::DoDataExchange(CDataExchange* pDX)
{
    CHelpDlg::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_TESSAR_JUMP, m_ctlJump);
    DDX_Control(pDX, IDC_TESSAR_DEFAULT, m_ctlDefault);
    DDX_Control(pDX, IDC_TESSAR_ADDRESS, m_ctlAddress);
    DDX_Check(pDX, IDC_TESSAR_JUMP, m_bJump);
    DDX_Text(pDX, IDC_TESSAR_ADDRESS, m_strAddress);
}

BOOL CTessarThickOptions::OnInitDialog()
{
    CHelpDlg::OnInitDialog();
    m_ctlAddress.LimitText(kAddressChars);
    if (!m_pTarget)
        return TRUE;
    m_ctlAddress.SetWindowText(m_pTarget->m_strJumpAddress);
    // Only a flag of exactly 1 shows ticked, although any nonzero flag jumps.
    BOOL jump = m_pTarget->m_dwOptions == 1;
    m_ctlJump.SetCheck(jump ? BST_CHECKED : BST_UNCHECKED);
    m_ctlAddress.EnableWindow(jump);
    BOOL isDefault = (theApp.m_dwOptions & 0xFF) == m_pTarget->m_nTargetId;
    m_ctlDefault.SetCheck(isDefault ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

void CTessarThickOptions::OnJumpEnable()
{
    UpdateData(TRUE);
    m_ctlAddress.EnableWindow(m_bJump);
}

void CTessarThickOptions::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    if (m_pTarget) {
        m_pTarget->m_dwOptions = (DWORD)m_bJump;
        // Without the jump the address in the box is not taken: the stored one stays.
        if (m_bJump)
            m_pTarget->m_strJumpAddress = m_strAddress;
        m_pTarget->SaveOptions();
        int id = m_pTarget->GetId();
        theApp.SaveAppOptions(m_ctlDefault.GetCheck() == BST_CHECKED ? id : -id);
    }
    EndDialog(IDOK);
}
