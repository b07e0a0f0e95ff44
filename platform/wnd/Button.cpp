#include "platform/wnd/Button.h"

#include "platform/wnd/IButtonPeer.h"
#include "platform/wnd/WindowHandle.h"

namespace {

IButtonPeer* ButtonOf(HWND hWnd)
{
    return hWnd ? PeerOf(hWnd)->AsButton() : NULL;
}

}  // namespace

int CButton::GetCheck() const
{
    IButtonPeer* button = ButtonOf(m_hWnd);
    return button ? button->GetCheck() : BST_UNCHECKED;
}

void CButton::SetCheck(int check)
{
    if (IButtonPeer* button = ButtonOf(m_hWnd))
        button->SetCheck(check);
}

void CButton::Click()
{
    if (IButtonPeer* button = ButtonOf(m_hWnd))
        button->Click();
}
