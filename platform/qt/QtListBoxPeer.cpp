#include "platform/qt/QtListBoxPeer.h"

#include <QItemSelectionModel>
#include <algorithm>

#include "platform/qt/ListBoxModel.h"

namespace {

// Selection changes made by code do not notify the dialog.
class CCodeChange {
public:
    explicit CCodeChange(CListBoxView* view) : m_view(view) { m_view->BeginCodeChange(); }
    ~CCodeChange() { m_view->EndCodeChange(); }

private:
    CListBoxView* m_view;
};

}  // namespace

void CQtListBoxPeer::OnRedrawChanged(BOOL redraw)
{
    if (redraw)
        m_view->Model()->ResumeUpdates();
    else
        m_view->Model()->SuspendUpdates();
}

int CQtListBoxPeer::Add(LPCSTR text)
{
    return m_view->Model()->Add(text ? text : "");
}

int CQtListBoxPeer::Insert(int index, LPCSTR text)
{
    return m_view->Model()->Insert(index, text ? text : "");
}

int CQtListBoxPeer::Delete(int index)
{
    CCodeChange change(m_view);
    return m_view->Model()->Delete(index);
}

void CQtListBoxPeer::Clear()
{
    CCodeChange change(m_view);
    m_view->Model()->Clear();
}

int CQtListBoxPeer::Count() const
{
    return m_view->Model()->Count();
}

void CQtListBoxPeer::Reserve(int items, UINT bytes)
{
    m_view->Model()->Reserve(items, bytes);
}

BOOL CQtListBoxPeer::GetText(int index, CString& text) const
{
    return m_view->Model()->GetText(index, text);
}

DWORD_PTR CQtListBoxPeer::ItemData(int index) const
{
    return m_view->Model()->ItemData(index);
}

void CQtListBoxPeer::SetItemData(int index, DWORD_PTR data)
{
    m_view->Model()->SetItemData(index, data);
}

int CQtListBoxPeer::Find(int startAfter, LPCSTR text, BOOL exact) const
{
    return m_view->Model()->Find(startAfter, text ? text : "", exact != FALSE);
}

void CQtListBoxPeer::SetLineSource(int count, std::function<void(int, CString&)> line)
{
    CCodeChange change(m_view);
    m_view->Model()->SetLineSource(count, std::move(line));
}

int CQtListBoxPeer::CurSel() const
{
    if (m_view->IsMultiSelect()) {
        QModelIndex current = m_view->currentIndex();
        return current.isValid() ? current.row() : -1;
    }
    QModelIndexList rows = m_view->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void CQtListBoxPeer::SetCurSel(int index)
{
    CCodeChange change(m_view);
    CListBoxModel* model = m_view->Model();
    if (!model->IsValid(index)) {
        m_view->selectionModel()->clearSelection();
        return;
    }
    QModelIndex item = model->index(index);
    m_view->selectionModel()->setCurrentIndex(item, QItemSelectionModel::ClearAndSelect);
    m_view->scrollTo(item);
}

BOOL CQtListBoxPeer::IsSelected(int index) const
{
    return m_view->selectionModel()->isRowSelected(index, QModelIndex());
}

void CQtListBoxPeer::SetSel(int index, BOOL select)
{
    CListBoxModel* model = m_view->Model();
    QItemSelectionModel::SelectionFlags flags = (select ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                                                QItemSelectionModel::Rows;
    CCodeChange change(m_view);
    if (index == -1) {
        if (model->Count() > 0)
            m_view->selectionModel()->select(QItemSelection(model->index(0), model->index(model->Count() - 1)), flags);
        return;
    }
    m_view->selectionModel()->select(model->index(index), flags);
}

std::vector<std::pair<int, int>> CQtListBoxPeer::SelectedRuns() const
{
    std::vector<std::pair<int, int>> runs;
    for (const QItemSelectionRange& range : m_view->selectionModel()->selection())
        runs.push_back({range.top(), range.bottom()});
    std::sort(runs.begin(), runs.end());
    std::vector<std::pair<int, int>> merged;
    for (const auto& run : runs) {
        if (!merged.empty() && run.first <= merged.back().second + 1)
            merged.back().second = std::max(merged.back().second, run.second);
        else
            merged.push_back(run);
    }
    return merged;
}

int CQtListBoxPeer::TopIndex() const
{
    QModelIndex top = m_view->indexAt(QPoint(1, 1));
    return top.isValid() ? top.row() : 0;
}

void CQtListBoxPeer::SetTopIndex(int index)
{
    m_view->scrollTo(m_view->Model()->index(index), QAbstractItemView::PositionAtTop);
}

void CQtListBoxPeer::UserDoubleClick(int index)
{
    emit m_view->doubleClicked(m_view->Model()->index(index));
}

void CQtListBoxPeer::UserSelect(int index, BOOL extend)
{
    QModelIndex item = m_view->Model()->index(index);
    QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
    if (extend && m_view->IsMultiSelect())
        flags = QItemSelectionModel::Toggle;
    m_view->selectionModel()->setCurrentIndex(item, flags | QItemSelectionModel::Rows);
}
