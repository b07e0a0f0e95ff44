#include "platform/qt/QtEditPeer.h"

#include <algorithm>
#include <climits>

void CQtEditPeer::SetSel(int start, int end)
{
    int length = m_edit->text().size();
    if (start < 0) {
        m_edit->deselect();
        return;
    }
    if (end < 0 || end > length)
        end = length;
    start = std::min(start, length);
    if (end < start)
        std::swap(start, end);
    m_edit->setSelection(start, end - start);
}

void CQtEditPeer::GetSel(int& start, int& end) const
{
    if (m_edit->hasSelectedText()) {
        start = m_edit->selectionStart();
        end = start + m_edit->selectedText().size();
    } else {
        start = end = m_edit->cursorPosition();
    }
}

void CQtEditPeer::ReplaceSel(LPCSTR text)
{
    m_edit->insert(QString::fromUtf8(text ? text : ""));
}

void CQtEditPeer::LimitText(int maxChars)
{
    m_edit->setMaxLength(maxChars > 0 ? maxChars : INT_MAX);
}
