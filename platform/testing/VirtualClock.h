// A clock that only moves when told to or when slept on, for tests. Sleeping advances it at
// once; `Advance` moves it by hand. Starts at `start` milliseconds.
#pragma once

#include <atomic>

#include "platform/time/Clock.h"

class CVirtualClock : public IClock {
public:
    explicit CVirtualClock(uint64_t start = 0) : m_now(start) {}

    uint64_t NowMilliseconds() override { return m_now.load(); }
    void SleepMilliseconds(DWORD ms) override
    {
        m_now += ms;
        m_slept += ms;
    }
    void Advance(uint64_t ms) { m_now += ms; }
    void Set(uint64_t now) { m_now = now; }
    // Total milliseconds slept through this clock.
    uint64_t Slept() const { return m_slept.load(); }

private:
    std::atomic<uint64_t> m_now;
    std::atomic<uint64_t> m_slept{0};
};

// Installs a virtual clock for the life of the scope and puts the previous one back.
class CScopedClock : public CScopedService<IClock*> {
public:
    explicit CScopedClock(IClock& clock) : CScopedService(ClockSlot(), &clock) {}
};
