#include "platform/wnd/ProgressCtrl.h"

#include "platform/time/KeepAlive.h"
#include "platform/wnd/IProgressPeer.h"
#include "platform/wnd/WindowHandle.h"

namespace {

IProgressPeer* BarOf(HWND hWnd)
{
    return hWnd ? PeerOf(hWnd)->AsProgress() : NULL;
}

// A bar that moves is an operation at work on the GUI thread: the window gets to show it.
int AfterMove(int previous)
{
    KeepAlive();
    return previous;
}

}  // namespace

void CProgressCtrl::SetRange(short lower, short upper)
{
    SetRange32(lower, upper);
}

void CProgressCtrl::SetRange32(int lower, int upper)
{
    if (IProgressPeer* bar = BarOf(m_hWnd))
        bar->SetRange(lower, upper);
}

void CProgressCtrl::GetRange(int& lower, int& upper) const
{
    lower = upper = 0;
    if (IProgressPeer* bar = BarOf(m_hWnd))
        bar->GetRange(lower, upper);
}

int CProgressCtrl::SetPos(int pos)
{
    IProgressPeer* bar = BarOf(m_hWnd);
    return AfterMove(bar ? bar->SetPos(pos) : 0);
}

int CProgressCtrl::GetPos() const
{
    IProgressPeer* bar = BarOf(m_hWnd);
    return bar ? bar->GetPos() : 0;
}

int CProgressCtrl::OffsetPos(int delta)
{
    IProgressPeer* bar = BarOf(m_hWnd);
    return AfterMove(bar ? bar->OffsetPos(delta) : 0);
}

int CProgressCtrl::SetStep(int step)
{
    IProgressPeer* bar = BarOf(m_hWnd);
    return bar ? bar->SetStep(step) : 0;
}

int CProgressCtrl::StepIt()
{
    IProgressPeer* bar = BarOf(m_hWnd);
    return AfterMove(bar ? bar->StepIt() : 0);
}
