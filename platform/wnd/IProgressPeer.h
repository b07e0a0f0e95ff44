// The toolkit's side of a progress bar (see CProgressCtrl for the range, clamping and
// wrapping rules). The setters return the previous value.
#pragma once

class IProgressPeer {
public:
    virtual ~IProgressPeer() = default;
    virtual void SetRange(int lower, int upper) = 0;
    virtual void GetRange(int& lower, int& upper) const = 0;
    virtual int SetPos(int pos) = 0;
    virtual int GetPos() const = 0;
    virtual int OffsetPos(int delta) = 0;
    virtual int SetStep(int step) = 0;
    virtual int StepIt() = 0;
};
