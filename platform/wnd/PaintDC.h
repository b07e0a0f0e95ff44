// Painting context of a window's paint handler. Qt paints the dialogs itself, so the handler's
// drawing only has an effect where a widget asks for it (the minimised-icon case never arises
// on Linux desktops, which draw a minimised window's icon themselves).
#pragma once

#include "platform/base/WinMessages.h"

class CWnd;

class CPaintDC {
public:
    explicit CPaintDC(CWnd* window) : m_pWnd(window) {}
    HDC GetSafeHdc() const { return m_hDC; }
    BOOL DrawIcon(int x, int y, HICON icon);

    HDC m_hDC = NULL;

private:
    CWnd* m_pWnd;
};
