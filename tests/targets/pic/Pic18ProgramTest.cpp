// Whole programming runs of the QD5170 board against the simulated PIC18FXX2 on the serial
// port double: the device's memories afterwards, the prompts, the progress and the outcome;
// the faults that both families meet alike are in PicProgramTest.cpp.
#include "platform/testing/VirtualClock.h"
#include "ports/CommsBase.h"
#include "tests/sim/Pic18Simulator.h"
#include "tests/sim/PicSerialBoard.h"
#include "tests/targets/pic/PicFamilies.h"

using namespace pic18test;
using Space = CPic18Simulator::Space;

namespace {

const char kJumperPrompt[] = "Set PGM high by removing Jumper JPXXXXX";
const char kLowVoltageWarning[] =
    "Warning - When using low volts programming code protect bits can only be set not cleared";

}  // namespace

class Pic18ProgramTest : public PicRunFixture<Pic18Test> {
protected:
    void LoadImage(bool withIdAndEeprom = true) { LoadImageInto(qd, withIdAndEeprom); }
    void LoadImageInto(CPIC18Target& target, bool withIdAndEeprom = true)
    {
        ASSERT_TRUE(target.LoadModule(0, folder.Write("image.hex", pic18test::RunImage(withIdAndEeprom)).c_str()));
    }

    void ExpectProgrammed(const CPic18Simulator& sim, bool withIdAndEeprom = true)
    {
        DWORD wrong = 0;
        for (DWORD i = 0; i < 0x8000; ++i) {
            BYTE wanted = i < kCode.size() ? kCode[i] : 0xFF;
            if (i >= kCodeEnd && i < kCodeEnd + kCodeAtEnd.size())
                wanted = kCodeAtEnd[i - kCodeEnd];
            wrong += sim.CodeByte(i) != wanted;
        }
        EXPECT_EQ(wrong, 0u);
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(sim.IdByte(i), withIdAndEeprom ? kIds[i] : 0xFF) << "ID " << i;
        for (WORD i = 0; i < 256; ++i)
            EXPECT_EQ(sim.EepromByte(i), withIdAndEeprom && i < kEeprom.size() ? kEeprom[i] : 0xFF) << "EEPROM " << i;
        for (int i = 0; i < 14; ++i)
            EXPECT_EQ(sim.ConfigByte(i), kConfig[i]) << "CONFIG byte " << i;
        EXPECT_EQ(sim.RefusedWrites() + sim.ProtocolErrors() + sim.UnknownInstructions(), 0);
    }

    void SetOptions(WORD options)
    {
        PIC18Config config = qd.GetConfig();
        config.m_wOptions = options;
        qd.SetConfig(config);
    }
};

TEST_F(Pic18ProgramTest, QD5170RunErasesProgramsVerifiesAndConfiguresAProtectedDevice)
{
    CPic18Simulator sim(CPic18Simulator::F252);
    sim.SetDeviceIdWord(0x0407);  // revision 7
    sim.SetConfigByte(8, 0x00);   // every block protected
    sim.SetCodeByte(0x100, 0x00);
    sim.SetEepromByte(0x80, 0x00);
    CPicSerialBoard board(sim, "COM2:");
    CheckTiming(sim, board.Lines());
    LoadImage();
    WatchProgress(sim);
    ui.ExpectMessage(kResetPrompt, MB_OK, IDOK, [&] { board.PressReset(); });

    EXPECT_TRUE(qd.Program("COM2:", &status));
    ui.VerifyAndClear();
    EXPECT_EQ(status, "Programming complete");
    ExpectProgrammed(sim);
    EXPECT_EQ(sim.ChipErases(), 1);
    EXPECT_EQ(sim.HighVoltageEntries(), 1);
    EXPECT_EQ(sim.TimingViolations(), 0);
    std::vector<pictest::ProgressSeen> wanted = {
        {"Erasing the target device", 2},
        {"Programming the code memory", 1024},
        {"Programming the ID memory", 1024},
        {"Programming the EEPROM memory", 5},
        {"Verifying the code memory", 1024},
        {"Verifying the ID memory", 1024},
        {"Verifying the EEPROM memory", 256},
        {"Programming Configuration memory", 7},
        {"Verifying the Configuration memory", 1024},
    };
    ASSERT_GE(progress.size(), 1u);
    progress.erase(progress.begin());  // the id is read before the first progress text
    EXPECT_EQ(progress, wanted);
    EXPECT_TRUE(board.PortClosed());
    EXPECT_EQ(ui.WaitDepth(), 0);
    EXPECT_GE(ui.WaitCursorCount(), 1);
}

