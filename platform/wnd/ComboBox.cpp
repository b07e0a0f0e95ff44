#include "platform/wnd/ComboBox.h"

#include <cstring>

#include "platform/wnd/IComboBoxPeer.h"
#include "platform/wnd/WindowHandle.h"

namespace {

IComboBoxPeer* ComboOf(HWND hWnd)
{
    return hWnd ? PeerOf(hWnd)->AsComboBox() : NULL;
}

bool ValidIndex(IComboBoxPeer* combo, int index)
{
    return index >= 0 && index < combo->Count();
}

}  // namespace

int CComboBox::AddString(LPCSTR text)
{
    IComboBoxPeer* combo = ComboOf(m_hWnd);
    return combo ? combo->Add(text) : CB_ERR;
}

int CComboBox::InsertString(int index, LPCSTR text)
{
    IComboBoxPeer* combo = ComboOf(m_hWnd);
    if (!combo)
        return CB_ERR;
    if (index == -1)
        index = combo->Count();
    if (index < 0 || index > combo->Count())
        return CB_ERR;
    combo->Insert(index, text);
    return index;
}

int CComboBox::DeleteString(UINT index)
{
    IComboBoxPeer* combo = ComboOf(m_hWnd);
    if (!combo || !ValidIndex(combo, (int)index))
        return CB_ERR;
    combo->Delete((int)index);
    return combo->Count();
}

void CComboBox::ResetContent()
{
    if (IComboBoxPeer* combo = ComboOf(m_hWnd))
        combo->Clear();
}

int CComboBox::GetCount() const
{
    IComboBoxPeer* combo = ComboOf(m_hWnd);
    return combo ? combo->Count() : CB_ERR;
}

int CComboBox::GetCurSel() const
{
    IComboBoxPeer* combo = ComboOf(m_hWnd);
    return combo ? combo->CurrentIndex() : CB_ERR;
}

int CComboBox::SetCurSel(int index)
{
    IComboBoxPeer* combo = ComboOf(m_hWnd);
    if (!combo)
        return CB_ERR;
    if (!ValidIndex(combo, index)) {
        combo->SetCurrentIndex(-1);
        return CB_ERR;
    }
    combo->SetCurrentIndex(index);
    return index;
}

DWORD_PTR CComboBox::GetItemData(int index) const
{
    IComboBoxPeer* combo = ComboOf(m_hWnd);
    if (!combo || !ValidIndex(combo, index))
        return (DWORD_PTR)CB_ERR;
    return combo->ItemData(index);
}

int CComboBox::SetItemData(int index, DWORD_PTR data)
{
    IComboBoxPeer* combo = ComboOf(m_hWnd);
    if (!combo || !ValidIndex(combo, index))
        return CB_ERR;
    combo->SetItemData(index, data);
    return CB_OKAY;
}

void CComboBox::GetLBText(int index, CString& text) const
{
    IComboBoxPeer* combo = ComboOf(m_hWnd);
    text = (combo && ValidIndex(combo, index)) ? combo->ItemText(index) : CString();
}

int CComboBox::GetLBText(int index, LPSTR buffer) const
{
    IComboBoxPeer* combo = ComboOf(m_hWnd);
    if (!combo || !ValidIndex(combo, index) || !buffer)
        return CB_ERR;
    CString text = combo->ItemText(index);
    memcpy(buffer, text.GetString(), (size_t)text.GetLength() + 1);
    return text.GetLength();
}

int CComboBox::GetLBTextLen(int index) const
{
    IComboBoxPeer* combo = ComboOf(m_hWnd);
    if (!combo || !ValidIndex(combo, index))
        return CB_ERR;
    return combo->ItemText(index).GetLength();
}

int CComboBox::FindString(int startAfter, LPCSTR prefix) const
{
    IComboBoxPeer* combo = ComboOf(m_hWnd);
    return combo ? combo->Find(startAfter, prefix, FALSE) : CB_ERR;
}

int CComboBox::FindStringExact(int startAfter, LPCSTR text) const
{
    IComboBoxPeer* combo = ComboOf(m_hWnd);
    return combo ? combo->Find(startAfter, text, TRUE) : CB_ERR;
}

int CComboBox::SelectString(int startAfter, LPCSTR prefix)
{
    int index = FindString(startAfter, prefix);
    if (index != CB_ERR)
        SetCurSel(index);
    return index;
}
