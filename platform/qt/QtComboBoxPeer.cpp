#include "platform/qt/QtComboBoxPeer.h"

#include "platform/qt/ListBoxModel.h"
#include "platform/wnd/DialogTemplate.h"

bool CQtComboBoxPeer::IsSorted() const
{
    return (m_combo->property("quilletStyle").toUInt() & CTL_SORT) != 0;
}

std::string CQtComboBoxPeer::Text(int index) const
{
    return m_combo->itemText(index).toUtf8().toStdString();
}

int CQtComboBoxPeer::Add(LPCSTR text)
{
    int index = m_combo->count();
    if (IsSorted()) {
        std::string_view value(text ? text : "");
        int low = 0, high = m_combo->count();
        while (low < high) {
            int mid = low + (high - low) / 2;
            if (CListBoxModel::CompareNoCase(Text(mid), value) <= 0)
                low = mid + 1;
            else
                high = mid;
        }
        index = low;
    }
    Insert(index, text);
    return index;
}

// Inserting into an empty QComboBox selects the new entry; a Win32 combo box keeps "no
// selection" until told otherwise.
void CQtComboBoxPeer::Insert(int index, LPCSTR text)
{
    bool hadSelection = m_combo->currentIndex() >= 0;
    QSignalBlocker block(m_combo);
    m_combo->insertItem(index, QString::fromUtf8(text ? text : ""));
    if (!hadSelection)
        m_combo->setCurrentIndex(-1);
}

void CQtComboBoxPeer::Delete(int index)
{
    QSignalBlocker block(m_combo);
    bool wasSelected = m_combo->currentIndex() == index;
    m_combo->removeItem(index);
    if (wasSelected)
        m_combo->setCurrentIndex(-1);
}

void CQtComboBoxPeer::Clear()
{
    QSignalBlocker block(m_combo);
    m_combo->clear();
}

void CQtComboBoxPeer::SetCurrentIndex(int index)
{
    QSignalBlocker block(m_combo);
    m_combo->setCurrentIndex(index);
}

DWORD_PTR CQtComboBoxPeer::ItemData(int index) const
{
    return (DWORD_PTR)m_combo->itemData(index, Qt::UserRole).toULongLong();
}

void CQtComboBoxPeer::SetItemData(int index, DWORD_PTR data)
{
    m_combo->setItemData(index, QVariant::fromValue((qulonglong)data), Qt::UserRole);
}

CString CQtComboBoxPeer::ItemText(int index) const
{
    return CString(Text(index));
}

int CQtComboBoxPeer::Find(int startAfter, LPCSTR text, BOOL exact) const
{
    std::string item;
    return CListBoxModel::Search(m_combo->count(), startAfter, text ? text : "", exact != FALSE,
                                 [this, &item](int index) {
                                     item = Text(index);
                                     return std::string_view(item);
                                 });
}

void CQtComboBoxPeer::UserSelect(int index)
{
    m_combo->setCurrentIndex(index);
    emit m_combo->activated(index);
}
