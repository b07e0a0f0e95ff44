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
IClock* s_pClock = &s_systemClock;

} // namespace

IClock& CurrentClock()
{
    return *s_pClock;
}

IClock* InstallClock(IClock* clock)
{
    IClock* previous = s_pClock;
    s_pClock = clock ? clock : &s_systemClock;
    return previous;
}

bool IsSystemClockInstalled()
{
    return s_pClock == &s_systemClock;
}

DWORD GetTickCount()
{
    return (DWORD)s_pClock->NowMilliseconds();
}

void Sleep(DWORD ms)
{
    s_pClock->SleepMilliseconds(ms);
}
