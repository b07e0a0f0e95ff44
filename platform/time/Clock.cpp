#include "platform/time/Clock.h"

#include <algorithm>
#include <time.h>

#include "platform/time/KeepAlive.h"

namespace {

class CSystemClock : public IClock {
public:
    uint64_t NowMilliseconds() override
    {
        timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        return (uint64_t)now.tv_sec * 1000u + (uint64_t)now.tv_nsec / 1000000u;
    }

    void SleepMilliseconds(DWORD ms) override
    {
        timespec wait{(time_t)(ms / 1000), (long)(ms % 1000) * 1000000L};
        while (nanosleep(&wait, &wait) != 0) {}
    }

    // The monotonic clock is read in user space (vDSO), tens of nanoseconds a reading, so a
    // spin of one 10-microsecond unit still ends on time.
    uint64_t NowNanoseconds() override
    {
        timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        return (uint64_t)now.tv_sec * 1000000000u + (uint64_t)now.tv_nsec;
    }

    void SpinUntilNanoseconds(uint64_t due) override
    {
        while (NowNanoseconds() < due) {}
    }
};

CSystemClock s_systemClock;

}  // namespace

CServiceSlot<IClock*>& ClockSlot()
{
    static CServiceSlot<IClock*> slot;
    return slot;
}

IClock& CurrentClock()
{
    IClock* installed = ClockSlot().Get();
    return installed ? *installed : s_systemClock;
}

IClock* InstallClock(IClock* clock)
{
    return ClockSlot().Install(clock);
}

bool IsSystemClockInstalled()
{
    return &CurrentClock() == &s_systemClock;
}

DWORD GetTickCount()
{
    return (DWORD)CurrentClock().NowMilliseconds();
}

void Sleep(DWORD ms)
{
    IClock& clock = CurrentClock();
    if (ms <= kKeepAliveInterval || !KeepAliveActive()) {
        KeepAlive();
        clock.SleepMilliseconds(ms);
        return;
    }
    // A long sleep on the GUI thread goes in slices with the window kept alive between them;
    // the whole lasts at least `ms`, as before.
    uint64_t end = clock.NowMilliseconds() + ms;
    for (;;) {
        KeepAlive();
        uint64_t now = clock.NowMilliseconds();
        if (now >= end)
            return;
        clock.SleepMilliseconds((DWORD)std::min<uint64_t>(end - now, kKeepAliveInterval));
    }
}
