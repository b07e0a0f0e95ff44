#include "platform/wnd/Button.h"

#include <QAbstractButton>
#include <QCheckBox>

#include "platform/qt/WidgetHandle.h"

namespace {

QAbstractButton* ButtonOf(HWND hWnd)
{
    return qobject_cast<QAbstractButton*>(WidgetOf(hWnd));
}

} // namespace

int CButton::GetCheck() const
{
    QAbstractButton* button = ButtonOf(m_hWnd);
    if (!button || !button->isCheckable())
        return BST_UNCHECKED;
    if (auto* box = qobject_cast<QCheckBox*>(button))
        if (box->checkState() == Qt::PartiallyChecked)
            return BST_INDETERMINATE;
    return button->isChecked() ? BST_CHECKED : BST_UNCHECKED;
}

void CButton::SetCheck(int check)
{
    QAbstractButton* button = ButtonOf(m_hWnd);
    if (!button || !button->isCheckable())
        return;
    if (auto* box = qobject_cast<QCheckBox*>(button)) {
        if (check == BST_INDETERMINATE)
            box->setTristate(true);
        box->setCheckState(check == BST_CHECKED         ? Qt::Checked
                           : check == BST_INDETERMINATE ? Qt::PartiallyChecked
                                                        : Qt::Unchecked);
        return;
    }
    button->setChecked(check == BST_CHECKED);
}

void CButton::Click()
{
    QAbstractButton* button = ButtonOf(m_hWnd);
    if (button && !button->isHidden())
        button->click();
}
