// A clock that only moves when told to, when slept on or when a busy wait spins on it, for
// tests. Sleeping and spinning advance it at once; `Advance` moves it by hand. Starts at `start`
// milliseconds and keeps nanoseconds, so that the busy waits of a line protocol add up exactly.
#pragma once

#include <atomic>

#include "platform/time/Clock.h"

class CVirtualClock : public IClock {
public:
    explicit CVirtualClock(uint64_t start = 0) : m_nowNs(start * 1000000) {}

    uint64_t NowMilliseconds() override { return m_nowNs.load() / 1000000; }
    void SleepMilliseconds(DWORD ms) override
    {
        m_nowNs += (uint64_t)ms * 1000000;
        m_slept += ms;
    }
    uint64_t NowNanoseconds() override { return m_nowNs.load(); }
    void SpinUntilNanoseconds(uint64_t due) override
    {
        uint64_t now = m_nowNs.load();
        while (now < due && !m_nowNs.compare_exchange_weak(now, due)) {}
    }
    void Advance(uint64_t ms) { m_nowNs += ms * 1000000; }
    void Set(uint64_t now) { m_nowNs = now * 1000000; }
    // Total milliseconds slept through this clock.
    uint64_t Slept() const { return m_slept.load(); }

private:
    std::atomic<uint64_t> m_nowNs;
    std::atomic<uint64_t> m_slept{0};
};

// Installs a virtual clock for the life of the scope and puts the previous one back.
class CScopedClock : public CScopedService<IClock*> {
public:
    explicit CScopedClock(IClock& clock) : CScopedService(ClockSlot(), &clock) {}
};
