// Progress bar. Range 0-100 and step 10 to begin with. Positions are clamped into the range;
// StepIt past the upper bound wraps round to the lower bound and carries the excess, so a bar
// that is stepped forever keeps cycling.
#pragma once

#include "platform/wnd/Wnd.h"

class CProgressCtrl : public CWnd {
public:
    void SetRange(short lower, short upper);
    void SetRange32(int lower, int upper);
    void GetRange(int& lower, int& upper) const;
    int SetPos(int pos);  // the previous position
    int GetPos() const;
    int OffsetPos(int delta);  // the previous position
    int SetStep(int step);     // the previous step
    int StepIt();              // the previous position
};
