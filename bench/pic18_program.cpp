// A whole PIC18 program-and-verify run of the QD5170 board in real time, with the calibrated
// busy waits, against the simulated PIC18F252 on the in-process serial device: 32 KB of code
// and 256 bytes of EEPROM, with verify on. Reports the run's total time against the sum of the
// waits the sequence asked for (goal: within 10 %), the processor time beside the wall time (a
// busy wait that is preempted on a loaded machine runs long by the time it was not running),
// the line operations it made, and whether the device saw a programming hold, a discharge or
// a chip erase shorter than its minimum.
//
// The run is repeated with the waits cut to one loop iteration a unit on a virtual clock (which
// the waits' floor moves instead of spinning), which shows what the sequence costs besides its
// waits, and the cost one system call per line operation adds on a
// real port is estimated from the same call timed on a pseudo-terminal. The simulated EEPROM
// finishes each write at the second poll: a real part takes a few milliseconds a byte, spent
// polling, which is the device's time and not part of the waits.
//
//   bench_pic18_program [code bytes]     (default 32768, the whole code memory)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>

#include "app/QuilletApp.h"
#include "platform/testing/VirtualClock.h"
#include "platform/ui/UiServices.h"
#include "ports/CommsBase.h"
#include "targets/pic/QD5170FLASH.h"
#include "tests/sim/Pic18Simulator.h"
#include "tests/sim/PicSerialBoard.h"
#include "bench/PicBenchSupport.h"
#include "tests/support/PseudoTerminal.h"
#include "tests/support/TempFolder.h"
#include "tests/targets/stub/HexText.h"

namespace {

using picbench::Clock;
using picbench::CResettingUser;
using picbench::IoctlSeconds;

BYTE CodeAt(DWORD i)
{
    return (BYTE)(i * 13 + (i >> 8) + 0x21);
}

BYTE EepromAt(DWORD i)
{
    return (BYTE)(i * 7 + 3);
}

std::string ImageFile(CTempFolder& folder, DWORD bytes)
{
    std::vector<BYTE> code, eeprom;
    for (DWORD i = 0; i < bytes; ++i)
        code.push_back(CodeAt(i));
    for (DWORD i = 0; i < 256; ++i)
        eeprom.push_back(EepromAt(i));
    return folder.Write("bench.hex", hextext::Image(0, code, false) + hextext::Image(0xF00000, eeprom));
}

bool DeviceHolds(const CPic18Simulator& sim, DWORD bytes)
{
    for (DWORD i = 0; i < 0x8000; ++i)
        if (sim.CodeByte(i) != (i < bytes ? CodeAt(i) : 0xFF))
            return false;
    for (DWORD i = 0; i < 256; ++i)
        if (sim.EepromByte((WORD)i) != EepromAt(i))
            return false;
    return true;
}

struct Result {
    bool ok = false;
    double seconds = 0;
    double cpuSeconds = 0;
    double requested = 0;
    uint64_t operations = 0;
};

Result Run(DWORD factor, CPic18Simulator& sim, const std::string& file)
{
    CTargetBase::s_nDelayFactor = factor;
    CPicSerialBoard board(sim, "COM1:");
    CResettingUser user([&] { board.PressReset(); });
    IUiServices* previous = InstallUiServices(&user);
    board.Lines().TakeTimes(true);
    sim.CheckTiming(true);
    sim.Record(false);
    sim.SetEepromBusyPolls(1);
    CQD5170Flash& target = theQD5170Flash;
    target.LoadOptions();
    target.ClearModule(-1);
    Result result;
    if (!target.LoadModule(0, file.c_str())) {
        InstallUiServices(previous);
        return result;
    }
    uint64_t units = target.GetLines().WaitedUnits();
    uint64_t operations = target.GetLines().LineOperations();
    CString status;
    auto start = Clock::now();
    std::clock_t cpuStart = std::clock();
    result.ok = target.Program("COM1:", &status);
    result.cpuSeconds = (double)(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    result.requested = (target.GetLines().WaitedUnits() - units) * 10e-6;
    result.operations = target.GetLines().LineOperations() - operations;
    target.ClearModule(-1);
    InstallUiServices(previous);
    if (!result.ok)
        std::printf("  programming failed: %s\n", status.GetString());
    return result;
}

}  // namespace

int main(int argc, char** argv)
{
    DWORD bytes = argc > 1 ? (DWORD)std::strtoul(argv[1], NULL, 0) : 0x8000;
    if (bytes == 0 || bytes > 0x8000)
        bytes = 0x8000;
    CTempFolder folder;
    setenv("XDG_CONFIG_HOME", folder.Path().c_str(), 1);
    std::string file = ImageFile(folder, bytes);

    const DWORD calibrated = picbench::CalibrateDelays();
    double ioctl = IoctlSeconds();

    CPic18Simulator sim(CPic18Simulator::F252), bareSim(CPic18Simulator::F252);
    Result r = Run(calibrated, sim, file);
    Result bare;
    {
        CVirtualClock virtualClock;
        CScopedClock noWaits(virtualClock);
        bare = Run(1, bareSim, file);
    }
    CTargetBase::s_nDelayFactor = calibrated;

    double ratio = r.seconds / r.requested;
    bool holds = r.ok && DeviceHolds(sim, bytes);
    bool within = ratio <= 1.10;
    std::printf("QD5170 (serial lines): %u code bytes + 256 EEPROM bytes, verified, in %.2f s; waits asked for %.2f s; "
                "total/waits %.3f%s\n",
                (unsigned)bytes, r.seconds, r.requested, ratio, within ? "" : "  (outside 10 %)");
    std::printf("  %llu line operations; device %s; timing violations %d; EEPROM polls %d\n",
                (unsigned long long)r.operations, holds ? "verified" : "WRONG", sim.TimingViolations(),
                sim.EepromPolls());
    std::printf("  processor time %.2f s (%.3f of the waits): the rest of the wall time the run was not running\n",
                r.cpuSeconds, r.cpuSeconds / r.requested);
    std::printf("  without its waits the sequence takes %.3f s (%.1f %% of the waits)\n", bare.seconds,
                100 * bare.seconds / r.requested);
    // What is left is the busy waits themselves: at least all they asked for, plus whatever a
    // machine busier than during the calibration cost the loop.
    std::printf("  the waits themselves ran %.3f of what they asked for\n", (r.seconds - bare.seconds) / r.requested);
    if (ioctl > 0)
        std::printf("  with one %.2f us ioctl per line operation: about %.3f of the waits\n", ioctl * 1e6,
                    (r.seconds + r.operations * ioctl) / r.requested);
    return holds && within && sim.TimingViolations() == 0 ? 0 : 1;
}
