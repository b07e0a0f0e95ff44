// A whole PIC16 program-and-verify run in real time, with the calibrated busy waits, against the
// simulated PIC16F87x on both boards: the QD5140 on the in-process serial device, the QB6620
// on the fake parallel port. Reports the run's total time against the sum of the waits the
// sequence asked for (goal: within 10 %), the line operations it made, and whether the device
// saw any command start while one of its erase/programming cycles still ran. The run's
// processor time is shown beside its wall time: a busy wait that is preempted on a loaded
// machine runs long by the time it was not running.
//
// Each board also runs once with the waits cut to almost nothing (one loop iteration per
// unit, on a virtual clock that the waits' floor moves instead of spinning), which shows what
// the sequence costs besides its waits. The port doubles cost no system call; the cost that
// one system call per line operation adds on a real port is estimated from the same calls
// timed on a pseudo-terminal. The busy waits never end early, and they run long on a loaded
// machine: run the bench idle.
//
//   bench_pic16_program [words]     (default 8192, the whole FLASH of the device)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>

#include "app/QuilletApp.h"
#include "image/IntelHex.h"
#include "platform/testing/VirtualClock.h"
#include "platform/ui/UiServices.h"
#include "ports/CommsBase.h"
#include "targets/pic/QB66XXFLASH.h"
#include "targets/pic/QD5140FLASH.h"
#include "tests/sim/Pic16Simulator.h"
#include "tests/sim/PicParallelBoard.h"
#include "tests/sim/PicSerialBoard.h"
#include "bench/PicBenchSupport.h"
#include "tests/support/PseudoTerminal.h"
#include "tests/support/TempFolder.h"
#include "tests/targets/stub/HexText.h"

namespace {

using picbench::Clock;
using picbench::CResettingUser;
using picbench::IoctlSeconds;

WORD WordAt(DWORD i)
{
    return (WORD)((i * 0x2F1 + 0x1234) & 0x3FFF);
}

std::string ImageFile(CTempFolder& folder, DWORD words)
{
    std::vector<BYTE> flash;
    for (DWORD i = 0; i < words; ++i) {
        flash.push_back((BYTE)WordAt(i));
        flash.push_back((BYTE)(WordAt(i) >> 8));
    }
    std::vector<BYTE> eeprom;
    for (int i = 0; i < 256; ++i) {
        eeprom.push_back((BYTE)(i * 7 + 3));
        eeprom.push_back(0);
    }
    return folder.Write("bench.hex", hextext::Image(0, flash, false) + hextext::Image(0x4200, eeprom));
}

bool DeviceHolds(const CPic16Simulator& sim, DWORD words)
{
    for (DWORD i = 0; i < words; ++i)
        if (sim.ProgramWord((WORD)i) != WordAt(i))
            return false;
    for (int i = 0; i < 256; ++i)
        if (sim.EepromByte((WORD)i) != (BYTE)(i * 7 + 3))
            return false;
    return true;
}

struct Result {
    bool ok;
    double seconds;
    double cpuSeconds;  // processor time of the run: less than `seconds` when it was preempted
    double requested;
    uint64_t operations;
};

Result Run(CPIC16Target& target, const char* resource, CPic16Simulator& sim, CIcspDecoder& lines,
           std::function<void()> reset, const std::string& file)
{
    CResettingUser user(std::move(reset));
    IUiServices* previous = InstallUiServices(&user);
    lines.TakeTimes(true);
    sim.CheckTiming(true);
    target.LoadOptions();
    target.ClearModule(-1);
    Result result = {false, 0, 0, 0, 0};
    if (!target.LoadModule(0, file.c_str())) {
        InstallUiServices(previous);
        return result;
    }
    uint64_t units = target.GetLines().WaitedUnits();
    uint64_t operations = target.GetLines().LineOperations();
    CString status;
    auto start = Clock::now();
    std::clock_t cpuStart = std::clock();
    result.ok = target.Program(resource, &status);
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

bool Report(const char* board, DWORD words, const Result& r, const Result& bare, const CPic16Simulator& sim,
            double ioctl)
{
    double ratio = r.seconds / r.requested;
    bool holds = r.ok && DeviceHolds(sim, words);
    bool within = ratio <= 1.10;
    std::printf("%s: %u words + 256 EEPROM bytes in %.2f s; waits asked for %.2f s; total/waits %.3f%s\n", board,
                (unsigned)words, r.seconds, r.requested, ratio, within ? "" : "  (outside 10 %)");
    std::printf("  %.3f ms a word; %llu line operations (%.0f a word); device %s; timing violations %d\n",
                r.seconds * 1000 / (words + 256), (unsigned long long)r.operations,
                (double)r.operations / (words + 256), holds ? "verified" : "WRONG", sim.TimingViolations());
    std::printf("  processor time %.2f s (%.3f of the waits): the rest of the wall time the run was not running\n",
                r.cpuSeconds, r.cpuSeconds / r.requested);
    std::printf("  without its waits the sequence takes %.3f s (%.1f %% of the waits)\n", bare.seconds,
                100 * bare.seconds / r.requested);
    if (ioctl > 0)
        std::printf("  with one %.2f us ioctl per line operation: about %.3f of the waits\n", ioctl * 1e6,
                    (r.seconds + r.operations * ioctl) / r.requested);
    return holds && within && sim.TimingViolations() == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    DWORD words = argc > 1 ? (DWORD)std::strtoul(argv[1], NULL, 0) : 8192;
    if (words == 0 || words > 8192)
        words = 8192;
    CTempFolder folder;
    setenv("XDG_CONFIG_HOME", folder.Path().c_str(), 1);
    std::string file = ImageFile(folder, words);

    const DWORD calibrated = picbench::CalibrateDelays();
    double ioctl = IoctlSeconds();

    auto serial = [&](DWORD factor, Result& r, CPic16Simulator& sim) {
        CTargetBase::s_nDelayFactor = factor;
        CPicSerialBoard board(sim, "COM1:");
        r = Run(
            theQD5140Flash, "COM1:", sim, board.Lines(), [&] { board.PressReset(); }, file);
    };
    auto parallel = [&](DWORD factor, Result& r, CPic16Simulator& sim) {
        CTargetBase::s_nDelayFactor = factor;
        CPicParallelBoard board(sim);
        board.Port().SetLogging(false);
        r = Run(
            theQB6620Flash, "LPT1:", sim, board.Lines(), [&] { board.PressReset(); }, file);
    };

    bool allGood = true;
    CVirtualClock virtualClock;
    {
        CPic16Simulator sim(CPic16Simulator::F876), bareSim(CPic16Simulator::F876);
        Result r, bare;
        serial(calibrated, r, sim);
        CScopedClock noWaits(virtualClock);
        serial(1, bare, bareSim);
        allGood = Report("QD5140 (serial lines)", words, r, bare, sim, ioctl) && allGood;
    }
    {
        CPic16Simulator sim(CPic16Simulator::F877), bareSim(CPic16Simulator::F877);
        Result r, bare;
        parallel(calibrated, r, sim);
        CScopedClock noWaits(virtualClock);
        parallel(1, bare, bareSim);
        allGood = Report("QB6620 (parallel port)", words, r, bare, sim, 0) && allGood;
    }
    CTargetBase::s_nDelayFactor = calibrated;
    return allGood ? 0 : 1;
}
