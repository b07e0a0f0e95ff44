#include "platform/wnd/DataExchange.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <typeinfo>

#include "platform/wnd/Button.h"
#include "platform/wnd/ComboBox.h"
#include "platform/wnd/Dialog.h"
#include "platform/wnd/Edit.h"
#include "platform/wnd/ListBox.h"
#include "platform/wnd/PlatformFailure.h"
#include "platform/wnd/ProgressCtrl.h"
#include "platform/wnd/Static.h"
#include "platform/ui/UiServices.h"
#include "platform/wnd/IButtonPeer.h"
#include "platform/wnd/IDialogPeer.h"

namespace {

// Binding a member of the wrong class to a control would make every call on it fail
// silently; report it at the binding instead.
bool ClassFitsKind(CWnd& object, ControlKind kind)
{
    switch (kind) {
    case ControlKind::Static:
    case ControlKind::StaticCenter:
    case ControlKind::StaticRight: return dynamic_cast<CStatic*>(&object) || typeid(object) == typeid(CWnd);
    case ControlKind::Edit: return dynamic_cast<CEdit*>(&object) || typeid(object) == typeid(CWnd);
    case ControlKind::ComboDropDownList: return dynamic_cast<CComboBox*>(&object) || typeid(object) == typeid(CWnd);
    case ControlKind::ListBox: return dynamic_cast<CListBox*>(&object) || typeid(object) == typeid(CWnd);
    case ControlKind::ProgressBar: return dynamic_cast<CProgressCtrl*>(&object) || typeid(object) == typeid(CWnd);
    default: return dynamic_cast<CButton*>(&object) || typeid(object) == typeid(CWnd);
    }
}

bool ParseInteger(const CString& text, long long low, long long high, long long& value)
{
    CString trimmed = text;
    trimmed.Trim();
    if (trimmed.IsEmpty())
        return false;
    errno = 0;
    char* end = NULL;
    long long parsed = strtoll(trimmed.GetString(), &end, 10);
    if (errno != 0 || !end || *end != '\0' || parsed < low || parsed > high)
        return false;
    value = parsed;
    return true;
}

void IntegerExchange(CDataExchange* pDX, int id, long long& value, long long low, long long high, LPCSTR message)
{
    CWnd* control = pDX->PrepareCtrl(id);
    if (!control)
        return;
    if (!pDX->m_bSaveAndValidate) {
        control->SetWindowText(std::to_string(value).c_str());
        return;
    }
    CString text;
    control->GetWindowText(text);
    long long parsed = 0;
    if (!ParseInteger(text, low, high, parsed)) {
        AfxMessageBox(message, MB_ICONEXCLAMATION);
        pDX->Fail();
        return;
    }
    value = parsed;
}

}  // namespace

CDataExchange::CDataExchange(CDialog* dialog, BOOL saveAndValidate)
    : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog)
{
}

CWnd* CDataExchange::PrepareCtrl(int id)
{
    if (m_bFailed || !m_pDlgWnd)
        return NULL;
    CWnd* control = m_pDlgWnd->GetDlgItem(id);
    if (!control) {
        auto* dialog = static_cast<CDialog*>(m_pDlgWnd);
        ReportPlatformFailure("Dialog " + std::to_string(dialog->GetTemplateId()) + " has no control " +
                              std::to_string(id));
        return NULL;
    }
    m_pLastControl = control;
    return control;
}

void CDataExchange::Fail()
{
    if (m_pLastControl)
        m_pLastControl->SetFocus();
    m_bFailed = TRUE;
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control)
{
    if (!pDX || pDX->HasFailed() || !pDX->m_pDlgWnd)
        return;
    auto* dialog = static_cast<CDialog*>(pDX->m_pDlgWnd);
    IDialogPeer* peer = dialog->GetPeer();
    const ControlTemplate* entry = peer ? peer->ControlTemplateOf(id) : nullptr;
    if (!entry) {
        ReportPlatformFailure("Dialog " + std::to_string(dialog->GetTemplateId()) + " has no control " +
                              std::to_string(id) + " to bind");
        return;
    }
    if (!ClassFitsKind(control, entry->kind)) {
        ReportPlatformFailure("Control " + std::to_string(id) + " of dialog " +
                              std::to_string(dialog->GetTemplateId()) + " is bound to a member of the wrong class");
        return;
    }
    control.Attach(peer->ControlHandle(id));
}

void DDX_Text(CDataExchange* pDX, int id, CString& value)
{
    CWnd* control = pDX ? pDX->PrepareCtrl(id) : NULL;
    if (!control)
        return;
    if (pDX->m_bSaveAndValidate)
        control->GetWindowText(value);
    else
        control->SetWindowText(value);
}

void DDX_Text(CDataExchange* pDX, int id, int& value)
{
    long long wide = value;
    IntegerExchange(pDX, id, wide, INT_MIN, INT_MAX, "Please enter an integer.");
    value = (int)wide;
}

void DDX_Text(CDataExchange* pDX, int id, UINT& value)
{
    long long wide = value;
    IntegerExchange(pDX, id, wide, 0, UINT_MAX, "Please enter a positive integer.");
    value = (UINT)wide;
}

void DDX_Check(CDataExchange* pDX, int id, int& value)
{
    CWnd* control = pDX ? pDX->PrepareCtrl(id) : NULL;
    auto* button = dynamic_cast<CButton*>(control);
    if (!button)
        return;
    if (pDX->m_bSaveAndValidate)
        value = button->GetCheck();
    else
        button->SetCheck(value);
}

void DDX_Radio(CDataExchange* pDX, int firstId, int& value)
{
    CWnd* first = pDX ? pDX->PrepareCtrl(firstId) : NULL;
    if (!first)
        return;
    auto* dialog = static_cast<CDialog*>(pDX->m_pDlgWnd);
    IDialogPeer* peer = dialog->GetPeer();
    if (!peer || !peer->ControlTemplateOf(firstId))
        return;
    std::vector<HWND> group = peer->RadioGroup(firstId);
    if (pDX->m_bSaveAndValidate)
        value = -1;
    for (size_t i = 0; i < group.size(); ++i) {
        IButtonPeer* radio = PeerOf(group[i])->AsButton();
        if (!radio)
            continue;
        if (pDX->m_bSaveAndValidate) {
            if (radio->IsChecked() && value == -1)
                value = (int)i;
        } else {
            radio->SetChecked((int)i == value);
        }
    }
}

void DDX_CBIndex(CDataExchange* pDX, int id, int& index)
{
    auto* combo = dynamic_cast<CComboBox*>(pDX ? pDX->PrepareCtrl(id) : NULL);
    if (!combo)
        return;
    if (pDX->m_bSaveAndValidate)
        index = combo->GetCurSel();
    else
        combo->SetCurSel(index);
}

void DDX_LBIndex(CDataExchange* pDX, int id, int& index)
{
    auto* list = dynamic_cast<CListBox*>(pDX ? pDX->PrepareCtrl(id) : NULL);
    if (!list)
        return;
    if (pDX->m_bSaveAndValidate)
        index = list->GetCurSel();
    else
        list->SetCurSel(index);
}
