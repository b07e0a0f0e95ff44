// Events, waits and worker threads: latching, the two reset kinds, which event a wait takes,
// time-outs on the system clock and on a test clock, and no lost wake-up between threads.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "platform/testing/VirtualClock.h"
#include "platform/threads/Synchronization.h"
#include "platform/threads/WorkerThread.h"
#include "tests/support/RealClock.h"

namespace {

struct Events {
    explicit Events(std::initializer_list<BOOL> manual)
    {
        for (BOOL m : manual)
            handles.push_back(CreateEvent(NULL, m, FALSE, NULL));
    }
    ~Events()
    {
        for (HANDLE h : handles)
            CloseHandle(h);
    }
    HANDLE operator[](size_t i) const { return handles[i]; }
    DWORD WaitAny(DWORD timeoutMs) const
    {
        return WaitForMultipleObjects((DWORD)handles.size(), handles.data(), FALSE, timeoutMs);
    }
    std::vector<HANDLE> handles;
};

// A test clock that counts how often it is read, so that a thread moving it can tell that a
// wait has begun (its deadline is taken from the first reading) and has looked again since.
class CCountingClock : public CVirtualClock {
public:
    using CVirtualClock::CVirtualClock;
    uint64_t NowMilliseconds() override
    {
        ++m_reads;
        return CVirtualClock::NowMilliseconds();
    }
    // Real-time wait, at most 5 s, until the clock has been read `more` times after `since`
    // readings.
    uint64_t WaitForReads(uint64_t since, uint64_t more)
    {
        for (int64_t start = RealMs(); m_reads.load() < since + more && RealMs() - start < 5000;)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return m_reads.load();
    }
    uint64_t Reads() const { return m_reads.load(); }

private:
    std::atomic<uint64_t> m_reads{0};
};

}  // namespace

TEST(Events, SignalsLatchUntilTakenOrReset)
{
    struct Case {
        BOOL manual;
        int sets;
        bool reset;
        std::vector<DWORD> waits;  // results of successive zero time-out waits
    } cases[] = {
        {FALSE, 0, false, {WAIT_TIMEOUT}},
        {FALSE, 1, false, {WAIT_OBJECT_0, WAIT_TIMEOUT}},
        {FALSE, 3, false, {WAIT_OBJECT_0, WAIT_TIMEOUT}},  // signals do not count up
        {FALSE, 1, true, {WAIT_TIMEOUT}},
        {TRUE, 1, false, {WAIT_OBJECT_0, WAIT_OBJECT_0, WAIT_OBJECT_0}},
        {TRUE, 2, true, {WAIT_TIMEOUT}},
    };
    for (const Case& c : cases) {
        HANDLE event = CreateEvent(NULL, c.manual, FALSE, NULL);
        ASSERT_NE(event, nullptr);
        for (int i = 0; i < c.sets; ++i) {
            EXPECT_TRUE(SetEvent(event));
        }
        if (c.reset) {
            EXPECT_TRUE(ResetEvent(event));
        }
        for (DWORD expected : c.waits) {
            EXPECT_EQ(WaitForSingleObject(event, 0), expected) << "manual " << c.manual << " sets " << c.sets;
        }
        CloseHandle(event);
    }
    HANDLE initial = CreateEvent(NULL, FALSE, TRUE, NULL);
    EXPECT_EQ(WaitForSingleObject(initial, 0), WAIT_OBJECT_0);
    CloseHandle(initial);
    EXPECT_EQ(WaitForSingleObject(NULL, 0), WAIT_FAILED);
    HANDLE one = CreateEvent(NULL, FALSE, TRUE, NULL);
    EXPECT_EQ(WaitForMultipleObjects(1, &one, TRUE, 0), WAIT_FAILED);  // wait-all is not offered
    CloseHandle(one);
}

