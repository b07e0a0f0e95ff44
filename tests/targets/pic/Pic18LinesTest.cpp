// The ICSP layer of the PIC18 target against the simulated PIC18FXX2: the edges of a command
// with payload and of a table read, the programming hold and its timing, and the device-level
// sequences whose shape the device depends on (panel writes, row erases, the configuration
// order, the verify ranges).
#include <algorithm>

#include "ports/CommsBase.h"
#include "tests/targets/pic/PicFamilies.h"

using pictest::BitEdges;
using pictest::EnterProgramMode;
using pictest::Pulses;

namespace {

std::vector<DWORD> PointersOf(const CPic18Simulator& sim, BYTE code)
{
    std::vector<DWORD> pointers;
    for (const CPic18Simulator::Command& command : sim.Commands())
        if (command.code == code)
            pointers.push_back(command.tblptr);
    return pointers;
}

size_t CountOf(const CPic18Simulator& sim, BYTE code)
{
    return PointersOf(sim, code).size();
}

}  // namespace

class Pic18LinesTest : public Pic18Test {
protected:
    CTestPic18 target{0x41D1};
};

TEST_F(Pic18LinesTest, ACommandWithPayloadAndATableReadHaveTheProtocolsEdges)
{
    CPic18Simulator sim(CPic18Simulator::F252);
    sim.SetDeviceIdWord(0x0407);
    CPicSerialBoard board(sim, "COM2:");
    EnterProgramMode(target, board);

    // Code 1101 from bit 0, data low, then 0x1234 from bit 0.
    bool data = false;
    std::string expected = BitEdges({1, 0, 1, 1}, data) + "d";
    data = false;
    expected += BitEdges({0, 0, 1, 0, 1, 1, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0}, data);
    EXPECT_TRUE(target.SendCommand(CPIC18Target::cmdTableWriteInc2, 0x1234));
    EXPECT_EQ(board.Lines().PinTrace(), expected);
    EXPECT_EQ(sim.Commands().back(), (CPic18Simulator::Command{0xD, 0x1234, 0}));
    EXPECT_EQ(sim.TablePointer(), 2u);

    // A table read: code 1000, data low, 8 clocks the device ignores, 8 it drives.
    ASSERT_TRUE(target.SetTablePointer(0x3FFFFE));
    board.Lines().ClearPinTrace();
    BYTE value = 0;
    EXPECT_TRUE(target.ReadCommand(CPIC18Target::cmdTableRead, &value));
    data = false;
    EXPECT_EQ(board.Lines().PinTrace(), BitEdges({0, 0, 0, 1}, data) + "d" + Pulses(16));
    EXPECT_EQ(value, 0x07);
    WORD id = 0;
    EXPECT_TRUE(target.ReadDeviceId(&id));
    EXPECT_EQ(id, 0x0407);

    // The table pointer takes three literal moves, upper byte first.
    sim.ClearCommands();
    ASSERT_TRUE(target.SetTablePointer(0x3C0006));
    std::vector<CPic18Simulator::Command> moves;
    for (WORD word : {0x0E3C, 0x6EF8, 0x0E00, 0x6EF7, 0x0E06, 0x6EF6})
        moves.push_back({0x0, word, 0});
    EXPECT_EQ(sim.Commands(), moves);
    EXPECT_EQ(sim.TablePointer(), 0x3C0006u);
    target.Comms().Close();
}

TEST_F(Pic18LinesTest, APanelWriteHoldsTheFourthClockOfTheNopAndThenDischarges)
{
    // A unit of 100000 loop iterations is longer than 10 microseconds on any machine that runs
    // fewer than ten iterations a nanosecond, so the waits meet the device's minimum times
    // without a calibration; the clock pulses themselves stay short.
    CScopedDelayFactor longUnits(100000);
    struct Case {
        DWORD program, discharge;
        int violations;
    } cases[] = {{200, 1, 0}, {0, 1, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.program) + "/" + std::to_string(c.discharge));
        CPic18Simulator sim(CPic18Simulator::F252);
        CPicSerialBoard board(sim, "COM2:");
        EnterProgramMode(target, board);
        board.Lines().TakeTimes(true);
        sim.CheckTiming(true);
        target.SetTimings(0, 0, 0, (DWORD)-1, c.program, c.discharge);
        ASSERT_TRUE(target.SendCommand(CPIC18Target::cmdCore, CPIC18Target::insSetEepgd) &&
                    target.SendCommand(CPIC18Target::cmdCore, CPIC18Target::insClearCfgs));
        ASSERT_TRUE(target.SetTablePointer(0x100));
        for (WORD word : {0x2211, 0x4433, 0x6655})
            ASSERT_TRUE(target.SendCommand(CPIC18Target::cmdTableWriteInc2, word));
        ASSERT_TRUE(target.SendCommand(CPIC18Target::cmdTableWriteStart, 0x0877));
        board.Lines().ClearPinTrace();
        uint64_t waits = target.GetLines().Waits(), units = target.GetLines().WaitedUnits();
        EXPECT_TRUE(target.ProgramHold());
        // Four command clocks and sixteen payload clocks, all with data low.
        EXPECT_EQ(board.Lines().PinTrace(), Pulses(20));
        EXPECT_EQ(target.GetLines().Waits() - waits, (c.program != 0) + (c.discharge != 0));
        EXPECT_EQ(target.GetLines().WaitedUnits() - units, c.program + c.discharge);
        EXPECT_EQ(sim.TimingViolations(), c.violations);
        EXPECT_EQ(sim.ProgrammingCycles(), 1);
        for (DWORD i = 0; i < 8; ++i)
            EXPECT_EQ(sim.CodeByte(0x100 + i), (BYTE)(0x11 * (i + 1) - (i == 7 ? 0x80 : 0))) << i;
        target.Comms().Close();
    }
    target.SetTimings(0, 0, 0, 900, 200, 1);
}

