#include "platform/time/Clock.h"

#include <time.h>

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
        while (nanosleep(&wait, &wait) != 0) {
        }
    }
};

CSystemClock s_systemClock;

} // namespace

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
    CurrentClock().SleepMilliseconds(ms);
}
