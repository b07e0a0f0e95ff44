#include "platform/wnd/ListBox.h"

#include <algorithm>

#include "platform/wnd/IListBoxPeer.h"
#include "platform/wnd/WindowHandle.h"

namespace {

IListBoxPeer* ListOf(HWND hWnd)
{
    return hWnd ? PeerOf(hWnd)->AsListBox() : NULL;
}

bool ValidIndex(IListBoxPeer* list, int index)
{
    return index >= 0 && index < list->Count();
}

const int kDefaultTabStop = 32;

}  // namespace

int CListBox::AddString(LPCSTR text)
{
    IListBoxPeer* list = ListOf(m_hWnd);
    return list ? list->Add(text) : LB_ERR;
}

int CListBox::InsertString(int index, LPCSTR text)
{
    IListBoxPeer* list = ListOf(m_hWnd);
    return list ? list->Insert(index, text) : LB_ERR;
}

int CListBox::DeleteString(UINT index)
{
    IListBoxPeer* list = ListOf(m_hWnd);
    return list ? list->Delete((int)index) : LB_ERR;
}

void CListBox::ResetContent()
{
    if (IListBoxPeer* list = ListOf(m_hWnd))
        list->Clear();
}

int CListBox::GetCount() const
{
    IListBoxPeer* list = ListOf(m_hWnd);
    return list ? list->Count() : LB_ERR;
}

int CListBox::InitStorage(int items, UINT bytes)
{
    IListBoxPeer* list = ListOf(m_hWnd);
    if (!list)
        return LB_ERRSPACE;
    list->Reserve(items, bytes);
    return list->Count() + std::max(items, 0);
}

int CListBox::GetText(int index, CString& text) const
{
    IListBoxPeer* list = ListOf(m_hWnd);
    if (!list || !list->GetText(index, text)) {
        text.Empty();
        return LB_ERR;
    }
    return text.GetLength();
}

int CListBox::GetTextLen(int index) const
{
    CString text;
    return GetText(index, text);
}

DWORD_PTR CListBox::GetItemData(int index) const
{
    IListBoxPeer* list = ListOf(m_hWnd);
    return list ? list->ItemData(index) : (DWORD_PTR)LB_ERR;
}

int CListBox::SetItemData(int index, DWORD_PTR data)
{
    IListBoxPeer* list = ListOf(m_hWnd);
    if (!list || !ValidIndex(list, index))
        return LB_ERR;
    list->SetItemData(index, data);
    return LB_OKAY;
}

int CListBox::FindString(int startAfter, LPCSTR prefix) const
{
    IListBoxPeer* list = ListOf(m_hWnd);
    return list ? list->Find(startAfter, prefix, FALSE) : LB_ERR;
}

int CListBox::FindStringExact(int startAfter, LPCSTR text) const
{
    IListBoxPeer* list = ListOf(m_hWnd);
    return list ? list->Find(startAfter, text, TRUE) : LB_ERR;
}

int CListBox::SelectString(int startAfter, LPCSTR prefix)
{
    IListBoxPeer* list = ListOf(m_hWnd);
    if (!list || list->IsMultiSelect())
        return LB_ERR;
    int index = FindString(startAfter, prefix);
    if (index != LB_ERR)
        SetCurSel(index);
    return index;
}

int CListBox::GetCurSel() const
{
    IListBoxPeer* list = ListOf(m_hWnd);
    if (!list)
        return LB_ERR;
    int index = list->CurSel();
    return index < 0 ? LB_ERR : index;
}

int CListBox::SetCurSel(int index)
{
    IListBoxPeer* list = ListOf(m_hWnd);
    if (!list || list->IsMultiSelect())
        return LB_ERR;
    list->SetCurSel(index);
    // Also for -1, which clears the selection.
    return ValidIndex(list, index) ? index : LB_ERR;
}

int CListBox::GetSel(int index) const
{
    IListBoxPeer* list = ListOf(m_hWnd);
    if (!list || !ValidIndex(list, index))
        return LB_ERR;
    return list->IsSelected(index) ? 1 : 0;
}

int CListBox::SetSel(int index, BOOL select)
{
    IListBoxPeer* list = ListOf(m_hWnd);
    if (!list || !list->IsMultiSelect())
        return LB_ERR;
    if (index != -1 && !ValidIndex(list, index))
        return LB_ERR;
    list->SetSel(index, select);
    return LB_OKAY;
}

int CListBox::GetSelCount() const
{
    IListBoxPeer* list = ListOf(m_hWnd);
    if (!list || !list->IsMultiSelect())
        return LB_ERR;
    int count = 0;
    for (const auto& run : list->SelectedRuns())
        count += run.second - run.first + 1;
    return count;
}

int CListBox::GetSelItems(int maxItems, LPINT items) const
{
    IListBoxPeer* list = ListOf(m_hWnd);
    if (!list || !list->IsMultiSelect())
        return LB_ERR;
    int count = 0;
    if (!items || maxItems <= 0)
        return 0;
    for (const auto& run : list->SelectedRuns())
        for (int row = run.first; row <= run.second && count < maxItems; ++row)
            items[count++] = row;
    return count;
}

int CListBox::GetTopIndex() const
{
    IListBoxPeer* list = ListOf(m_hWnd);
    return list ? list->TopIndex() : LB_ERR;
}

int CListBox::SetTopIndex(int index)
{
    IListBoxPeer* list = ListOf(m_hWnd);
    if (!list || !ValidIndex(list, index))
        return LB_ERR;
    list->SetTopIndex(index);
    return LB_OKAY;
}

BOOL CListBox::SetTabStops(int dialogUnits)
{
    IListBoxPeer* list = ListOf(m_hWnd);
    if (!list || dialogUnits <= 0)
        return FALSE;
    list->SetTabStopUnits(dialogUnits);
    return TRUE;
}

void CListBox::SetTabStops()
{
    if (IListBoxPeer* list = ListOf(m_hWnd))
        list->SetTabStopUnits(kDefaultTabStop);
}

void CListBox::SetLineSource(int count, std::function<void(int, CString&)> line)
{
    if (IListBoxPeer* list = ListOf(m_hWnd))
        list->SetLineSource(count, std::move(line));
}
