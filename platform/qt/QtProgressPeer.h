// The peer of a progress bar.
#pragma once

#include "platform/qt/ProgressBarWidget.h"
#include "platform/qt/QtWidgetPeer.h"
#include "platform/wnd/IProgressPeer.h"

class CQtProgressPeer : public CQtWidgetPeer, public IProgressPeer {
public:
    explicit CQtProgressPeer(CProgressBarWidget* bar) : CQtWidgetPeer(bar), m_bar(bar) {}

    void SetRange(int lower, int upper) override { m_bar->SetRange(lower, upper); }
    void GetRange(int& lower, int& upper) const override
    {
        lower = m_bar->Lower();
        upper = m_bar->Upper();
    }
    int SetPos(int pos) override { return m_bar->SetPosition(pos); }
    int GetPos() const override { return m_bar->Position(); }
    int OffsetPos(int delta) override { return m_bar->Offset(delta); }
    int SetStep(int step) override { return m_bar->SetStep(step); }
    int StepIt() override { return m_bar->StepIt(); }
    IProgressPeer* AsProgress() override { return this; }

private:
    CProgressBarWidget* m_bar;
};
