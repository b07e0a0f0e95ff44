#include "platform/wnd/Edit.h"

#include <QLineEdit>
#include <climits>

#include "platform/qt/WidgetHandle.h"

namespace {

QLineEdit* EditOf(HWND hWnd)
{
    return qobject_cast<QLineEdit*>(WidgetOf(hWnd));
}

} // namespace

BOOL CEdit::SetReadOnly(BOOL readOnly)
{
    QLineEdit* edit = EditOf(m_hWnd);
    if (!edit)
        return FALSE;
    edit->setReadOnly(readOnly != FALSE);
    return TRUE;
}

BOOL CEdit::IsReadOnly() const
{
    QLineEdit* edit = EditOf(m_hWnd);
    return edit && edit->isReadOnly();
}

void CEdit::SetSel(int start, int end, BOOL)
{
    QLineEdit* edit = EditOf(m_hWnd);
    if (!edit)
        return;
    int length = edit->text().size();
    if (start < 0) {
        edit->deselect();
        return;
    }
    if (end < 0 || end > length)
        end = length;
    start = std::min(start, length);
    if (end < start)
        std::swap(start, end);
    edit->setSelection(start, end - start);
}

void CEdit::GetSel(int& start, int& end) const
{
    start = end = 0;
    QLineEdit* edit = EditOf(m_hWnd);
    if (!edit)
        return;
    if (edit->hasSelectedText()) {
        start = edit->selectionStart();
        end = start + edit->selectedText().size();
    } else {
        start = end = edit->cursorPosition();
    }
}

void CEdit::ReplaceSel(LPCSTR text, BOOL)
{
    if (QLineEdit* edit = EditOf(m_hWnd))
        edit->insert(QString::fromUtf8(text ? text : ""));
}

void CEdit::LimitText(int maxChars)
{
    if (QLineEdit* edit = EditOf(m_hWnd))
        edit->setMaxLength(maxChars > 0 ? maxChars : INT_MAX);
}
