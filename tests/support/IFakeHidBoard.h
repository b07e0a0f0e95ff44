// A device hanging off the fake HID platform: it takes the host's output reports and has
// input reports ready for the host to read.
#pragma once

#include <vector>

#include "platform/base/WinTypes.h"

class IFakeHidBoard {
public:
    virtual ~IFakeHidBoard() = default;

    // One output report exactly as the host wrote it (byte 0 the report id).
    virtual void OnOutputReport(const std::vector<BYTE>& report) = 0;
    // The next input report the board has ready (byte 0 the report id); FALSE when none is,
    // and the host's read then waits out its time-out.
    virtual BOOL NextInputReport(std::vector<BYTE>& report) = 0;
    // FALSE when the board does not take `report` (its endpoint stalls): the host's write
    // waits until its time-out or the kernel's, whichever comes first, and the report is lost.
    virtual BOOL TakesOutputReport(const std::vector<BYTE>&) { return TRUE; }
    // FALSE once the board has been pulled out: it is no longer listed and every transfer on
    // a handle still open fails.
    virtual BOOL IsAttached() const { return TRUE; }
};
