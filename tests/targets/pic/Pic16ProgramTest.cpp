// Whole programming runs of both PIC16 boards against the simulated PIC16F87x on the port
// doubles: the commands on the lines, the device's memories afterwards, the prompts, the
// progress and the outcome, and the faults of the PIC16 boards' own (the ones both families
// meet alike are in PicProgramTest.cpp).
#include <algorithm>
#include <functional>
#include <time.h>
#include <utility>

#include "ports/CommsBase.h"
#include "tests/sim/Pic16Simulator.h"
#include "tests/sim/PicParallelBoard.h"
#include "tests/sim/PicSerialBoard.h"
#include "tests/support/CountingKeepAlive.h"
#include "tests/targets/pic/PicFamilies.h"

using pic16test::Bytes;
using pic16test::EepromBytes;
using pic16test::kEeprom;
using pic16test::kFlash;
using pic16test::kFlashAt5;
using pic16test::kQD5140Prompt;
using Command = CPic16Simulator::Command;
using Space = CPic16Simulator::Space;

namespace {

const char kQB6620Prompt[] = "Please reset the QB6620 board (by pressing and releasing SW1) now.";

// The commands a run should put on the lines, built from the programming protocol.
struct Expected {
    std::vector<Command> commands;

    Expected& Cmd(BYTE code, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            commands.push_back(Command{code, false, 0, 0});
        return *this;
    }
    Expected& Data(BYTE code, WORD data)
    {
        commands.push_back(Command{code, true, data, 0});
        return *this;
    }
    Expected& ReadId(WORD id) { return Data(0, 0).Cmd(6, 6).Data(4, id); }
    Expected& Unprotect() { return Data(0, 0x3FFF).Cmd(6, 7).Cmd(1).Cmd(7).Cmd(8).Cmd(1).Cmd(7); }
    Expected& WriteConfig(WORD word) { return Data(0, word).Cmd(6, 7).Data(2, word).Cmd(8).Data(4, word); }
    Expected& BulkErase(bool data)
    {
        Data(2, 0x3FFF).Cmd(9).Cmd(8);
        return data ? Data(3, 0xFF).Cmd(11).Cmd(8) : *this;
    }
    Expected& Program(WORD word, bool verify = true)
    {
        Data(2, word).Cmd(8);
        if (verify)
            Data(4, word);
        return Cmd(6);
    }
    // A data memory read carries the byte in bits 0-7; the simulator sets the six bits above.
    Expected& Eeprom(BYTE value, bool verify = true)
    {
        Data(3, value).Cmd(8);
        if (verify)
            Data(5, (WORD)(0x3F00 | value));
        return Cmd(6);
    }
};

}  // namespace

class Pic16ProgramTest : public PicRunFixture<Pic16Test> {
protected:
    void LoadImage(CPIC16Target& target)
    {
        ASSERT_TRUE(target.LoadModule(0, folder.Write("image.hex", pic16test::RunImage()).c_str()));
    }

