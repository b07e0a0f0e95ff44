// The widget of a progress control. It keeps the control's own range, step and position (the
// Win32 semantics) and shows them on a QProgressBar.
#pragma once

#include <QProgressBar>

class CProgressBarWidget : public QProgressBar {
    Q_OBJECT

public:
    explicit CProgressBarWidget(QWidget* parent);

    void SetRange(int lower, int upper);
    int Lower() const { return m_lower; }
    int Upper() const { return m_upper; }
    int SetPosition(int pos);  // returns the previous position
    int Position() const { return m_pos; }
    int SetStep(int step);  // returns the previous step
    int Step() const { return m_step; }
    int StepIt();           // returns the previous position
    int Offset(int delta);  // returns the previous position

private:
    int Clamp(long long pos) const;
    void Show();

    int m_lower = 0;
    int m_upper = 100;
    int m_pos = 0;
    int m_step = 10;
};
