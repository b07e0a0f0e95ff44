#include "platform/wnd/ComboBox.h"

#include <QComboBox>
#include <cstring>

#include "platform/wnd/DialogTemplate.h"
#include "platform/qt/ListBoxModel.h"
#include "platform/qt/WidgetHandle.h"

namespace {

QComboBox* ComboOf(HWND hWnd)
{
    return qobject_cast<QComboBox*>(WidgetOf(hWnd));
}

bool IsSorted(QComboBox* combo)
{
    return (combo->property("quilletStyle").toUInt() & CTL_SORT) != 0;
}

std::string ItemText(QComboBox* combo, int index)
{
    return combo->itemText(index).toUtf8().toStdString();
}

bool ValidIndex(QComboBox* combo, int index)
{
    return index >= 0 && index < combo->count();
}

// Inserting into an empty QComboBox selects the new entry; a Win32 combo box keeps "no
// selection" until told otherwise.
void InsertKeepingSelection(QComboBox* combo, int index, LPCSTR text)
{
    bool hadSelection = combo->currentIndex() >= 0;
    QSignalBlocker block(combo);
    combo->insertItem(index, QString::fromUtf8(text ? text : ""));
    if (!hadSelection)
        combo->setCurrentIndex(-1);
}

int Search(QComboBox* combo, int startAfter, LPCSTR text, bool exact)
{
    std::string item;
    return CListBoxModel::Search(combo->count(), startAfter, text ? text : "", exact, [combo, &item](int index) {
        item = ItemText(combo, index);
        return std::string_view(item);
    });
}

} // namespace

int CComboBox::AddString(LPCSTR text)
{
    QComboBox* combo = ComboOf(m_hWnd);
    if (!combo)
        return CB_ERR;
    int index = combo->count();
    if (IsSorted(combo)) {
        std::string_view value(text ? text : "");
        int low = 0, high = combo->count();
        while (low < high) {
            int mid = low + (high - low) / 2;
            if (CListBoxModel::CompareNoCase(ItemText(combo, mid), value) <= 0)
                low = mid + 1;
            else
                high = mid;
        }
        index = low;
    }
    InsertKeepingSelection(combo, index, text);
    return index;
}

int CComboBox::InsertString(int index, LPCSTR text)
{
    QComboBox* combo = ComboOf(m_hWnd);
    if (!combo)
        return CB_ERR;
    if (index == -1)
        index = combo->count();
    if (index < 0 || index > combo->count())
        return CB_ERR;
    InsertKeepingSelection(combo, index, text);
    return index;
}

int CComboBox::DeleteString(UINT index)
{
    QComboBox* combo = ComboOf(m_hWnd);
    if (!combo || !ValidIndex(combo, (int)index))
        return CB_ERR;
    QSignalBlocker block(combo);
    bool wasSelected = combo->currentIndex() == (int)index;
    combo->removeItem((int)index);
    if (wasSelected)
        combo->setCurrentIndex(-1);
    return combo->count();
}

void CComboBox::ResetContent()
{
    if (QComboBox* combo = ComboOf(m_hWnd)) {
        QSignalBlocker block(combo);
        combo->clear();
    }
}

int CComboBox::GetCount() const
{
    QComboBox* combo = ComboOf(m_hWnd);
    return combo ? combo->count() : CB_ERR;
}

int CComboBox::GetCurSel() const
{
    QComboBox* combo = ComboOf(m_hWnd);
    return combo ? combo->currentIndex() : CB_ERR;
}

int CComboBox::SetCurSel(int index)
{
    QComboBox* combo = ComboOf(m_hWnd);
    if (!combo)
        return CB_ERR;
    QSignalBlocker block(combo);
    if (!ValidIndex(combo, index)) {
        combo->setCurrentIndex(-1);
        return CB_ERR;
    }
    combo->setCurrentIndex(index);
    return index;
}

DWORD_PTR CComboBox::GetItemData(int index) const
{
    QComboBox* combo = ComboOf(m_hWnd);
    if (!combo || !ValidIndex(combo, index))
        return (DWORD_PTR)CB_ERR;
    return (DWORD_PTR)combo->itemData(index, Qt::UserRole).toULongLong();
}

int CComboBox::SetItemData(int index, DWORD_PTR data)
{
    QComboBox* combo = ComboOf(m_hWnd);
    if (!combo || !ValidIndex(combo, index))
        return CB_ERR;
    combo->setItemData(index, QVariant::fromValue((qulonglong)data), Qt::UserRole);
    return CB_OKAY;
}

void CComboBox::GetLBText(int index, CString& text) const
{
    QComboBox* combo = ComboOf(m_hWnd);
    text = (combo && ValidIndex(combo, index)) ? CString(ItemText(combo, index)) : CString();
}

int CComboBox::GetLBText(int index, LPSTR buffer) const
{
    QComboBox* combo = ComboOf(m_hWnd);
    if (!combo || !ValidIndex(combo, index) || !buffer)
        return CB_ERR;
    std::string text = ItemText(combo, index);
    memcpy(buffer, text.c_str(), text.size() + 1);
    return (int)text.size();
}

int CComboBox::GetLBTextLen(int index) const
{
    QComboBox* combo = ComboOf(m_hWnd);
    if (!combo || !ValidIndex(combo, index))
        return CB_ERR;
    return (int)ItemText(combo, index).size();
}

int CComboBox::FindString(int startAfter, LPCSTR prefix) const
{
    QComboBox* combo = ComboOf(m_hWnd);
    return combo ? Search(combo, startAfter, prefix, false) : CB_ERR;
}

int CComboBox::FindStringExact(int startAfter, LPCSTR text) const
{
    QComboBox* combo = ComboOf(m_hWnd);
    return combo ? Search(combo, startAfter, text, true) : CB_ERR;
}

int CComboBox::SelectString(int startAfter, LPCSTR prefix)
{
    int index = FindString(startAfter, prefix);
    if (index != CB_ERR)
        SetCurSel(index);
    return index;
}
