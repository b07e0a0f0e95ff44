#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <time.h>
#include <vector>

#include "platform/testing/VirtualClock.h"
#include "targets/TargetBase.h"
#include "tests/support/ScopedDelayFactor.h"

namespace {

// Drives the calibration deterministically, whatever the machine: while the calibration
// counts its one-unit waits, the tick moves one millisecond every `readsPerTick` reads; once
// a read has shown a full second gone, the next read (the start of the timed run) sees the
// same tick and the one after that (its end) sees `timedRunMs` more.
class CCalibrationClock : public CVirtualClock {
public:
    CCalibrationClock(uint64_t start, int readsPerTick, DWORD timedRunMs = 0)
        : CVirtualClock(start), m_readsPerTick(readsPerTick), m_timedRunMs(timedRunMs)
    {
    }

    uint64_t NowMilliseconds() override
    {
        ++m_reads;
        if (m_reads == 1)
            m_countStart = CVirtualClock::NowMilliseconds();
        if (m_readsAfterSecond >= 0) {
            if (++m_readsAfterSecond == 2)
                Advance(m_timedRunMs);
        } else {
            if (m_reads % m_readsPerTick == 0)
                Advance(1);
            if (CVirtualClock::NowMilliseconds() >= m_countStart + 1000)
                m_readsAfterSecond = 0;
        }
        return CVirtualClock::NowMilliseconds();
    }

    void SleepMilliseconds(DWORD ms) override
    {
        CVirtualClock::SleepMilliseconds(ms);
        // Counting starts from the tick read after the sleep.
        m_reads = 0;
    }

    int Reads() const { return m_reads; }

private:
    int m_readsPerTick;
    DWORD m_timedRunMs;
    int m_reads = 0;
    uint64_t m_countStart = 0;
    int m_readsAfterSecond = -1;
};

double ThreadCpuUs()
{
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e6 + now.tv_nsec / 1e3;
}

// Starts each test uncalibrated and leaves the program's factor as it found it.
class CalibratedDelayTest : public ::testing::Test {
protected:
    DWORD Calibrate(CCalibrationClock& clock)
    {
        CScopedClock scope(clock);
        CTargetBase::CalibrateDelay();
        return CTargetBase::s_nDelayFactor;
    }

    CScopedDelayFactor m_uncalibrated{0};
};

TEST_F(CalibratedDelayTest, UncalibratedAndZeroWaitsReturnAtOnce)
{
    // Either wait would spin for seconds if it ran: 4 billion iterations.
    auto start = std::chrono::steady_clock::now();
    CTargetBase::Delay(0xFFFFFFFFu);
    CTargetBase::s_nDelayFactor = 0xFFFFFFFFu;
    CTargetBase::Delay(0);
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::milliseconds(100));
}

// Calibrated while every core is busy, the loop comes out short once the load is gone; the
// monotonic clock keeps every wait at least as long as asked, and not much longer.
TEST_F(CalibratedDelayTest, NoWaitIsShorterThanAskedAfterACalibrationUnderLoad)
{
    std::atomic<bool> stop{false};
    std::vector<std::thread> busy(std::max(1u, std::thread::hardware_concurrency()));
    for (std::thread& thread : busy)
        thread = std::thread([&stop] {
            while (!stop.load(std::memory_order_relaxed)) {}
        });
    CTargetBase::CalibrateDelay();
    stop = true;
    for (std::thread& thread : busy)
        thread.join();
    ASSERT_NE(0u, CTargetBase::s_nDelayFactor);

    struct Case {
        DWORD units;
        int runs;
    } cases[] = {{1, 2000}, {10, 1000}, {100, 101}, {1000, 21}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.units);
        // Processor time, which a busy machine's preemptions do not stretch; shorter waits are
        // dominated by the cost of reading the clock. Other tests running beside this one can
        // still slow the counted loop for a while, so the best of a few batches counts: a wait
        // that is always too long fails every batch.
        double shortestWallUs = 1e12, bestMedianCpuUs = 1e12;
        for (int batch = 0; batch < 5 && bestMedianCpuUs > c.units * 15.0; ++batch) {
            std::vector<double> cpuUs;
            for (int i = 0; i < c.runs; ++i) {
                auto start = std::chrono::steady_clock::now();
                double cpuStart = ThreadCpuUs();
                CTargetBase::Delay(c.units);
                cpuUs.push_back(ThreadCpuUs() - cpuStart);
                shortestWallUs = std::min(
                    shortestWallUs,
                    std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
            }
            std::sort(cpuUs.begin(), cpuUs.end());
            bestMedianCpuUs = c.units >= 100 ? std::min(bestMedianCpuUs, cpuUs[cpuUs.size() / 2]) : 0;
        }
        EXPECT_GE(shortestWallUs, c.units * 10.0);
        EXPECT_LE(bestMedianCpuUs, c.units * 15.0);
    }
}

TEST_F(CalibratedDelayTest, FactorIsTheIterationsPerTenMicrosecondsOfTheTimedRun)
{
    // 35 reads per tick: about 35000 one-unit waits in the counted second, a first estimate
    // of 3, so the timed run spins 300000 times.
    CCalibrationClock halfSecond(5000, 35, 500);
    EXPECT_NEAR(6.0, Calibrate(halfSecond), 1.0);

    CTargetBase::s_nDelayFactor = 0;
    CCalibrationClock threeSeconds(5000, 35, 3000);
    EXPECT_EQ(1u, Calibrate(threeSeconds));

    // Under one iteration per 10 microseconds still waits at least one iteration per unit.
    CTargetBase::s_nDelayFactor = 0;
    CCalibrationClock slowRun(5000, 35, 20000);
    EXPECT_EQ(1u, Calibrate(slowRun));
}

TEST_F(CalibratedDelayTest, TimedRunWithoutATickCountsAsOneTick)
{
    // One tick for 300000 iterations: 3000 per 10 microseconds.
    CCalibrationClock clock(5000, 35, 0);
    EXPECT_NEAR(3000.0, Calibrate(clock), 1.0);
}

TEST_F(CalibratedDelayTest, SlowMachineEndsWithFactorOne)
{
    // About 5000 one-unit waits fit into the second: fewer than 10000 give a first estimate
    // of 0, whatever the timed run measures.
    CCalibrationClock clock(1000, 5, 0);
    EXPECT_EQ(1u, Calibrate(clock));
    EXPECT_EQ(0u, clock.Slept());
}

TEST_F(CalibratedDelayTest, SecondCalibrationDoesNothing)
{
    CCalibrationClock clock(0, 35, 500);
    DWORD factor = Calibrate(clock);
    int reads = clock.Reads();
    EXPECT_EQ(factor, Calibrate(clock));
    EXPECT_EQ(reads, clock.Reads());
}

TEST_F(CalibratedDelayTest, NearTheTickWrapItSleepsFirst)
{
    for (uint64_t start : {0xFFFFF448ull, 0xFFFFFFFFull, 0x1FFFFF448ull}) {
        SCOPED_TRACE(start);
        CTargetBase::s_nDelayFactor = 0;
        CCalibrationClock clock(start, 35, 500);
        EXPECT_NEAR(6.0, Calibrate(clock), 1.0);
        EXPECT_EQ(3000u, clock.Slept());
    }
    CTargetBase::s_nDelayFactor = 0;
    CCalibrationClock early(0xFFFFF447ull, 35, 500);
    Calibrate(early);
    EXPECT_EQ(0u, early.Slept());
}

}  // namespace
