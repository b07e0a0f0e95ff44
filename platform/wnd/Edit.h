// Single-line edit control. Text changes (by the user or by SetWindowText) send EN_CHANGE.
#pragma once

#include "platform/wnd/Wnd.h"

class CEdit : public CWnd {
public:
    BOOL SetReadOnly(BOOL readOnly = TRUE);
    BOOL IsReadOnly() const;
    // Selects characters [start, end); start 0 and end -1 select everything, start -1 removes
    // the selection.
    void SetSel(int start, int end, BOOL noScroll = FALSE);
    void GetSel(int& start, int& end) const;
    void ReplaceSel(LPCSTR text, BOOL canUndo = FALSE);
    // At most `maxChars` characters may be typed; 0 lifts the limit.
    void LimitText(int maxChars = 0);
    void SetLimitText(UINT maxChars) { LimitText((int)maxChars); }
};
