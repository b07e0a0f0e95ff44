#include "platform/testing/DialogDriver.h"

#include <cstring>
#include <optional>

#include "platform/testing/SimulatedKeyState.h"
#include "platform/wnd/Dialog.h"
#include "platform/wnd/IButtonPeer.h"
#include "platform/wnd/IComboBoxPeer.h"
#include "platform/wnd/IDialogPeer.h"
#include "platform/wnd/IEditPeer.h"
#include "platform/wnd/IListBoxPeer.h"
#include "platform/wnd/Menu.h"

namespace {

IWindowPeer* ControlPeer(const CDialog& dialog, int id)
{
    IDialogPeer* peer = dialog.GetPeer();
    HWND handle = peer ? peer->ControlHandle(id) : NULL;
    return handle ? PeerOf(handle) : NULL;
}

// The control as a user meets it: NULL when it is missing, disabled or hidden.
IWindowPeer* Usable(const CDialog& dialog, int id)
{
    IWindowPeer* control = ControlPeer(dialog, id);
    return control && control->IsEnabled() && !control->IsHidden() ? control : NULL;
}

bool StartsWithNoCase(const CString& text, LPCSTR prefix)
{
    CString start = text.Left((int)strlen(prefix));
    return start.GetLength() == (int)strlen(prefix) && start.CompareNoCase(prefix) == 0;
}

}  // namespace

BOOL CDialogDriver::Click(int id)
{
    IWindowPeer* control = Usable(m_dialog, id);
    IButtonPeer* button = control ? control->AsButton() : NULL;
    if (!button)
        return FALSE;
    button->Click();
    return TRUE;
}

BOOL CDialogDriver::Select(int comboId, int index)
{
    IWindowPeer* control = Usable(m_dialog, comboId);
    IComboBoxPeer* combo = control ? control->AsComboBox() : NULL;
    if (!combo || index < 0 || index >= combo->Count())
        return FALSE;
    combo->UserSelect(index);
    return TRUE;
}

BOOL CDialogDriver::SelectText(int comboId, LPCSTR text)
{
    IWindowPeer* control = Usable(m_dialog, comboId);
    IComboBoxPeer* combo = control ? control->AsComboBox() : NULL;
    if (!combo)
        return FALSE;
    for (int index = 0; index < combo->Count(); ++index)
        if (StartsWithNoCase(combo->ItemText(index), text ? text : ""))
            return Select(comboId, index);
    return FALSE;
}

BOOL CDialogDriver::SelectListItem(int listId, int index, BOOL extend)
{
    IWindowPeer* control = Usable(m_dialog, listId);
    IListBoxPeer* list = control ? control->AsListBox() : NULL;
    if (!list || index < 0 || index >= list->Count())
        return FALSE;
    list->UserSelect(index, extend);
    return TRUE;
}

BOOL CDialogDriver::DoubleClickListItem(int listId, int index)
{
    if (!SelectListItem(listId, index))
        return FALSE;
    Usable(m_dialog, listId)->AsListBox()->UserDoubleClick(index);
    return TRUE;
}

BOOL CDialogDriver::Type(int editId, LPCSTR text)
{
    IWindowPeer* control = Usable(m_dialog, editId);
    IEditPeer* edit = control ? control->AsEdit() : NULL;
    if (!edit || edit->IsReadOnly())
        return FALSE;
    control->SetText(text);
    return TRUE;
}

BOOL CDialogDriver::PressKey(int virtualKey, BOOL shift)
{
    IDialogPeer* peer = m_dialog.GetPeer();
    if (!peer)
        return FALSE;
    std::optional<CSimulatedKeyState> heldShift;
    if (shift)
        heldShift.emplace(VK_SHIFT);
    switch (virtualKey) {
    case VK_F1: peer->HandleHelpKey(shift != FALSE); return TRUE;
    case VK_RETURN: return peer->ActivateDefault();
    case VK_ESCAPE:
        if (peer->InContextHelpMode())
            peer->SetContextHelpMode(false);
        else
            peer->RequestCancel();
        return TRUE;
    default: return FALSE;
    }
}

BOOL CDialogDriver::ContextHelpClick(int id)
{
    IDialogPeer* peer = m_dialog.GetPeer();
    return peer && peer->ContextHelpClick(id);
}

BOOL CDialogDriver::SystemMenu(UINT commandId)
{
    CMenu* menu = m_dialog.GetSystemMenu(FALSE);
    if (!menu)
        return FALSE;
    for (const CMenu::Item& item : menu->Items())
        if (!(item.flags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED)) && item.id == commandId) {
            m_dialog.SendMessage(WM_SYSCOMMAND, commandId, 0);
            return TRUE;
        }
    return FALSE;
}

void CDialogDriver::Close()
{
    if (IDialogPeer* peer = m_dialog.GetPeer())
        peer->RequestClose();
}

BOOL CDialogDriver::IsEnabled(int id) const
{
    IWindowPeer* control = ControlPeer(m_dialog, id);
    return control && control->IsEnabled();
}

BOOL CDialogDriver::IsVisible(int id) const
{
    IWindowPeer* control = ControlPeer(m_dialog, id);
    return control && !control->IsHidden();
}

CString CDialogDriver::Text(int id) const
{
    CString text;
    if (CWnd* item = m_dialog.GetDlgItem(id))
        item->GetWindowText(text);
    return text;
}

int CDialogDriver::FocusedId() const
{
    IDialogPeer* peer = m_dialog.GetPeer();
    return peer ? peer->FocusedControlId() : 0;
}
