#include "app/ClearChoice.h"

#include "res/resource.h"

CClearChoice::CClearChoice(CWnd* parent) : CHelpDlg(IDD_CLEAR_CHOICE, parent) {}

BEGIN_MESSAGE_MAP(CClearChoice, CHelpDlg)
    ON_BN_CLICKED(IDC_CLEAR_WHOLE, OnClearWhole)
    ON_BN_CLICKED(IDC_CLEAR_SELECTED, OnClearSelected)
END_MESSAGE_MAP()

void CClearChoice::OnClearWhole()
{
    m_nChoice = choiceWholeBuffer;
    CDialog::OnOK();
}

void CClearChoice::OnClearSelected()
{
    m_nChoice = choiceSelectedOnly;
    CDialog::OnOK();
}
