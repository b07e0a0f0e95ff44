#include "platform/wnd/ListBox.h"

#include <QItemSelectionModel>
#include <algorithm>
#include <vector>

#include "platform/qt/ListBoxModel.h"
#include "platform/qt/ListBoxView.h"
#include "platform/qt/WidgetHandle.h"

namespace {

CListBoxView* ViewOf(HWND hWnd)
{
    return qobject_cast<CListBoxView*>(WidgetOf(hWnd));
}

// The selected rows as sorted, non-overlapping [first, last] runs.
std::vector<std::pair<int, int>> SelectedRuns(CListBoxView* view)
{
    std::vector<std::pair<int, int>> runs;
    for (const QItemSelectionRange& range : view->selectionModel()->selection())
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

class CCodeChange {
public:
    explicit CCodeChange(CListBoxView* view) : m_view(view) { m_view->BeginCodeChange(); }
    ~CCodeChange() { m_view->EndCodeChange(); }

private:
    CListBoxView* m_view;
};

} // namespace

int CListBox::AddString(LPCSTR text)
{
    CListBoxView* view = ViewOf(m_hWnd);
    return view ? view->Model()->Add(text ? text : "") : LB_ERR;
}

int CListBox::InsertString(int index, LPCSTR text)
{
    CListBoxView* view = ViewOf(m_hWnd);
    return view ? view->Model()->Insert(index, text ? text : "") : LB_ERR;
}

int CListBox::DeleteString(UINT index)
{
    CListBoxView* view = ViewOf(m_hWnd);
    if (!view)
        return LB_ERR;
    CCodeChange change(view);
    return view->Model()->Delete((int)index);
}

void CListBox::ResetContent()
{
    if (CListBoxView* view = ViewOf(m_hWnd)) {
        CCodeChange change(view);
        view->Model()->Clear();
    }
}

int CListBox::GetCount() const
{
    CListBoxView* view = ViewOf(m_hWnd);
    return view ? view->Model()->Count() : LB_ERR;
}

int CListBox::InitStorage(int items, UINT bytes)
{
    CListBoxView* view = ViewOf(m_hWnd);
    if (!view)
        return LB_ERRSPACE;
    view->Model()->Reserve(items, bytes);
    return view->Model()->Count() + std::max(items, 0);
}

int CListBox::GetText(int index, CString& text) const
{
    CListBoxView* view = ViewOf(m_hWnd);
    if (!view || !view->Model()->GetText(index, text)) {
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
    CListBoxView* view = ViewOf(m_hWnd);
    return view ? view->Model()->ItemData(index) : (DWORD_PTR)LB_ERR;
}

int CListBox::SetItemData(int index, DWORD_PTR data)
{
    CListBoxView* view = ViewOf(m_hWnd);
    if (!view || !view->Model()->IsValid(index))
        return LB_ERR;
    view->Model()->SetItemData(index, data);
    return LB_OKAY;
}

int CListBox::FindString(int startAfter, LPCSTR prefix) const
{
    CListBoxView* view = ViewOf(m_hWnd);
    return view ? view->Model()->Find(startAfter, prefix ? prefix : "", false) : LB_ERR;
}

int CListBox::FindStringExact(int startAfter, LPCSTR text) const
{
    CListBoxView* view = ViewOf(m_hWnd);
    return view ? view->Model()->Find(startAfter, text ? text : "", true) : LB_ERR;
}

int CListBox::SelectString(int startAfter, LPCSTR prefix)
{
    CListBoxView* view = ViewOf(m_hWnd);
    if (!view || view->IsMultiSelect())
        return LB_ERR;
    int index = FindString(startAfter, prefix);
    if (index != LB_ERR)
        SetCurSel(index);
    return index;
}

int CListBox::GetCurSel() const
{
    CListBoxView* view = ViewOf(m_hWnd);
    if (!view)
        return LB_ERR;
    if (view->IsMultiSelect()) {
        QModelIndex current = view->currentIndex();
        return current.isValid() ? current.row() : LB_ERR;
    }
    QModelIndexList rows = view->selectionModel()->selectedRows();
    return rows.isEmpty() ? LB_ERR : rows.first().row();
}

int CListBox::SetCurSel(int index)
{
    CListBoxView* view = ViewOf(m_hWnd);
    if (!view || view->IsMultiSelect())
        return LB_ERR;
    CCodeChange change(view);
    CListBoxModel* model = view->Model();
    if (!model->IsValid(index)) {
        view->selectionModel()->clearSelection();
        return LB_ERR;   // also for -1, which clears the selection
    }
    QModelIndex item = model->index(index);
    view->selectionModel()->setCurrentIndex(item, QItemSelectionModel::ClearAndSelect);
    view->scrollTo(item);
    return index;
}

int CListBox::GetSel(int index) const
{
    CListBoxView* view = ViewOf(m_hWnd);
    if (!view || !view->Model()->IsValid(index))
        return LB_ERR;
    return view->selectionModel()->isRowSelected(index, QModelIndex()) ? 1 : 0;
}

int CListBox::SetSel(int index, BOOL select)
{
    CListBoxView* view = ViewOf(m_hWnd);
    if (!view || !view->IsMultiSelect())
        return LB_ERR;
    CListBoxModel* model = view->Model();
    QItemSelectionModel::SelectionFlags flags =
        (select ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) | QItemSelectionModel::Rows;
    CCodeChange change(view);
    if (index == -1) {
        if (model->Count() > 0)
            view->selectionModel()->select(QItemSelection(model->index(0), model->index(model->Count() - 1)), flags);
        return LB_OKAY;
    }
    if (!model->IsValid(index))
        return LB_ERR;
    view->selectionModel()->select(model->index(index), flags);
    return LB_OKAY;
}

int CListBox::GetSelCount() const
{
    CListBoxView* view = ViewOf(m_hWnd);
    if (!view || !view->IsMultiSelect())
        return LB_ERR;
    int count = 0;
    for (const auto& run : SelectedRuns(view))
        count += run.second - run.first + 1;
    return count;
}

int CListBox::GetSelItems(int maxItems, LPINT items) const
{
    CListBoxView* view = ViewOf(m_hWnd);
    if (!view || !view->IsMultiSelect())
        return LB_ERR;
    int count = 0;
    if (!items || maxItems <= 0)
        return 0;
    for (const auto& run : SelectedRuns(view))
        for (int row = run.first; row <= run.second && count < maxItems; ++row)
            items[count++] = row;
    return count;
}

int CListBox::GetTopIndex() const
{
    CListBoxView* view = ViewOf(m_hWnd);
    if (!view)
        return LB_ERR;
    QModelIndex top = view->indexAt(QPoint(1, 1));
    return top.isValid() ? top.row() : 0;
}

int CListBox::SetTopIndex(int index)
{
    CListBoxView* view = ViewOf(m_hWnd);
    if (!view || !view->Model()->IsValid(index))
        return LB_ERR;
    view->scrollTo(view->Model()->index(index), QAbstractItemView::PositionAtTop);
    return LB_OKAY;
}

BOOL CListBox::SetTabStops(int dialogUnits)
{
    CListBoxView* view = ViewOf(m_hWnd);
    if (!view || dialogUnits <= 0)
        return FALSE;
    view->SetTabStopDialogUnits(dialogUnits);
    return TRUE;
}

void CListBox::SetTabStops()
{
    if (CListBoxView* view = ViewOf(m_hWnd))
        view->SetTabStopDialogUnits(32);
}

void CListBox::SetLineSource(int count, std::function<void(int, CString&)> line)
{
    if (CListBoxView* view = ViewOf(m_hWnd)) {
        CCodeChange change(view);
        view->Model()->SetLineSource(count, std::move(line));
    }
}
