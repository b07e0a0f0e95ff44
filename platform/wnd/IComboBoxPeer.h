// The toolkit's side of a drop-down list (see CComboBox for the rules: indexes, CB_ERR, the
// sort order, searches, no notification for changes made by code).
#pragma once

#include "platform/base/CString.h"

class IComboBoxPeer {
public:
    virtual ~IComboBoxPeer() = default;
    // At the sorted place in a sorted box, else at the end; the index.
    virtual int Add(LPCSTR text) = 0;
    // At `index` (0..Count()), whatever the sort style; no selection appears by itself.
    virtual void Insert(int index, LPCSTR text) = 0;
    // A valid index; a selected entry leaves no selection behind.
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;
    virtual int Count() const = 0;
    virtual int CurrentIndex() const = 0;
    // -1 clears the selection.
    virtual void SetCurrentIndex(int index) = 0;
    virtual DWORD_PTR ItemData(int index) const = 0;
    virtual void SetItemData(int index, DWORD_PTR data) = 0;
    virtual CString ItemText(int index) const = 0;
    // The CComboBox search (case-insensitive, after `startAfter`, wrapping); -1 if none.
    virtual int Find(int startAfter, LPCSTR text, BOOL exact) const = 0;
    // The user picks entry `index` (CBN_SELCHANGE follows).
    virtual void UserSelect(int index) = 0;
};
