#include "platform/wnd/Static.h"

#include "platform/wnd/IStaticPeer.h"
#include "platform/wnd/WindowHandle.h"

HICON CStatic::SetIcon(HICON icon)
{
    IStaticPeer* label = m_hWnd ? PeerOf(m_hWnd)->AsStatic() : NULL;
    return label ? label->SetIcon(icon) : NULL;
}
