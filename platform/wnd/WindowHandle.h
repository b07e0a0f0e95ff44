// A window handle is the address of the window's peer; these convert between the two.
#pragma once

#include "platform/wnd/IWindowPeer.h"

inline IWindowPeer* PeerOf(HWND hWnd)
{
    return reinterpret_cast<IWindowPeer*>(hWnd);
}

inline HWND HandleOfPeer(IWindowPeer* peer)
{
    return reinterpret_cast<HWND>(peer);
}
