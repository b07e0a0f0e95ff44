#include "targets/stub/QB2300Options.h"

#include "app/QuilletApp.h"
#include "platform/wnd/DataExchange.h"
#include "res/resource.h"
#include "targets/stub/QB2300FLASH.h"

namespace {

// In list order: the index is the banked hex file mode.
const char* const kModeTexts[] = {
    "Disable banked hex file (.H00) expansion",
    "Enable banked hex file (.H00) expansion",
    "Enable banked hex file (.H00) expansion and loading",
};

}  // namespace

BEGIN_MESSAGE_MAP(CQB2300Options, CHelpDlg)
    ON_BN_CLICKED(IDC_QB2300_BROWSE, OnBrowse)
END_MESSAGE_MAP()

CQB2300Options::CQB2300Options(CWnd* parent) : CHelpDlg(IDD_QB2300_OPTIONS, parent), m_pTarget(&theQB2300Flash) {}

void CQB2300Options::SetTarget(CQB2300Flash* target)
{
    m_pTarget = target;
}

void CQB2300Options::DoDataExchange(CDataExchange* pDX)
{
    CHelpDlg::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_QB2300_MODE, m_ctlMode);
    DDX_Control(pDX, IDC_QB2300_THIN_PATH, m_ctlThinPath);
    DDX_Control(pDX, IDC_QB2300_DEFAULT, m_ctlDefault);
}

BOOL CQB2300Options::OnInitDialog()
{
    CHelpDlg::OnInitDialog();
    for (const char* text : kModeTexts)
        m_ctlMode.AddString(text);
    if (m_pTarget) {
        m_ctlThinPath.SetWindowText(m_pTarget->m_strThinDefault);
        // A stored 3 names no entry and leaves the list without a selection.
        m_ctlMode.SetCurSel((int)(m_pTarget->m_dwStubOptions & 3));
        m_ctlDefault.SetCheck(m_pTarget->GetId() == (theApp.m_dwOptions & 0xFF) ? BST_CHECKED : BST_UNCHECKED);
    }
    return TRUE;
}

void CQB2300Options::OnOK()
{
    if (m_pTarget) {
        m_ctlThinPath.GetWindowText(m_pTarget->m_strThinDefault);
        // No selection (-1) keeps a stored 3 as it was.
        DWORD mode = (DWORD)m_ctlMode.GetCurSel() & 3;
        m_pTarget->m_dwStubOptions = (m_pTarget->m_dwStubOptions & ~(DWORD)3) | mode;
        m_pTarget->SaveOptions();
        int id = m_pTarget->GetId();
        theApp.SaveAppOptions(m_ctlDefault.GetCheck() == BST_CHECKED ? id : -id);
    }
    CHelpDlg::OnOK();
}

void CQB2300Options::OnBrowse()
{
    if (!m_pTarget)
        return;
    CString path;
    if (m_pTarget->BrowseFile(path, OFN_NOCHANGEDIR) == 1)
        m_ctlThinPath.SetWindowText(path);
}