TEST_F(Pic18ProgramTest, WithoutVerifyNothingIsReadBackButTheId)
{
    CPic18Simulator sim(CPic18Simulator::F252);
    sim.SetStuckBit(Space::Code, 3, 0, true);
    CPicSerialBoard board(sim);
    LoadImage(false);
    SetOptions(0);
    WatchProgress(sim);
    ui.ExpectMessage(kResetPrompt, MB_OK, IDOK, [&] { board.PressReset(); });
    EXPECT_TRUE(qd.Program("COM1:", &status));
    EXPECT_EQ(status, "Programming complete");
    size_t reads = 0;
    for (const CPic18Simulator::Command& command : sim.Commands())
        reads += command.code == 0x8 || command.code == 0x9;
    EXPECT_EQ(reads, 2u);
    std::vector<std::string> texts;
    for (const pictest::ProgressSeen& seen : progress)
        texts.push_back(seen.text);
    texts.erase(texts.begin());
    EXPECT_EQ(texts, (std::vector<std::string>{"Erasing the target device", "Programming the code memory",
                                               "Programming Configuration memory"}));
    EXPECT_EQ(sim.CodeByte(3), kCode[3] | 1);
    EXPECT_TRUE(board.PortClosed());
}

TEST_F(Pic18ProgramTest, LowVoltageRunErasesByRowsAndKeepsTheLvpBit)
{
    CPic18Simulator sim(CPic18Simulator::F252);
    CPicSerialBoard board(sim, "COM1:", false);  // no programming voltage at reset
    CheckTiming(sim, board.Lines());
    LoadImage();
    PIC18Config config = qd.GetConfig();
    config.m_wOptions = PIC18Config::optVerify | PIC18Config::optLowVoltage | PIC18Config::optLowVoltageWired;
    config.m_Bytes[PIC18Config::config4L] = 0x81;  // the record asks for LVP off
    qd.SetConfig(config);
    bool warnedBeforeConfig = false;
    ui.ExpectMessage(kJumperPrompt, MB_OK, IDOK, [&] { board.SetPgmJumperRemoved(true); });
    ui.ExpectMessage(kResetPrompt, MB_OK, IDOK, [&] { board.PressReset(); });
    ui.ExpectMessage(kLowVoltageWarning, MB_OK, IDOK, [&] {
        warnedBeforeConfig = sim.ConfigByte(1) == 0x27 && host.ProgressText() == "Programming Configuration memory";
    });

    EXPECT_TRUE(qd.Program("COM1:", &status));
    ui.VerifyAndClear();
    EXPECT_EQ(status, "Programming complete");
    EXPECT_TRUE(warnedBeforeConfig);
    EXPECT_EQ(sim.LowVoltageEntries(), 2);  // at the jumper and again at the reset
    EXPECT_EQ(sim.HighVoltageEntries(), 0);
    EXPECT_EQ(sim.ChipErases(), 0);
    EXPECT_EQ(sim.RowErases(), 128 * 4 + 1);
    EXPECT_EQ(sim.TimingViolations(), 0);
    // The device keeps LVP, and so does the record once it has been verified.
    EXPECT_EQ(sim.ConfigByte(PIC18Config::config4L), 0x85);
    EXPECT_EQ(qd.GetConfig().m_Bytes[PIC18Config::config4L], 0x85);
    EXPECT_EQ(sim.EepromByte(0), kEeprom[0]);
    EXPECT_TRUE(board.PortClosed());
}