TEST_F(Pic18LinesTest, ImageWordsReadErasedBytesPastTheImage)
{
    const BYTE buffer[9] = {1, 2, 3, 4, 5, 6, 7, 8, 0x5A};
    EXPECT_EQ(CPIC18Target::GetImageWord(0, buffer, 9), 0x0201);
    EXPECT_EQ(CPIC18Target::GetImageWord(8, buffer, 9), 0xFF5A);
    EXPECT_EQ(CPIC18Target::GetImageWord(10, buffer, 9), 0xFFFF);
    EXPECT_EQ(CPIC18Target::GetImageWord(0, NULL, 0), 0xFFFF);
}

TEST_F(Pic18LinesTest, CodeWritesCoverTheWholeMemoryInPanelPasses)
{
    CTestPic18 small(pic18test::k16KWithEeprom);
    CPic18Simulator sim(CPic18Simulator::F242);
    CPicSerialBoard board(sim, "COM2:");
    EnterProgramMode(small, board);
    const std::vector<BYTE> code = hextext::Pattern(10, 0x30);
    EXPECT_TRUE(small.WriteCode(host.GetProgressCtrl(), code.data(), (DWORD)code.size()));

    // A priming pass and 1024 passes, each programming both panels at once.
    EXPECT_EQ(CountOf(sim, CPIC18Target::cmdTableWriteStart), 1025u);
    EXPECT_EQ(sim.ProgrammingCycles(), 1025);
    for (const CPic18Simulator::Command& command : sim.Commands()) {
        if (command.code >= 0xC && command.tblptr >= 10 && command.tblptr < 0x3C0000) {
            ASSERT_EQ(command.data, 0xFFFF) << command;
        }
    }
    for (DWORD i = 0; i < code.size(); ++i)
        EXPECT_EQ(sim.CodeByte(i), code[i]);
    EXPECT_EQ(sim.CodeByte(0x2000), 0xFF);
    EXPECT_EQ(host.Upper(), 1024);
    EXPECT_EQ(host.Pos(), 1024);
    EXPECT_EQ(sim.RefusedWrites() + sim.ProtocolErrors() + sim.UnknownInstructions(), 0);
    small.Comms().Close();
}

TEST_F(Pic18LinesTest, TheLowVoltageEraseClearsEveryPanelRowByRow)
{
    struct Case {
        WORD flags;
        const CPic18Simulator::Variant& variant;
        int panels;
    } cases[] = {{pic18test::k16KWithEeprom, CPic18Simulator::F242, 2}, {0x41D1, CPic18Simulator::F252, 4}};
    std::vector<DWORD> rows;
    for (DWORD offset = 0; offset <= 0x1FC0; offset += 0x40)
        rows.push_back(offset);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.variant.name);
        CTestPic18 device(c.flags);
        CPic18Simulator sim(c.variant);
        for (DWORD i = 0; i < c.variant.codeBytes; ++i)
            sim.SetCodeByte(i, 0x00);
        sim.SetIdByte(3, 0x00);
        sim.SetEepromByte(0xFF, 0x00);
        CPicSerialBoard board(sim, "COM2:");
        EnterProgramMode(device, board);
        EXPECT_TRUE(device.EraseLowVoltage(host.GetProgressCtrl()));
        EXPECT_EQ(PointersOf(sim, CPIC18Target::cmdTableWriteStart), rows);
        EXPECT_EQ(sim.RowErases(), 128 * c.panels + 1);
        EXPECT_EQ(sim.ChipErases(), 0);
        DWORD unerased = 0;
        for (DWORD i = 0; i < c.variant.codeBytes; ++i)
            unerased += sim.CodeByte(i) != 0xFF;
        EXPECT_EQ(unerased, 0u);
        EXPECT_EQ(sim.IdByte(3), 0xFF);
        EXPECT_EQ(sim.EepromByte(0xFF), 0xFF);
        EXPECT_EQ(host.Upper(), 131);
        EXPECT_EQ(host.Pos(), 131);
        EXPECT_EQ(sim.RefusedWrites() + sim.ProtocolErrors() + sim.UnknownInstructions(), 0);
        device.Comms().Close();
    }
}

