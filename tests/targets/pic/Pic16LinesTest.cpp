// The ICSP layer of the PIC16 target on the lines: the exact edges of a command, a load frame
// and a read frame on both port kinds, the waits it makes, and the address stepping rules.
#include "ports/CommsBase.h"
#include "tests/sim/Pic16Simulator.h"
#include "tests/sim/PicParallelBoard.h"
#include "tests/sim/PicSerialBoard.h"
#include "tests/targets/pic/PicFamilies.h"

using pictest::BitEdges;
using pictest::EnterProgramMode;
using pictest::Pulses;

class Pic16LinesTest : public Pic16Test {
protected:
    CTestPic16 target{0x02F2};
};

TEST_F(Pic16LinesTest, CommandLoadAndReadFramesHaveTheProtocolsEdges)
{
    // From idle lines. Command 6 is 000110 sent from bit 0; a command leaves the data line high.
    bool data = false;
    const std::string command6 = BitEdges({0, 1, 1, 0, 0, 0}, data) + "D";
    data = true;
    // Command 2, then 0x2A55 as start bit, 14 bits from bit 0 and stop bit.
    std::string load = BitEdges({0, 1, 0, 0, 0, 0}, data) + "D";
    data = true;
    load += BitEdges({0, 1, 0, 1, 0, 1, 0, 1, 0, 0, 1, 0, 1, 0, 1, 0}, data);
    // Command 4, then data high leaves the line to the device for the 16 pulses of the read.
    const std::string read = BitEdges({0, 0, 1, 0, 0, 0}, data) + "D" + Pulses(16);

    CPic16Simulator serialSim(CPic16Simulator::F876);
    // Command 6 below steps the counter to word 1.
    serialSim.SetProgramWord(1, 0x1A5C);
    CPicSerialBoard serial(serialSim, "COM2:");
    EnterProgramMode(target, serial);
    EXPECT_TRUE(target.SendCommand(6, FALSE));
    EXPECT_EQ(serial.Lines().PinTrace(), command6);
    serial.Lines().ClearPinTrace();
    EXPECT_TRUE(target.CommandWithData(2, 0x2A55 | 0xC000));  // bits 14 and 15 are not sent
    EXPECT_EQ(serial.Lines().PinTrace(), load);
    EXPECT_EQ(serialSim.Commands().back(), (CPic16Simulator::Command{2, true, 0x2A55, 0}));
    serial.Lines().ClearPinTrace();
    WORD word = 0;
    EXPECT_TRUE(target.CommandRead(4, &word));
    EXPECT_EQ(word, 0x1A5C);
    EXPECT_EQ(serial.Lines().PinTrace(), read);
    target.Comms().Close();

    // On the parallel port the host turns its data pin around for the bits it reads.
    CPic16Simulator parallelSim(CPic16Simulator::F877);
    parallelSim.SetProgramWord(0, 0x0155);
    CPicParallelBoard parallel(parallelSim, true);
    EnterProgramMode(target, parallel, CCommsBase::typeLpt, "LPT1:");
    EXPECT_TRUE(target.CommandRead(4, &word));
    EXPECT_EQ(word, 0x0155);
    data = false;
    EXPECT_EQ(parallel.Lines().PinTrace(),
              BitEdges({0, 0, 1, 0, 0, 0}, data) + "D" + "Cc" + "CRc" + Pulses(13) + "H" + "Cc");
    target.Comms().Close();
}

TEST_F(Pic16LinesTest, ZeroWaitsAreSkippedAndTheOthersAreMade)
{
    CPic16Simulator sim(CPic16Simulator::F876);
    CPicSerialBoard board(sim, "COM2:");
    EnterProgramMode(target, board);
    struct Case {
        DWORD clockHigh, clockLow, command;
        BOOL wait;
        uint64_t waits, units;
    } cases[] = {
        {0, 0, 10, TRUE, 1, 10}, {0, 0, 10, FALSE, 0, 0}, {0, 0, 0, TRUE, 0, 0},
        {2, 3, 0, TRUE, 12, 30}, {2, 0, 7, TRUE, 7, 19},
    };
    bool data = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.clockHigh) + "/" + std::to_string(c.clockLow) + "/" + std::to_string(c.command));
        target.SetTimings(c.clockHigh, c.clockLow, c.command, (DWORD)-1, (DWORD)-1, (DWORD)-1);
        const CIcspLines& lines = target.GetLines();
        uint64_t waits = lines.Waits(), units = lines.WaitedUnits();
        board.Lines().ClearPinTrace();
        sim.ClearCommands();
        EXPECT_TRUE(target.SendCommand(6, c.wait));
        EXPECT_EQ(lines.Waits() - waits, c.waits);
        EXPECT_EQ(lines.WaitedUnits() - units, c.units);
        // However long the waits, the device sees the command's edges alone.
        EXPECT_EQ(board.Lines().PinTrace(), BitEdges({0, 1, 1, 0, 0, 0}, data) + "D");
        data = true;
        EXPECT_EQ(sim.Commands(), (std::vector<CPic16Simulator::Command>{{6, false, 0, 0}}));
    }
    target.Comms().Close();
}

TEST_F(Pic16LinesTest, ProgramWordsNeverStepsTheCounterBackwards)
{
    CPic16Simulator sim(CPic16Simulator::F876);
    CPicSerialBoard board(sim, "COM2:");
    EnterProgramMode(target, board);
    std::vector<BYTE> words = pic16test::Bytes({0x0001, 0x0002});
    ASSERT_TRUE(target.ProgramWords(2, words.data(), 2, 0x3FFF));
    EXPECT_EQ(target.GetAddress(), 4);
    EXPECT_EQ(sim.AddressCounter(), 4);
    EXPECT_EQ(sim.ProgramWord(2), 0x0001);
    EXPECT_EQ(sim.ProgramWord(3), 0x0002);
    // The bar: two increments, two words and the last step.
    EXPECT_EQ(host.Upper(), 5);
    EXPECT_EQ(host.Pos(), 5);

    size_t sent = sim.Commands().size();
    board.Lines().ClearPinTrace();
    EXPECT_FALSE(target.ProgramWords(3, words.data(), 2, 0x3FFF));
    EXPECT_FALSE(target.ProgramWords(4, NULL, 2, 0x3FFF));
    EXPECT_FALSE(target.ProgramWords(4, words.data(), 0, 0x3FFF));
    EXPECT_EQ(sim.Commands().size(), sent);
    EXPECT_EQ(board.Lines().PinTrace(), "");
    target.Comms().Close();
}

TEST_F(Pic16LinesTest, ConfigurationRead)
{
    CPic16Simulator sim(CPic16Simulator::F876);
    sim.SetConfigWord(0x3B7A);
    CPicSerialBoard board(sim, "COM2:");
    EnterProgramMode(target, board);
    WORD config = 0;
    EXPECT_TRUE(target.ReadConfig(&config));
    EXPECT_EQ(config, 0x3B7A | CPic16Simulator::kConfigUnimplemented);
    target.Comms().Close();
}
