#include "platform/qt/ProgressBarWidget.h"

#include <algorithm>

CProgressBarWidget::CProgressBarWidget(QWidget* parent) : QProgressBar(parent)
{
    setTextVisible(false);
    Show();
}

int CProgressBarWidget::Clamp(long long pos) const
{
    int low = std::min(m_lower, m_upper);
    int high = std::max(m_lower, m_upper);
    return (int)std::clamp<long long>(pos, low, high);
}

void CProgressBarWidget::Show()
{
    int low = std::min(m_lower, m_upper);
    int high = std::max(m_lower, m_upper);
    // An empty range would make QProgressBar show a busy animation; show an empty bar.
    setRange(low, high == low ? low + 1 : high);
    setValue(m_pos);
}

void CProgressBarWidget::SetRange(int lower, int upper)
{
    m_lower = lower;
    m_upper = upper;
    m_pos = Clamp(m_pos);
    Show();
}

int CProgressBarWidget::SetPosition(int pos)
{
    int previous = m_pos;
    m_pos = Clamp(pos);
    Show();
    return previous;
}

int CProgressBarWidget::SetStep(int step)
{
    int previous = m_step;
    m_step = step;
    return previous;
}

int CProgressBarWidget::Offset(int delta)
{
    return SetPosition((int)std::clamp<long long>((long long)m_pos + delta, INT32_MIN, INT32_MAX));
}

int CProgressBarWidget::StepIt()
{
    int previous = m_pos;
    int low = std::min(m_lower, m_upper);
    int high = std::max(m_lower, m_upper);
    long long span = (long long)high - low;
    long long pos = (long long)m_pos + m_step;
    // Past either end the bar starts over from the other end, keeping the excess.
    if (span == 0)
        pos = low;
    else if (pos > high)
        pos = low + (pos - high) % span;
    else if (pos < low)
        pos = high - (low - pos) % span;
    m_pos = (int)pos;
    Show();
    return previous;
}
