#include "platform/wnd/Edit.h"

#include "platform/wnd/IEditPeer.h"
#include "platform/wnd/WindowHandle.h"

namespace {

IEditPeer* EditOf(HWND hWnd)
{
    return hWnd ? PeerOf(hWnd)->AsEdit() : NULL;
}

}  // namespace

BOOL CEdit::SetReadOnly(BOOL readOnly)
{
    IEditPeer* edit = EditOf(m_hWnd);
    if (!edit)
        return FALSE;
    edit->SetReadOnly(readOnly);
    return TRUE;
}

BOOL CEdit::IsReadOnly() const
{
    IEditPeer* edit = EditOf(m_hWnd);
    return edit && edit->IsReadOnly();
}

void CEdit::SetSel(int start, int end, BOOL)
{
    if (IEditPeer* edit = EditOf(m_hWnd))
        edit->SetSel(start, end);
}

void CEdit::GetSel(int& start, int& end) const
{
    start = end = 0;
    if (IEditPeer* edit = EditOf(m_hWnd))
        edit->GetSel(start, end);
}

void CEdit::ReplaceSel(LPCSTR text, BOOL)
{
    if (IEditPeer* edit = EditOf(m_hWnd))
        edit->ReplaceSel(text);
}

void CEdit::LimitText(int maxChars)
{
    if (IEditPeer* edit = EditOf(m_hWnd))
        edit->LimitText(maxChars);
}