    // A whole run of the image: its outcome; the commands for device `id`, the configuration
    // reset to `resetWord` and programmed to `finalWord` last; the memories afterwards; two
    // entries of the kind the board makes; the progress.
    void ExpectWholeRun(const CPic16Simulator& sim, WORD id, WORD resetWord, WORD finalWord, bool lowVoltage)
    {
        EXPECT_EQ(status, "Programming complete");
        Expected e;
        e.ReadId(id).Unprotect().WriteConfig(resetWord).BulkErase(true);
        for (WORD word : kFlash)
            e.Program(word);
        e.Program(0x3FFF).Program(0x3FFF).Program(kFlashAt5);
        e.Data(0, 0).Cmd(6, 0x100);
        for (BYTE value : kEeprom)
            e.Eeprom(value);
        EXPECT_EQ(sim.Commands(), e.WriteConfig(finalWord).commands);

        for (size_t i = 0; i < kFlash.size(); ++i)
            EXPECT_EQ(sim.ProgramWord((WORD)i), kFlash[i]) << "word " << i;
        EXPECT_EQ(sim.ProgramWord(5), kFlashAt5);
        EXPECT_EQ(sim.ProgramWord(6), 0x3FFF);
        EXPECT_EQ(sim.ProgramWord(0x1FFF), 0x3FFF);
        for (size_t i = 0; i < kEeprom.size(); ++i)
            EXPECT_EQ(sim.EepromByte((WORD)i), kEeprom[i]) << "EEPROM byte " << i;
        EXPECT_EQ(sim.EepromByte(3), 0xFF);
        EXPECT_EQ(sim.ConfigWord(), finalWord);
        EXPECT_EQ(sim.FramingErrors(), 0);
        EXPECT_EQ(sim.LowVoltageEntries(), lowVoltage ? 2 : 0);
        EXPECT_EQ(sim.HighVoltageEntries(), lowVoltage ? 0 : 2);
        EXPECT_EQ(sim.TimingViolations(), 0);

        std::vector<pictest::ProgressSeen> wanted = {
            {"Erase the target device", 6},
            {"Program the target device FLASH memory", 6 + 1},
            {"Program the target device EEPROM memory", 0x100 + 3 + 1},
        };
        ASSERT_GE(progress.size(), 1u);
        // What the bar showed before the erase is the host's business.
        progress.erase(progress.begin());
        EXPECT_EQ(progress, wanted);
        // The final configuration write starts with the EEPROM bar full.
        EXPECT_EQ(lastPos, 0x100 + 3 + 1);
    }
};

TEST_F(Pic16ProgramTest, QD5140RunErasesProgramsVerifiesAndConfiguresAProtectedDevice)
{
    CPic16Simulator sim(CPic16Simulator::F876);
    sim.SetDeviceIdWord(0x09E3);  // revision 3
    sim.SetConfigWord(0x0D8F);    // all program memory protected
    sim.SetProgramWord(0x100, 0x1234);
    CPicSerialBoard board(sim, "COM2:");
    CheckTiming(sim, board.Lines());
    LoadImage(qd);
    WatchProgress(sim);
    ExpectResets(board, kQD5140Prompt, 2);

    EXPECT_TRUE(qd.Program("COM2:", &status));
    ui.VerifyAndClear();
    ExpectWholeRun(sim, 0x09E3, 0x3D30, 0x3D39, false);
    EXPECT_EQ(sim.ProgramWord(0x100), 0x3FFF);
    EXPECT_TRUE(board.PortClosed());
    EXPECT_FALSE(board.Port().BreakHeldAtClose());
    EXPECT_EQ(ui.WaitDepth(), 0);
    EXPECT_GE(ui.WaitCursorCount(), 1);
}

TEST_F(Pic16ProgramTest, QB6620RunProgramsInLowVoltageModeWithThePgmLine)
{
    CPic16Simulator sim(CPic16Simulator::F877);
    sim.SetDeviceIdWord(0x09BF);  // the last revision of the expected device
    CPicParallelBoard board(sim);
    board.Lines().RecordPins(true);
    CheckTiming(sim, board.Lines());
    LoadImage(qb);
    WatchProgress(sim);
    WORD configBefore = qb.GetConfig();
    ExpectResets(board, kQB6620Prompt, 2);

    EXPECT_TRUE(qb.Program("LPT1:", &status));
    ui.VerifyAndClear();
    // The reset word keeps the LVP bit, or the second entry could not happen.
    ExpectWholeRun(sim, 0x09BF, 0x3DB0, 0x3DF1, true);

    std::string pgm;
    for (char change : board.Lines().PinTrace())
        if (change == 'P' || change == 'p')
            pgm += change;
    // Up after each reset prompt, down before the second one and when the port closes.
    EXPECT_EQ(pgm, "PpPp");
    EXPECT_TRUE(board.PortClosed());
    EXPECT_EQ(board.Port().Control(), 0);
    EXPECT_EQ(qb.GetCapability() & CPIC16Target::capLowVoltage, 0);
    EXPECT_EQ(qb.GetConfig(), configBefore & ~CPIC16Target::cfgLowVoltage);
}

