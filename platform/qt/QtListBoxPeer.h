// The peer of a list box: the list view and its storage model.
#pragma once

#include "platform/qt/ListBoxView.h"
#include "platform/qt/QtWidgetPeer.h"
#include "platform/wnd/IListBoxPeer.h"

class CQtListBoxPeer : public CQtWidgetPeer, public IListBoxPeer {
public:
    explicit CQtListBoxPeer(CListBoxView* view) : CQtWidgetPeer(view), m_view(view) {}

    int Add(LPCSTR text) override;
    int Insert(int index, LPCSTR text) override;
    int Delete(int index) override;
    void Clear() override;
    int Count() const override;
    void Reserve(int items, UINT bytes) override;
    // The window text and a row's text are different things under one name.
    using CQtWidgetPeer::GetText;
    BOOL GetText(int index, CString& text) const override;
    DWORD_PTR ItemData(int index) const override;
    void SetItemData(int index, DWORD_PTR data) override;
    int Find(int startAfter, LPCSTR text, BOOL exact) const override;
    void SetLineSource(int count, std::function<void(int, CString&)> line) override;
    BOOL IsMultiSelect() const override { return m_view->IsMultiSelect(); }
    int CurSel() const override;
    void SetCurSel(int index) override;
    BOOL IsSelected(int index) const override;
    void SetSel(int index, BOOL select) override;
    std::vector<std::pair<int, int>> SelectedRuns() const override;
    int TopIndex() const override;
    void SetTopIndex(int index) override;
    void SetTabStopUnits(int dialogUnits) override { m_view->SetTabStopDialogUnits(dialogUnits); }
    void UserSelect(int index, BOOL extend) override;
    void UserDoubleClick(int index) override;
    IListBoxPeer* AsListBox() override { return this; }

protected:
    void OnRedrawChanged(BOOL redraw) override;

private:
    CListBoxView* m_view;
};
