// Static text of a dialog (labels, progress texts).
#pragma once

#include "platform/wnd/Wnd.h"

class CStatic : public CWnd {
public:
    HICON SetIcon(HICON icon);
};
