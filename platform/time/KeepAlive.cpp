#include "platform/time/KeepAlive.h"

#include "platform/time/Clock.h"

namespace {

// Only the pump's thread reads or writes these: every other thread returns before them.
uint64_t s_lastPump = 0;
bool s_everPumped = false;

IKeepAlive* PumpHere()
{
    IKeepAlive* pump = KeepAliveSlot().Get();
    return pump && pump->OnPumpThread() ? pump : NULL;
}

void PumpWith(IKeepAlive& pump, uint64_t now)
{
    s_lastPump = now;
    s_everPumped = true;
    pump.Pump();
}

}  // namespace

CServiceSlot<IKeepAlive*>& KeepAliveSlot()
{
    static CServiceSlot<IKeepAlive*> slot;
    return slot;
}

void KeepAlive()
{
    IKeepAlive* pump = PumpHere();
    if (!pump)
        return;
    uint64_t now = CurrentClock().NowMilliseconds();
    // A clock that was replaced may stand before the last pump: that counts as due too.
    if (s_everPumped && now >= s_lastPump && now - s_lastPump < kKeepAliveInterval)
        return;
    PumpWith(*pump, now);
}

void KeepAliveNow()
{
    if (IKeepAlive* pump = PumpHere())
        PumpWith(*pump, CurrentClock().NowMilliseconds());
}

BOOL KeepAliveActive()
{
    return PumpHere() != NULL;
}

int KeepAliveSlice(int waitMs)
{
    if (waitMs >= 0 && waitMs <= (int)kKeepAliveInterval)
        return waitMs;
    return KeepAliveActive() ? (int)kKeepAliveInterval : waitMs;
}
