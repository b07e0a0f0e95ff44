#include "platform/testing/DialogDriver.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <optional>

#include "platform/wnd/Dialog.h"
#include "platform/qt/DialogWindowPeer.h"
#include "platform/qt/ListBoxModel.h"
#include "platform/qt/ListBoxView.h"
#include "platform/qt/WidgetHandle.h"
#include "platform/testing/SimulatedKeyState.h"

namespace {

QWidget* Usable(CDialog& dialog, int id)
{
    CDialogWindowPeer* peer = dialog.GetPeer();
    CDialogWindowPeer::Control* control = peer ? peer->FindControl(id) : nullptr;
    if (!control || !control->widget->isEnabled() || control->widget->isHidden())
        return nullptr;
    return control->widget;
}

} // namespace

BOOL CDialogDriver::Click(int id)
{
    auto* button = qobject_cast<QAbstractButton*>(Usable(m_dialog, id));
    if (!button)
        return FALSE;
    button->click();
    return TRUE;
}

BOOL CDialogDriver::Select(int comboId, int index)
{
    auto* combo = qobject_cast<QComboBox*>(Usable(m_dialog, comboId));
    if (!combo || index < 0 || index >= combo->count())
        return FALSE;
    combo->setCurrentIndex(index);
    emit combo->activated(index);
    return TRUE;
}

BOOL CDialogDriver::SelectText(int comboId, LPCSTR text)
{
    auto* combo = qobject_cast<QComboBox*>(Usable(m_dialog, comboId));
    if (!combo)
        return FALSE;
    int index = combo->findText(QString::fromUtf8(text ? text : ""), Qt::MatchStartsWith);
    return index >= 0 && Select(comboId, index);
}

BOOL CDialogDriver::SelectListItem(int listId, int index, BOOL extend)
{
    auto* view = qobject_cast<CListBoxView*>(Usable(m_dialog, listId));
    if (!view || !view->Model()->IsValid(index))
        return FALSE;
    QModelIndex item = view->Model()->index(index);
    QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
    if (extend && view->IsMultiSelect())
        flags = QItemSelectionModel::Toggle;
    view->selectionModel()->setCurrentIndex(item, flags | QItemSelectionModel::Rows);
    return TRUE;
}

BOOL CDialogDriver::Type(int editId, LPCSTR text)
{
    auto* edit = qobject_cast<QLineEdit*>(Usable(m_dialog, editId));
    if (!edit || edit->isReadOnly())
        return FALSE;
    edit->setText(QString::fromUtf8(text ? text : ""));
    return TRUE;
}

BOOL CDialogDriver::PressKey(int virtualKey, BOOL shift)
{
    CDialogWindowPeer* peer = m_dialog.GetPeer();
    if (!peer)
        return FALSE;
    std::optional<CSimulatedKeyState> heldShift;
    if (shift)
        heldShift.emplace(VK_SHIFT);
    BOOL handled = TRUE;
    switch (virtualKey) {
    case VK_F1:
        peer->HandleHelpKey(shift != FALSE);
        break;
    case VK_RETURN:
        handled = peer->ActivateDefault();
        break;
    case VK_ESCAPE:
        if (peer->InContextHelpMode())
            peer->SetContextHelpMode(false);
        else
            peer->RequestCancel();
        break;
    default:
        handled = FALSE;
        break;
    }
    return handled;
}

BOOL CDialogDriver::ContextHelpClick(int id)
{
    CDialogWindowPeer* peer = m_dialog.GetPeer();
    CDialogWindowPeer::Control* control = peer ? peer->FindControl(id) : nullptr;
    if (!control || !peer->InContextHelpMode())
        return FALSE;
    peer->ContextHelpClick(control, control->widget->mapToGlobal(QPoint(1, 1)));
    return TRUE;
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
    if (CDialogWindowPeer* peer = m_dialog.GetPeer())
        peer->RequestClose();
}

BOOL CDialogDriver::IsEnabled(int id) const
{
    CDialogWindowPeer* peer = m_dialog.GetPeer();
    CDialogWindowPeer::Control* control = peer ? peer->FindControl(id) : nullptr;
    return control && control->widget->isEnabled();
}

BOOL CDialogDriver::IsVisible(int id) const
{
    CDialogWindowPeer* peer = m_dialog.GetPeer();
    CDialogWindowPeer::Control* control = peer ? peer->FindControl(id) : nullptr;
    return control && !control->widget->isHidden();
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
    CDialogWindowPeer* peer = m_dialog.GetPeer();
    if (!peer)
        return 0;
    CDialogWindowPeer::Control* control = peer->ControlOfWidget(peer->focusWidget());
    return control ? control->tpl->id : 0;
}
