// List box. Indexes are 0-based; LB_ERR (-1) reports a bad index or no selection. Entries are
// kept by the control in compact storage, so a million lines stay cheap; a sorted list box
// inserts in case-insensitive text order, and appending entries already in order costs O(1).
// With the tab-stop style, text after a "\t" starts at the tab stop.
//
// Selection: single-selection boxes use GetCurSel/SetCurSel; extended or multiple selection
// boxes use GetSel/SetSel/GetSelCount/GetSelItems (GetCurSel then gives the focused entry).
// A selection change by the user sends LBN_SELCHANGE (with the notify style); calls from code
// do not.
#pragma once

#include <functional>

#include "platform/wnd/Wnd.h"

class CListBox : public CWnd {
public:
    int AddString(LPCSTR text);
    int InsertString(int index, LPCSTR text);  // -1: at the end
    int DeleteString(UINT index);              // entries left, or LB_ERR
    void ResetContent();
    int GetCount() const;
    // Reserves room for `items` more entries and `bytes` of text. Returns the room now
    // available in entries, or LB_ERRSPACE.
    int InitStorage(int items, UINT bytes);

    int GetText(int index, CString& text) const;  // length, or LB_ERR (text emptied)
    int GetTextLen(int index) const;
    DWORD_PTR GetItemData(int index) const;
    int SetItemData(int index, DWORD_PTR data);

    int FindString(int startAfter, LPCSTR prefix) const;
    int FindStringExact(int startAfter, LPCSTR text) const;
    int SelectString(int startAfter, LPCSTR prefix);

    int GetCurSel() const;
    int SetCurSel(int index);
    int GetSel(int index) const;  // >0 selected, 0 not, LB_ERR bad index
    // Selects (or deselects) `index`; -1 applies to every entry. LB_ERR for a single-
    // selection box or a bad index.
    int SetSel(int index, BOOL select = TRUE);
    int GetSelCount() const;  // LB_ERR for a single-selection box
    // Up to `maxItems` selected indexes in ascending order into `items`; their number.
    int GetSelItems(int maxItems, LPINT items) const;
    int GetTopIndex() const;
    int SetTopIndex(int index);

    // One tab stop at `dialogUnits` horizontal dialog units (of the list box's dialog).
    BOOL SetTabStops(int dialogUnits);
    // Default tab stops (every 32 dialog units).
    void SetTabStops();

    // Lines supplied on demand: the box then has `count` entries whose text comes from
    // `line(index, text)`; GetCount and GetText answer as if the strings had been added.
    // Adding or inserting afterwards first turns the supplied lines into stored ones.
    void SetLineSource(int count, std::function<void(int, CString&)> line);
};
