// Cost of one programming-line operation (set DTR, set RTS, read CTS) through the port object.
// Through the in-process device it shows the port object's own overhead; over a pseudo-terminal
// each operation is one ioctl (which fails there, having no lines, but costs the same system
// call as on a real port). Heap allocations during the timed loops are counted and must be 0.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "ports/CommsBase.h"
#include "tests/support/FakeSerialDevice.h"
#include "tests/support/PseudoTerminal.h"

namespace {

std::atomic<uint64_t> g_allocations{0};

struct Result {
    double opsPerSecond;
    uint64_t allocations;
};

// Runs `iterations` rounds of SetData, SetClock and GetData (three line operations each).
Result Measure(CCommsBase& comms, int iterations)
{
    uint64_t allocationsBefore = g_allocations.load();
    auto start = std::chrono::steady_clock::now();
    int sink = 0;
    for (int i = 0; i < iterations; ++i) {
        comms.SetData(i & 1);
        comms.SetClock((i >> 1) & 1);
        sink += comms.GetData();
    }
    auto stop = std::chrono::steady_clock::now();
    uint64_t allocations = g_allocations.load() - allocationsBefore;
    double seconds = std::chrono::duration<double>(stop - start).count();
    if (sink < 0)
        std::puts("");
    return Result{3.0 * iterations / seconds, allocations};
}

void Report(const char* what, const Result& result)
{
    std::printf("%-40s %14.0f ops/s  %8.1f ns/op  heap allocations: %llu\n", what, result.opsPerSecond,
                1e9 / result.opsPerSecond, (unsigned long long)result.allocations);
}

}  // namespace

void* operator new(std::size_t size)
{
    ++g_allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

int main(int argc, char** argv)
{
    int iterations = argc > 1 ? std::atoi(argv[1]) : 1000000;
    int failures = 0;

    {
        CFakeSerialDevice device("COM1:");
        // A device that answers on CTS, as a programmer's data line does.
        device.OnLinesChanged([&device](bool dtr, bool) { device.SetCts(dtr); });
        CCommsBase comms;
        if (!comms.Open(CCommsBase::typeSerialLines, "COM1:")) {
            std::puts("in-process device did not open");
            return 1;
        }
        Result result = Measure(comms, iterations);
        comms.Close();
        Report("in-process device (DTR/RTS/CTS)", result);
        failures += result.allocations != 0;
    }

    CPseudoTerminal pty;
    if (pty.IsOpen()) {
        CCommsBase comms;
        // The line settings of the opening fail here, but the port stays open as type 2.
        comms.Open(CCommsBase::typeSerialLines, CString(pty.SlavePath()));
        if (comms.GetType() != CCommsBase::typeSerialLines) {
            std::puts("pseudo-terminal did not open");
            return 1;
        }
        Result result = Measure(comms, iterations / 10);
        comms.Close();
        Report("pseudo-terminal (one ioctl each)", result);
        failures += result.allocations != 0;
    }
    return failures == 0 ? 0 : 1;
}
