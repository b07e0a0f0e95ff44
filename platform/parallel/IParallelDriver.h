// The parallel-port driver as the parallel-port object uses it: a version query, claiming and
// releasing the port's I/O range, and single-byte register transfers addressed by the PC I/O
// port numbers (base 0x378: data, base + 1: status, base + 2: control, base + 0x402: extended
// control). Closing the driver is destroying the object.
#pragma once

#include <memory>

#include "platform/base/WinTypes.h"

class IParallelDriver {
public:
    virtual ~IParallelDriver() = default;

    // The driver's interface version; 0 when the device does not answer as a port driver.
    virtual DWORD QueryVersion() = 0;
    // Claims `count` ports from `firstPort` (for this program alone when `exclusive`).
    // Returns a non-zero handle when granted, 0 when the range is held by someone else.
    virtual DWORD ClaimRange(DWORD firstPort, DWORD count, BOOL exclusive) = 0;
    virtual BOOL ReleaseRange(DWORD handle) = 0;
    virtual BOOL WritePort(DWORD port, BYTE value) = 0;
    virtual BOOL ReadPort(DWORD port, BYTE& value) = 0;
};