TEST_F(Pic18ProgramTest, ConfigurationFilledWithErasedBytesVerifiesOnTheBitsThePartHas)
{
    struct Case {
        const char* what;
        std::vector<BYTE> bytes;
        std::vector<BYTE> device;
    } cases[] = {
        {"all fourteen bytes 0xFF",
         std::vector<BYTE>(14, 0xFF),
         {0x00, 0x27, 0x0F, 0x0F, 0x00, 0x01, 0x85, 0x00, 0x0F, 0xC0, 0x0F, 0xE0, 0x0F, 0x40}},
        {"CONFIG1L-CONFIG2H only",
         {0x00, 0x22, 0x0E, 0x0E},
         {0x00, 0x22, 0x0E, 0x0E, 0x00, 0x01, 0x85, 0x00, 0x0F, 0xC0, 0x0F, 0xE0, 0x0F, 0x40}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CPic18Simulator sim(CPic18Simulator::F252);
        CPicSerialBoard board(sim);
        qd.ClearModule(-1);
        std::string text = hextext::Image(0, kCode, false) + hextext::Image(0x300000, c.bytes);
        ASSERT_TRUE(qd.LoadModule(0, folder.Write("config.hex", text).c_str()));
        ui.ExpectMessage(kResetPrompt, MB_OK, IDOK, [&] { board.PressReset(); });
        EXPECT_TRUE(qd.Program("COM1:", &status));
        ui.VerifyAndClear();
        EXPECT_EQ(status, "Programming complete");
        for (int i = 0; i < 14; ++i)
            EXPECT_EQ(sim.ConfigByte(i), c.device[i]) << i;
    }
}

TEST_F(Pic18ProgramTest, AnEepromWriteThatNeverEndsIsGivenUpAfterItsBound)
{
    CVirtualClock deviceClock(5000);
    CScopedClock scoped(deviceClock);
    for (bool lowVoltage : {false, true}) {
        SCOPED_TRACE(lowVoltage ? "low voltage" : "high voltage");
        CPic18Simulator sim(CPic18Simulator::F252);
        sim.SetEepromWriteNeverCompletes(true);
        sim.Record(false);
        // Each command takes the device a millisecond, so the host's bound comes round.
        sim.OnCommand([&deviceClock](BYTE) { deviceClock.Advance(1); });
        CPicSerialBoard board(sim, "COM1:", !lowVoltage);
        qd.ClearModule(-1);
        LoadImage();
        if (lowVoltage) {
            SetOptions(PIC18Config::optVerify | PIC18Config::optLowVoltage | PIC18Config::optLowVoltageWired);
            ui.ExpectMessage(kJumperPrompt, MB_OK, IDOK, [&] { board.SetPgmJumperRemoved(true); });
        }
        ui.ExpectMessage(kResetPrompt, MB_OK, IDOK, [&] { board.PressReset(); });
        uint64_t before = deviceClock.NowMilliseconds();
        EXPECT_FALSE(qd.Program("COM1:", &status));
        ui.VerifyAndClear();
        EXPECT_EQ(status, lowVoltage ? "Unable to erase PIC device" : "Unable to program the EEPROM memory");
        EXPECT_EQ(sim.EepromWrites(), 1);
        // Three commands a poll: the bound of 100 ms ends it after about 34 polls.
        EXPECT_GE(sim.EepromPolls(), 30);
        EXPECT_LE(sim.EepromPolls(), 40);
        EXPECT_LT(deviceClock.NowMilliseconds() - before, 200000u);
        EXPECT_TRUE(board.PortClosed());
    }
}

TEST_F(Pic18ProgramTest, AnyDeviceIsAcceptedWithoutAnExpectedId)
{
    CTestPic18 target(0x41D1);
    CPic18Simulator sim(CPic18Simulator::F452);
    CPicSerialBoard board(sim);
    LoadImageInto(target);
    ui.ExpectMessage("Please reset the target board (by pressing SW1)", MB_OK, IDOK, [&] { board.PressReset(); });
    EXPECT_TRUE(target.ProgramDevice("COM1:", &status, 0, CCommsBase::typeSerialLines));
    EXPECT_EQ(status, "Programming complete");
    // The board's own prompt is set by every run of the board.
    ui.ExpectMessage(kResetPrompt, MB_OK, IDOK, [&] { board.PressReset(); });
    EXPECT_FALSE(qd.Program("COM1:", &status));
    EXPECT_EQ(status, "Incorrect PIC device detected");
    EXPECT_EQ(qd.GetResetPrompt(), kResetPrompt);
    target.ClearModule(-1);
}
