// Report lengths from a HID report descriptor, as the Windows HID stack states them: for each
// kind of report (input, output, feature) the longest report in bytes plus one byte for the
// report id, which is counted also when the device does not number its reports. Push and Pop
// of the global items and long items are understood; local items do not affect lengths.
#pragma once

#include <cstddef>

#include "platform/base/WinTypes.h"

class CHidReportDescriptor {
public:
    // The largest report the kernel accepts (HID_MAX_BUFFER_SIZE); a descriptor that declares
    // a longer one is refused rather than sized.
    static const DWORD maxReportBytes = 16384;

    // Parses `length` bytes. FALSE for a malformed descriptor (an item running past the end,
    // Pop without Push, too deep a Push, report id 0, a report beyond maxReportBytes); all
    // lengths are 0 then, so no buffer is ever sized from a broken descriptor.
    BOOL Parse(const BYTE* data, size_t length);

    DWORD GetInputReportLength() const { return m_dwInput; }
    DWORD GetOutputReportLength() const { return m_dwOutput; }
    DWORD GetFeatureReportLength() const { return m_dwFeature; }
    // TRUE when the descriptor has Report ID items: reports then start with their id on the
    // wire, otherwise the system adds and removes the id byte 0 itself.
    BOOL HasReportIds() const { return m_bNumbered; }

private:
    void Reset();

    DWORD m_dwInput = 0;
    DWORD m_dwOutput = 0;
    DWORD m_dwFeature = 0;
    BOOL m_bNumbered = FALSE;
};