TEST(Events, AWaitTakesTheLowestSignalledEventOnly)
{
    Events events({FALSE, TRUE, FALSE});
    SetEvent(events[2]);
    SetEvent(events[1]);
    SetEvent(events[0]);
    EXPECT_EQ(events.WaitAny(0), WAIT_OBJECT_0 + 0);
    // The manual-reset one stays signalled and keeps winning over the higher one.
    EXPECT_EQ(events.WaitAny(0), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(events.WaitAny(0), WAIT_OBJECT_0 + 1);
    ResetEvent(events[1]);
    EXPECT_EQ(events.WaitAny(0), WAIT_OBJECT_0 + 2);
    EXPECT_EQ(events.WaitAny(0), WAIT_TIMEOUT);
}

TEST(Events, TimeOutsFollowTheInstalledClock)
{
    Events events({FALSE});
    int64_t start = RealMs();
    EXPECT_EQ(events.WaitAny(40), WAIT_TIMEOUT);
    int64_t elapsed = RealMs() - start;
    EXPECT_GE(elapsed, 40);
    EXPECT_LT(elapsed, 1000);

    // On a test clock a wait ends when the clock passes its time-out, not before, however
    // long it takes in real time; and a signal still ends it at once. The clock is moved only
    // once the wait has read it (a wait that began after a move would never end).
    CCountingClock clock(1000);
    CScopedClock useClock(clock);
    std::atomic<bool> waiting{true};
    const uint64_t before = clock.Reads();
    std::thread mover([&] {
        uint64_t reads = clock.WaitForReads(before, 2);
        clock.Advance(4999);
        clock.WaitForReads(reads, 3);
        EXPECT_TRUE(waiting.load());
        clock.Advance(1);
    });
    EXPECT_EQ(events.WaitAny(5000), WAIT_TIMEOUT);
    waiting = false;
    mover.join();
    EXPECT_EQ(clock.NowMilliseconds(), 6000u);
    std::thread setter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        SetEvent(events[0]);
    });
    EXPECT_EQ(events.WaitAny(5000), WAIT_OBJECT_0);
    setter.join();
}

TEST(Events, NoWakeUpIsLostBetweenTwoThreads)
{
    // Ping-pong on auto-reset events: every round trip must arrive, none may be taken twice.
    Events ping({FALSE}), pong({FALSE});
    const int rounds = 20000;
    std::atomic<int> answered{0};
    std::thread partner([&] {
        for (int i = 0; i < rounds; ++i) {
            if (WaitForSingleObject(ping[0], 5000) != WAIT_OBJECT_0)
                return;
            ++answered;
            SetEvent(pong[0]);
        }
    });
    int arrived = 0;
    for (int i = 0; i < rounds; ++i) {
        SetEvent(ping[0]);
        if (WaitForSingleObject(pong[0], 5000) != WAIT_OBJECT_0)
            break;
        ++arrived;
    }
    partner.join();
    EXPECT_EQ(arrived, rounds);
    EXPECT_EQ(answered.load(), rounds);
    EXPECT_EQ(WaitForSingleObject(pong[0], 0), WAIT_TIMEOUT);
}

TEST(WorkerThread, GateStopAndEscapes)
{
    HANDLE stop = CreateEvent(NULL, TRUE, FALSE, NULL);
    std::atomic<int> ran{0}, escaped{0};

    std::unique_ptr<CWorkerThread> gated = CWorkerThread::Start([&] { ++ran; }, [&] { ++escaped; }, stop, TRUE);
    ASSERT_TRUE(gated);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(ran.load(), 0);
    gated->Release();
    gated->Join();
    EXPECT_EQ(ran.load(), 1);

    // Stopped behind its gate: the body never runs, and the thread still ends.
    std::unique_ptr<CWorkerThread> never = CWorkerThread::Start([&] { ++ran; }, [&] { ++escaped; }, stop, TRUE);
    SetEvent(stop);
    never->Join();
    EXPECT_EQ(ran.load(), 1);
    EXPECT_EQ(escaped.load(), 0);
    ResetEvent(stop);

    std::unique_ptr<CWorkerThread> thrower = CWorkerThread::Start([] { throw std::runtime_error("lost"); },
                                                                  [&] { ++escaped; }, stop, FALSE);
    thrower->Join();
    EXPECT_EQ(escaped.load(), 1);

    CWorkerThread::FailNextStarts(1, 1);
    std::unique_ptr<CWorkerThread> first = CWorkerThread::Start([] {}, nullptr, stop, FALSE);
    EXPECT_TRUE(first);
    EXPECT_FALSE(CWorkerThread::Start([&] { ++ran; }, nullptr, stop, FALSE));
    EXPECT_TRUE(CWorkerThread::Start([] {}, nullptr, stop, FALSE));
    first.reset();
    gated.reset();
    never.reset();
    thrower.reset();
    EXPECT_EQ(CWorkerThread::LiveCount(), 0);
    CloseHandle(stop);
}
