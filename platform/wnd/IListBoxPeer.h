// The toolkit's side of a list box: its entry storage, selection and scrolling (see CListBox
// for the rules: indexes, LB_ERR, the sort order, searches, no notification for changes made
// by code). Indexes given to it are valid unless said otherwise.
#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "platform/base/CString.h"

class IListBoxPeer {
public:
    virtual ~IListBoxPeer() = default;
    // The index of the new entry; -1 on failure.
    virtual int Add(LPCSTR text) = 0;
    virtual int Insert(int index, LPCSTR text) = 0;
    // Entries left, or -1 for a bad index.
    virtual int Delete(int index) = 0;
    virtual void Clear() = 0;
    virtual int Count() const = 0;
    virtual void Reserve(int items, UINT bytes) = 0;
    // FALSE for a bad index.
    virtual BOOL GetText(int index, CString& text) const = 0;
    // LB_ERR for a bad index.
    virtual DWORD_PTR ItemData(int index) const = 0;
    virtual void SetItemData(int index, DWORD_PTR data) = 0;
    virtual int Find(int startAfter, LPCSTR text, BOOL exact) const = 0;
    virtual void SetLineSource(int count, std::function<void(int, CString&)> line) = 0;

    virtual BOOL IsMultiSelect() const = 0;
    // Single selection: the selected entry; extended or multiple: the focused one. -1 none.
    virtual int CurSel() const = 0;
    // Single selection: selects `index` and scrolls it into view; -1 (or any bad index)
    // clears the selection.
    virtual void SetCurSel(int index) = 0;
    virtual BOOL IsSelected(int index) const = 0;
    // Extended or multiple selection; -1 applies to every entry.
    virtual void SetSel(int index, BOOL select) = 0;
    // The selected entries as sorted, non-overlapping [first, last] runs.
    virtual std::vector<std::pair<int, int>> SelectedRuns() const = 0;
    virtual int TopIndex() const = 0;
    virtual void SetTopIndex(int index) = 0;
    virtual void SetTabStopUnits(int dialogUnits) = 0;
    // The user clicks entry `index`; with `extend`, a ctrl+click that toggles it.
    virtual void UserSelect(int index, BOOL extend) = 0;
    // The user double-clicks entry `index` (already selected by the caller).
    virtual void UserDoubleClick(int index) = 0;
};