TEST_F(Pic18LinesTest, ConfigurationIsWrittenByteByByteWithCONFIG6Last)
{
    CPic18Simulator sim(CPic18Simulator::F252);
    CPicSerialBoard board(sim, "COM2:");
    EnterProgramMode(target, board);
    // Protections on, and bits the part does not have.
    const BYTE config[14] = {0xFF, 0x22, 0x0D, 0x0A, 0xFF, 0x00, 0x81, 0xFF, 0x0A, 0x40, 0x05, 0x40, 0x0C, 0x00};
    EXPECT_TRUE(target.WriteConfig(host.GetProgressCtrl(), config));
    std::vector<DWORD> order;
    for (DWORD at : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 13, 10, 11})
        order.push_back(0x300000 + at);
    EXPECT_EQ(PointersOf(sim, CPIC18Target::cmdTableWriteStart), order);
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(sim.ConfigByte(i), config[i] & CPic18Simulator::kConfigImplemented[i]) << i;
    EXPECT_EQ(sim.ProgramCounter(), 0x100000u);
    EXPECT_EQ(host.Pos(), 7);

    // Read back as the part reports it.
    BYTE read[14] = {};
    EXPECT_TRUE(target.ReadConfig(read));
    EXPECT_EQ(read[0], 0x00);
    EXPECT_EQ(read[6], 0x81);
    // CONFIG6 protected the configuration, so nothing more is taken.
    const BYTE blank[14] = {0x00, 0x27, 0x0F, 0x0F, 0x00, 0x01, 0x85, 0x00, 0x0F, 0xC0, 0x0F, 0xE0, 0x0F, 0x40};
    EXPECT_TRUE(target.WriteConfig(NULL, blank));
    EXPECT_EQ(sim.ConfigByte(1), 0x22);
    EXPECT_GT(sim.RefusedWrites(), 0);
    target.Comms().Close();
}

TEST_F(Pic18LinesTest, VerifyRangesAndTheEepromBlankCheck)
{
    CPic18Simulator sim(CPic18Simulator::F252);
    for (int i = 0; i < 8; ++i)
        sim.SetIdByte(i, (BYTE)(0xA0 + i));
    CPicSerialBoard board(sim, "COM2:");
    EnterProgramMode(target, board);
    const BYTE ids[8] = {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7};
    EXPECT_TRUE(target.VerifyRange(host.GetProgressCtrl(), ids, 8, 0x200000, 0x200007));
    EXPECT_EQ(CountOf(sim, CPIC18Target::cmdTableReadInc), 8u);
    EXPECT_FALSE(target.VerifyRange(NULL, ids, 7, 0x200000, 0x200007));  // the last byte must read 0xFF
    sim.ClearCommands();
    EXPECT_TRUE(target.VerifyRange(host.GetProgressCtrl(), NULL, 0, 0, 0x7FFF));
    EXPECT_EQ(CountOf(sim, CPIC18Target::cmdTableReadInc), 0x8000u);
    EXPECT_EQ(host.Upper(), 1024);

    struct Case {
        DWORD length;
        bool lastByteWritten;  // byte 255 of the device is not blank
        BOOL ok;
        size_t reads;
    } cases[] = {
        {256, true, TRUE, 256},
        {250, false, TRUE, 256},
        {255, true, FALSE, 256},  // the one byte after the data is checked too
        {257, false, FALSE, 0},
    };
    std::vector<BYTE> data = hextext::Pattern(257, 0x11);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        for (DWORD i = 0; i < 256; ++i)
            sim.SetEepromByte((WORD)i, i < c.length ? data[i] : 0xFF);
        if (c.lastByteWritten)
            sim.SetEepromByte(255, data[255]);
        sim.ClearCommands();
        EXPECT_EQ(target.VerifyEeprom(host.GetProgressCtrl(), data.data(), c.length), c.ok);
        EXPECT_EQ(CountOf(sim, CPIC18Target::cmdShiftOutTablat), c.reads);
    }
    target.Comms().Close();
}