TEST_F(Pic16ProgramTest, WithoutVerifyOnlyTheConfigurationIsReadBack)
{
    CPic16Simulator sim(CPic16Simulator::F876);
    sim.SetStuckBit(Space::Program, 1, 3, true);
    CPicSerialBoard board(sim);
    LoadImage(qd);
    qd.SetConfig(0x3139);
    ExpectResets(board, kQD5140Prompt, 2);
    EXPECT_TRUE(qd.Program("COM1:", &status));
    EXPECT_EQ(status, "Programming complete");
    int programReads = 0, dataReads = 0;
    for (const Command& command : sim.Commands()) {
        programReads += command.code == 4;
        dataReads += command.code == 5;
    }
    EXPECT_EQ(programReads, 3);  // the id and both configuration writes
    EXPECT_EQ(dataReads, 0);
    EXPECT_EQ(sim.ProgramWord(1), kFlash[1] | 0x0008);
    EXPECT_EQ(sim.ConfigWord(), 0x3D39);
}

TEST_F(Pic16ProgramTest, LoneLastBytesDropForFlashButAreProgrammedForEeprom)
{
    CPic16Simulator sim(CPic16Simulator::F876);
    CPicSerialBoard board(sim);
    std::string text = hextext::Image(0, {0x05, 0x28, 0x86, 0x01, 0x77}, false) +
                       hextext::Image(0x4200, {0x11, 0x00, 0x22});
    ASSERT_TRUE(qd.LoadModule(0, folder.Write("odd.hex", text).c_str()));
    ExpectResets(board, kQD5140Prompt, 2);
    EXPECT_TRUE(qd.Program("COM1:", &status));
    EXPECT_EQ(sim.ProgramWord(1), 0x0186);
    EXPECT_EQ(sim.ProgramWord(2), 0x3FFF);
    EXPECT_EQ(sim.EepromByte(0), 0x11);
    EXPECT_EQ(sim.EepromByte(1), 0x22);
    EXPECT_EQ(sim.EepromByte(2), 0xFF);
}

