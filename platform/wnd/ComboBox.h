// Drop-down list combo box. Indexes are 0-based; CB_ERR (-1) reports no selection or a bad
// index. A sorted combo box inserts each string at its place in case-insensitive text order
// (ties go after equal entries). A selection made by the user sends CBN_SELCHANGE to the
// dialog; SetCurSel and SelectString from code do not.
#pragma once

#include "platform/wnd/Wnd.h"

class CComboBox : public CWnd {
public:
    // Index of the new entry (its sorted place in a sorted combo box), or CB_ERR.
    int AddString(LPCSTR text);
    // At `index` (-1: at the end) whatever the sort style.
    int InsertString(int index, LPCSTR text);
    // Entries left, or CB_ERR for a bad index.
    int DeleteString(UINT index);
    void ResetContent();
    int GetCount() const;

    int GetCurSel() const;
    // Selects `index` (-1 clears the selection); returns `index`, or CB_ERR if it is out of
    // range (the selection is then cleared, as Win32 does).
    int SetCurSel(int index);

    DWORD_PTR GetItemData(int index) const;  // CB_ERR for a bad index
    int SetItemData(int index, DWORD_PTR data);

    void GetLBText(int index, CString& text) const;  // empty for a bad index
    int GetLBText(int index, LPSTR buffer) const;    // buffer of GetLBTextLen + 1 bytes
    int GetLBTextLen(int index) const;               // CB_ERR for a bad index

    // First entry after `startAfter` (-1: from the top) that begins with `prefix`, compared
    // without case, wrapping round to the top; CB_ERR if none.
    int FindString(int startAfter, LPCSTR prefix) const;
    // The same for a whole-text match.
    int FindStringExact(int startAfter, LPCSTR text) const;
    // FindString, then selects the entry found; returns its index or CB_ERR (selection kept).
    int SelectString(int startAfter, LPCSTR prefix);
};
