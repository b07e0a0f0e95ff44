#include "platform/qt/QtButtonPeer.h"

#include <QCheckBox>

int CQtButtonPeer::GetCheck() const
{
    if (!m_button->isCheckable())
        return BST_UNCHECKED;
    if (auto* box = qobject_cast<QCheckBox*>(m_button))
        if (box->checkState() == Qt::PartiallyChecked)
            return BST_INDETERMINATE;
    return m_button->isChecked() ? BST_CHECKED : BST_UNCHECKED;
}

void CQtButtonPeer::SetCheck(int check)
{
    if (!m_button->isCheckable())
        return;
    if (auto* box = qobject_cast<QCheckBox*>(m_button)) {
        if (check == BST_INDETERMINATE)
            box->setTristate(true);
        box->setCheckState(check == BST_CHECKED         ? Qt::Checked
                           : check == BST_INDETERMINATE ? Qt::PartiallyChecked
                                                        : Qt::Unchecked);
        return;
    }
    m_button->setChecked(check == BST_CHECKED);
}

BOOL CQtButtonPeer::IsChecked() const
{
    return m_button->isCheckable() && m_button->isChecked();
}

void CQtButtonPeer::SetChecked(BOOL checked)
{
    if (m_button->isCheckable())
        m_button->setChecked(checked != FALSE);
}

void CQtButtonPeer::Click()
{
    if (!m_button->isHidden())
        m_button->click();
}
