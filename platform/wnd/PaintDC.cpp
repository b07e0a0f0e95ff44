#include "platform/wnd/PaintDC.h"

BOOL CPaintDC::DrawIcon(int, int, HICON icon)
{
    // The window system draws a minimised window's icon; nothing to paint here.
    return icon != NULL;
}