TEST_F(Pic16ProgramTest, AParallelPortThatCannotBeHadSaysWhyAndLeavesNothingOpen)
{
    CPic16Simulator sim(CPic16Simulator::F877);
    CPicParallelBoard parallel(sim);
    LoadImage(qd);
    struct Case {
        const char* what;
        std::function<void()> fault;
        const char* message;
    } cases[] = {
        {"no driver", [&] { parallel.Port().SetPresent(false); }, nullptr},
        {"port held elsewhere", [&] { parallel.Port().SetHeldElsewhere(true); },
         "Card Already In Use\n/dev/parport0: busy, in use by another program."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        parallel.Port().SetPresent(true);
        parallel.Port().SetHeldElsewhere(false);
        c.fault();
        if (c.message)
            ui.ExpectMessage(c.message, MB_ICONSTOP, IDOK);
        WORD config = qb.GetConfig() | CPIC16Target::cfgLowVoltage;
        qb.SetConfig(config);
        EXPECT_FALSE(qb.Program("LPT1:", &status));
        ui.VerifyAndClear();
        EXPECT_EQ(status, "Unable to open specified communications resource");
        EXPECT_TRUE(parallel.PortClosed());
        // Cleared, not restored, on the early way out too.
        EXPECT_EQ(qb.GetCapability() & CPIC16Target::capLowVoltage, 0);
        EXPECT_EQ(qb.GetConfig(), config & ~CPIC16Target::cfgLowVoltage);
    }
    EXPECT_TRUE(sim.Commands().empty());
}

// EEPROM data alone: the erase runs, then there is no FLASH to program.
TEST_F(Pic16ProgramTest, EepromDataAloneHasNoFlashToProgram)
{
    CPic16Simulator sim(CPic16Simulator::F876);
    CPicSerialBoard board(sim);
    ASSERT_TRUE(qd.LoadModule(0, HexFile("eeprom.hex", 0x4200, EepromBytes({1, 2}))));
    ExpectResets(board, kQD5140Prompt, 2);
    EXPECT_FALSE(qd.Program("COM1:", &status));
    EXPECT_EQ(status, "Unable to create FLASH download");
    EXPECT_TRUE(board.PortClosed());
}

namespace {

double Milliseconds(clockid_t clock)
{
    timespec now;
    clock_gettime(clock, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

double ThreadCpuMs()
{
    return Milliseconds(CLOCK_THREAD_CPUTIME_ID);
}

// A delay factor that makes a unit about 10 microseconds of this thread's processor time, as
// the calibration would, measured in a few milliseconds.
DWORD TenMicrosecondFactor()
{
    CScopedDelayFactor probe(1000);
    double start = ThreadCpuMs();
    CTargetBase::Delay(5000);
    double ms = std::max(ThreadCpuMs() - start, 0.001);
    return (DWORD)std::max(1.0, 5000.0 * 1000 * 0.01 / ms);
}

}  // namespace

// Half a second of real busy waits: the window is kept alive at least every 50 ms of that work
// (plus the word under way when 50 ms pass), and only ever between two frames, so no edge of a
// command or data word is stretched. Gaps are measured in this thread's processor time, which
// never runs ahead of the wall clock the pump goes by, against the longest word of the same run,
// so a loaded machine that slows every word alike does not fail the check.
TEST_F(Pic16ProgramTest, ALongRunKeepsTheWindowAliveBetweenFramesOnly)
{
    CPic16Simulator sim(CPic16Simulator::F876);
    CPicSerialBoard board(sim);
    std::vector<WORD> words(96);
    for (size_t i = 0; i < words.size(); ++i)
        words[i] = (WORD)(0x2800 + i);
    ASSERT_TRUE(qd.LoadModule(0, HexFile("long.hex", 0, Bytes(words))));
    ExpectResets(board, kQD5140Prompt, 2);

    // A frame is a command's six pulses and the 16 of its data word, if it has one: a pump
    // between frames sees no pulse, or all 16, since the last command came in.
    uint64_t pulsesAtCommand = 0;
    int pulsesOwed = 0;
    const BYTE kIncrementAddress = 6;
    std::vector<double> wordsEndAt;
    sim.OnCommand([&](BYTE code) {
        pulsesAtCommand = board.Lines().ClockPulses();
        pulsesOwed = code <= 5 && code != 1 ? 16 : 0;
        if (code == kIncrementAddress)
            wordsEndAt.push_back(ThreadCpuMs());
    });
    std::vector<double> pumpsAt;
    int pumpsInsideFrames = 0;
    CCountingKeepAlive pump([&] {
        pumpsAt.push_back(ThreadCpuMs());
        pumpsInsideFrames += board.Lines().ClockPulses() - pulsesAtCommand != (uint64_t)pulsesOwed;
    });
    // Real time: the fixture's virtual clock would make the waits cost nothing.
    CScopedService<IClock*> realTime(ClockSlot(), NULL);
    CScopedDelayFactor calibrated(TenMicrosecondFactor());
    double wallStart = Milliseconds(CLOCK_MONOTONIC);
    double start = ThreadCpuMs();
    BOOL ok = qd.Program("COM1:", &status);
    double end = ThreadCpuMs();
    double wallEnd = Milliseconds(CLOCK_MONOTONIC);

    EXPECT_TRUE(ok);
    EXPECT_EQ(status, "Programming complete");
    EXPECT_EQ(sim.ProgramWord(95), 0x2800 + 95);
    EXPECT_GT(wallEnd - wallStart, 400.0);
    EXPECT_EQ(pumpsInsideFrames, 0);
    auto longestGap = [](std::vector<double> times) {
        double longest = 0;
        for (size_t i = 1; i < times.size(); ++i)
            longest = std::max(longest, times[i] - times[i - 1]);
        return longest;
    };
    pumpsAt.insert(pumpsAt.begin(), start);
    pumpsAt.push_back(end);
    ASSERT_GT(wordsEndAt.size(), 96u);
    // One millisecond for the pump clock's whole-millisecond steps.
    EXPECT_LE(longestGap(pumpsAt), 50.0 + longestGap(wordsEndAt) + 1.0);
    EXPECT_GT(pumpsAt.size(), 8u);
    EXPECT_TRUE(board.PortClosed());
}
