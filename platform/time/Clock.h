// Time services: the millisecond tick counter, sleeping and the floor of the busy wait,
// replaceable by a virtual clock in tests so that multi-second protocol waits cost nothing.
#pragma once

#include <cstdint>

#include "platform/base/ServiceSlot.h"
#include "platform/base/WinTypes.h"

class IClock {
public:
    virtual ~IClock() = default;
    // Milliseconds since an arbitrary start, from a monotonic source; never goes back.
    virtual uint64_t NowMilliseconds() = 0;
    virtual void SleepMilliseconds(DWORD ms) = 0;
    // The same clock in nanoseconds (NowMilliseconds is this divided by 1000000).
    virtual uint64_t NowNanoseconds() = 0;
    // Returns once NowNanoseconds has reached `due`, holding the processor meanwhile: the floor
    // of the busy wait, so it may neither sleep nor let the window pump. A test clock moves
    // there at once.
    virtual void SpinUntilNanoseconds(uint64_t due) = 0;
};

// The installed clock; empty while the system clock is in force.
CServiceSlot<IClock*>& ClockSlot();
// The clock in force: the system clock unless a test installed another one.
IClock& CurrentClock();
// Installs `clock` (NULL restores the system clock) and returns the one it replaces (NULL
// when the system clock was in force).
IClock* InstallClock(IClock* clock);
// TRUE while no test clock is installed. Waits with a time-out may then sleep in the kernel for
// the whole time; under a test clock they look at it again every millisecond of real time.
bool IsSystemClockInstalled();

// Win32-style tick counter: milliseconds, 32 bits, wrapping after about 49.7 days.
DWORD GetTickCount();
// Sleeps at least `ms`; on the GUI thread the window is kept alive meanwhile (KeepAlive.h).
void Sleep(DWORD ms);
