#include "platform/wnd/ProgressCtrl.h"

#include "platform/qt/ProgressBarWidget.h"
#include "platform/qt/WidgetHandle.h"

namespace {

CProgressBarWidget* BarOf(HWND hWnd)
{
    return qobject_cast<CProgressBarWidget*>(WidgetOf(hWnd));
}

} // namespace

void CProgressCtrl::SetRange(short lower, short upper)
{
    SetRange32(lower, upper);
}

void CProgressCtrl::SetRange32(int lower, int upper)
{
    if (CProgressBarWidget* bar = BarOf(m_hWnd))
        bar->SetRange(lower, upper);
}

void CProgressCtrl::GetRange(int& lower, int& upper) const
{
    lower = upper = 0;
    if (CProgressBarWidget* bar = BarOf(m_hWnd)) {
        lower = bar->Lower();
        upper = bar->Upper();
    }
}

int CProgressCtrl::SetPos(int pos)
{
    CProgressBarWidget* bar = BarOf(m_hWnd);
    return bar ? bar->SetPosition(pos) : 0;
}

int CProgressCtrl::GetPos() const
{
    CProgressBarWidget* bar = BarOf(m_hWnd);
    return bar ? bar->Position() : 0;
}

int CProgressCtrl::OffsetPos(int delta)
{
    CProgressBarWidget* bar = BarOf(m_hWnd);
    return bar ? bar->Offset(delta) : 0;
}

int CProgressCtrl::SetStep(int step)
{
    CProgressBarWidget* bar = BarOf(m_hWnd);
    return bar ? bar->SetStep(step) : 0;
}

int CProgressCtrl::StepIt()
{
    CProgressBarWidget* bar = BarOf(m_hWnd);
    return bar ? bar->StepIt() : 0;
}
