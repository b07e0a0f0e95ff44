// The toolkit's side of a single-line edit control (see CEdit).
#pragma once

#include "platform/base/WinTypes.h"

class IEditPeer {
public:
    virtual ~IEditPeer() = default;
    virtual void SetReadOnly(BOOL readOnly) = 0;
    virtual BOOL IsReadOnly() const = 0;
    // CEdit's selection rules: characters [start, end), end -1 to the end, start -1 none.
    virtual void SetSel(int start, int end) = 0;
    virtual void GetSel(int& start, int& end) const = 0;
    virtual void ReplaceSel(LPCSTR text) = 0;
    // 0 lifts the limit.
    virtual void LimitText(int maxChars) = 0;
};
