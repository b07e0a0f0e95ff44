#include "tests/platform/wnd/TestDialog.h"

namespace {

DialogTemplate MakeTemplate(DWORD style)
{
    DialogTemplate t;
    t.id = IDD_TEST;
    t.caption = "Test Dialog";
    t.cx = 200;
    t.cy = 180;
    t.style = style;
    t.controls = {
        {IDC_T_COMBO, ControlKind::ComboDropDownList, "", 5, 5, 90, 60, CTL_VSCROLL | CTL_TABSTOP,
         MakeControlHelpId(IDD_TEST, IDC_T_COMBO)},
        {IDC_T_SORTED_COMBO, ControlKind::ComboDropDownList, "", 100, 5, 90, 60, CTL_SORT | CTL_TABSTOP,
         MakeControlHelpId(IDD_TEST, IDC_T_SORTED_COMBO)},
        {IDC_T_LIST, ControlKind::ListBox, "", 5, 25, 90, 50, CTL_SORT | CTL_NOTIFY | CTL_BORDER | CTL_TABSTOP,
         MakeControlHelpId(IDD_TEST, IDC_T_LIST)},
        {IDC_T_MULTI_LIST, ControlKind::ListBox, "", 100, 25, 90, 50,
         CTL_EXTENDEDSEL | CTL_USETABSTOPS | CTL_NOTIFY | CTL_BORDER | CTL_TABSTOP,
         MakeControlHelpId(IDD_TEST, IDC_T_MULTI_LIST)},
        {IDC_T_EDIT, ControlKind::Edit, "", 5, 80, 90, 14, CTL_BORDER | CTL_AUTOHSCROLL | CTL_TABSTOP,
         MakeControlHelpId(IDD_TEST, IDC_T_EDIT)},
        {IDC_T_NUMBER, ControlKind::Edit, "", 100, 80, 90, 14, CTL_BORDER | CTL_TABSTOP,
         MakeControlHelpId(IDD_TEST, IDC_T_NUMBER)},
        {IDC_T_CHECK, ControlKind::AutoCheckBox, "&Check", 5, 100, 60, 10, CTL_TABSTOP,
         MakeControlHelpId(IDD_TEST, IDC_T_CHECK)},
        {IDC_T_RADIO1, ControlKind::AutoRadioButton, "One", 5, 115, 40, 10, CTL_GROUP | CTL_TABSTOP,
         MakeControlHelpId(IDD_TEST, IDC_T_RADIO1)},
        {IDC_T_RADIO2, ControlKind::AutoRadioButton, "Two", 50, 115, 40, 10, 0,
         MakeControlHelpId(IDD_TEST, IDC_T_RADIO2)},
        {IDC_T_RADIO3, ControlKind::AutoRadioButton, "Three", 95, 115, 40, 10, 0,
         MakeControlHelpId(IDD_TEST, IDC_T_RADIO3)},
        {IDC_T_OTHER_RADIO, ControlKind::AutoRadioButton, "Other", 140, 115, 40, 10, CTL_GROUP | CTL_TABSTOP,
         MakeControlHelpId(IDD_TEST, IDC_T_OTHER_RADIO)},
        {IDC_T_PROGRESS, ControlKind::ProgressBar, "", 5, 130, 190, 10, CTL_BORDER | CTL_SMOOTH, 0},
        {IDC_T_LABEL, ControlKind::Static, "Label", 5, 145, 60, 8, 0, 0},
        {IDC_T_BUTTON, ControlKind::PushButton, "&Button", 70, 160, 40, 14, CTL_TABSTOP,
         MakeControlHelpId(IDD_TEST, IDC_T_BUTTON)},
        {IDOK, ControlKind::DefPushButton, "OK", 115, 160, 40, 14, CTL_TABSTOP, MakeControlHelpId(IDD_TEST, IDOK)},
        {IDCANCEL, ControlKind::PushButton, "Cancel", 158, 160, 40, 14, CTL_TABSTOP,
         MakeControlHelpId(IDD_TEST, IDCANCEL)},
    };
    return t;
}

}  // namespace

const DialogTemplate& TestTemplate()
{
    static const DialogTemplate t = MakeTemplate(DLG_CAPTION | DLG_SYSMENU | DLG_CONTEXTHELP | DLG_MODALFRAME);
    return t;
}

const DialogTemplate& PlainTemplate()
{
    static const DialogTemplate t = MakeTemplate(DLG_CAPTION | DLG_MODALFRAME);
    return t;
}

BEGIN_MESSAGE_MAP(CTestDialog, CDialog)
    ON_BN_CLICKED(IDC_T_BUTTON, OnButton)
    ON_CBN_SELCHANGE(IDC_T_COMBO, OnComboChange)
    ON_LBN_SELCHANGE(IDC_T_MULTI_LIST, OnListChange)
    ON_EN_CHANGE(IDC_T_EDIT, OnEditChange)
    ON_BN_CLICKED(IDC_T_CHECK, OnCheckClicked)
    ON_WM_SYSCOMMAND()
    ON_WM_HELPINFO()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

BOOL CTestDialog::OnInitDialog()
{
    ++m_initCount;
    return CDialog::OnInitDialog();
}

void CTestDialog::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    if (m_bindControls) {
        DDX_Control(pDX, IDC_T_COMBO, m_combo);
        DDX_Control(pDX, IDC_T_SORTED_COMBO, m_sortedCombo);
        DDX_Control(pDX, IDC_T_LIST, m_list);
        DDX_Control(pDX, IDC_T_MULTI_LIST, m_multiList);
        DDX_Control(pDX, IDC_T_EDIT, m_edit);
        DDX_Control(pDX, IDC_T_CHECK, m_check);
        DDX_Control(pDX, IDC_T_PROGRESS, m_progress);
    }
    DDX_Text(pDX, IDC_T_EDIT, m_text);
    DDX_Text(pDX, IDC_T_NUMBER, m_number);
    DDX_Check(pDX, IDC_T_CHECK, m_checked);
    DDX_Radio(pDX, IDC_T_RADIO1, m_radio);
    DDX_CBIndex(pDX, IDC_T_COMBO, m_comboIndex);
}

BOOL CTestDialog::PreTranslateMessage(MSG* msg)
{
    m_preTranslated.push_back(msg->message);
    if (msg->message == WM_KEYF1 && m_consumeF1)
        return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

// The handlers that only log read best as a table.
// clang-format off
void CTestDialog::OnButton() { m_log.push_back("button"); }
void CTestDialog::OnListChange() { m_log.push_back("list"); }
void CTestDialog::OnEditChange() { m_log.push_back("edit"); }
// clang-format on

void CTestDialog::OnComboChange()
{
    CString text;
    m_combo.GetLBText(m_combo.GetCurSel(), text);
    m_log.push_back("combo:" + text);
}

void CTestDialog::OnCheckClicked()
{
    CString state;
    state.Format("check:%d", m_check.GetCheck());
    m_log.push_back(state);
}

void CTestDialog::OnSysCommand(UINT id, LPARAM lParam)
{
    m_sysCommands.push_back(id);
    CDialog::OnSysCommand(id, lParam);
}

BOOL CTestDialog::OnHelpInfo(HELPINFO* info)
{
    m_helpInfos.push_back(*info);
    return CDialog::OnHelpInfo(info);
}

void CTestDialog::OnDestroy()
{
    ++m_destroyCount;
    CDialog::OnDestroy();
}
