// Whole programming runs of the QD5170 board against the simulated PIC18FXX2 on the serial
// port double: the device's memories afterwards, the prompts, the progress, the outcome, and
// every way a run can fail.
#include <functional>

#include "platform/base/FailureDetail.h"
#include "platform/testing/VirtualClock.h"
#include "ports/CommsBase.h"
#include "tests/sim/Pic18Simulator.h"
#include "tests/sim/PicSerialBoard.h"
#include "tests/targets/pic/Pic18TestSupport.h"

using pic18test::kResetPrompt;
using Space = CPic18Simulator::Space;

namespace {

const char kJumperPrompt[] = "Set PGM high by removing Jumper JPXXXXX";
const char kLowVoltageWarning[] =
    "Warning - When using low volts programming code protect bits can only be set not cleared";

// The loaded file: code at the start and at the end of the memory, the ID locations, every
// configuration byte and a few EEPROM bytes.
const std::vector<BYTE> kCode = hextext::Pattern(40, 0x10);
const std::vector<BYTE> kCodeAtEnd = {0x12, 0x34, 0x56};
const DWORD kCodeEnd = 0x7FFD;
const std::vector<BYTE> kIds = {1, 2, 3, 4, 5, 6, 7, 8};
const std::vector<BYTE> kConfig = {0x00, 0x22, 0x0F, 0x0E, 0x00, 0x01, 0x85, 0x00, 0x0F, 0xC0, 0x0F, 0xE0, 0x0F, 0x40};
const std::vector<BYTE> kEeprom = {0xA5, 0x00, 0x5A, 0x11, 0x22};

struct ProgressSeen {
    std::string text;
    int upper;
    bool operator==(const ProgressSeen& other) const { return text == other.text && upper == other.upper; }
};

void PrintTo(const ProgressSeen& seen, std::ostream* out)
{
    *out << "\"" << seen.text << "\" 0-" << seen.upper;
}

}  // namespace

class Pic18ProgramTest : public Pic18Test {
protected:
    void LoadImage(bool withIdAndEeprom = true) { LoadImageInto(qd, withIdAndEeprom); }
    void LoadImageInto(CPIC18Target& target, bool withIdAndEeprom = true)
    {
        std::string text = hextext::Image(0, kCode, false) + hextext::Image(kCodeEnd, kCodeAtEnd, false);
        if (withIdAndEeprom)
            text += hextext::Image(0x200000, kIds, false) + hextext::Image(0xF00000, kEeprom, false);
        text += hextext::Image(0x300000, kConfig);
        ASSERT_TRUE(target.LoadModule(0, folder.Write("image.hex", text).c_str()));
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

    // Every programming hold, discharge and erase must be given the device's time on the
    // fixture's clock, which only the busy waits move: a wait left out or cut short is a
    // violation.
    static void CheckTiming(CPic18Simulator& sim, CIcspDecoder& lines)
    {
        lines.TakeTimes(true);
        sim.CheckTiming(true);
    }

    // Each change of the progress text or range, as the device saw it at its commands.
    void WatchProgress(CPic18Simulator& sim)
    {
        sim.OnCommand([this](BYTE) {
            ProgressSeen now{host.ProgressText(), host.Upper()};
            if (progress.empty() || !(progress.back() == now))
                progress.push_back(now);
        });
    }

    void SetOptions(WORD options)
    {
        PIC18Config config = qd.GetConfig();
        config.m_wOptions = options;
        qd.SetConfig(config);
    }

    std::vector<ProgressSeen> progress;
    CString status;
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
    std::vector<ProgressSeen> wanted = {
        {"Erasing the target device", 2},          {"Programming the code memory", 1024},
        {"Programming the ID memory", 1024},       {"Programming the EEPROM memory", 5},
        {"Verifying the code memory", 1024},       {"Verifying the ID memory", 1024},
        {"Verifying the EEPROM memory", 256},      {"Programming Configuration memory", 7},
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
    for (const ProgressSeen& seen : progress)
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
        {"all fourteen bytes 0xFF", std::vector<BYTE>(14, 0xFF),
         {0x00, 0x27, 0x0F, 0x0F, 0x00, 0x01, 0x85, 0x00, 0x0F, 0xC0, 0x0F, 0xE0, 0x0F, 0x40}},
        {"CONFIG1L-CONFIG2H only", {0x00, 0x22, 0x0E, 0x0E},
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

TEST_F(Pic18ProgramTest, DeviceFaultsFailTheirStepAndClosePort)
{
    struct Case {
        const char* what;
        std::function<void(CPic18Simulator&, CPicSerialBoard&)> fault;
        const char* status;
        const char* detail = nullptr;  // the second line, where the run gives one
    } cases[] = {
        {"another device", [](CPic18Simulator& s, CPicSerialBoard&) { s.SetDeviceIdWord(0x0427); },
         "Incorrect PIC device detected", "Expected device id 0x0400, read 0x0427"},
        {"dead data line", [](CPic18Simulator&, CPicSerialBoard& b) { b.Lines().SetDataLineDead(true); },
         "Incorrect PIC device detected", "Expected device id 0x0400, read 0x0000"},
        {"code bit stuck low",
         [](CPic18Simulator& s, CPicSerialBoard&) { s.SetStuckBit(Space::Code, 0x7FFE, 2, false); },
         "Verification of the code memory failed"},
        {"ID bit stuck high", [](CPic18Simulator& s, CPicSerialBoard&) { s.SetStuckBit(Space::Id, 0, 7, true); },
         "Verification of the ID memory failed"},
        {"blank EEPROM bit stuck low",
         [](CPic18Simulator& s, CPicSerialBoard&) { s.SetStuckBit(Space::Eeprom, 200, 7, false); },
         "Verification of the EEPROM memory failed"},
        {"watchdog postscale bit stuck low",
         [](CPic18Simulator& s, CPicSerialBoard&) { s.SetStuckBit(Space::Config, 3, 1, false); },
         "Verification of the configuration memory failed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CPic18Simulator sim(CPic18Simulator::F252);
        sim.SetCodeByte(0x10, 0x00);
        sim.SetConfigByte(8, 0x00);
        CPicSerialBoard board(sim);
        c.fault(sim, board);
        qd.ClearModule(-1);
        LoadImage();
        ui.ExpectMessage(kResetPrompt, MB_OK, IDOK, [&] { board.PressReset(); });
        CFailureDetail::Clear();
        EXPECT_FALSE(qd.Program("COM1:", &status));
        ui.VerifyAndClear();
        EXPECT_EQ(status, c.status);
        if (c.detail)
            EXPECT_EQ(CFailureDetail::Get(), c.detail);
        EXPECT_TRUE(board.PortClosed());
        if (c.status == std::string("Incorrect PIC device detected")) {
            EXPECT_EQ(sim.ChipErases(), 0);
            EXPECT_EQ(sim.CodeByte(0x10), 0x00);
            EXPECT_EQ(sim.ConfigByte(8), 0x00);
        }
    }
}

TEST_F(Pic18ProgramTest, AnEepromWriteThatNeverEndsIsGivenUpAfterItsBound)
{
    CVirtualClock clock(5000);
    CScopedClock scoped(clock);
    for (bool lowVoltage : {false, true}) {
        SCOPED_TRACE(lowVoltage ? "low voltage" : "high voltage");
        CPic18Simulator sim(CPic18Simulator::F252);
        sim.SetEepromWriteNeverCompletes(true);
        sim.Record(false);
        // Each command takes the device a millisecond, so the host's bound comes round.
        sim.OnCommand([&clock](BYTE) { clock.Advance(1); });
        CPicSerialBoard board(sim, "COM1:", !lowVoltage);
        qd.ClearModule(-1);
        LoadImage();
        if (lowVoltage) {
            SetOptions(PIC18Config::optVerify | PIC18Config::optLowVoltage | PIC18Config::optLowVoltageWired);
            ui.ExpectMessage(kJumperPrompt, MB_OK, IDOK, [&] { board.SetPgmJumperRemoved(true); });
        }
        ui.ExpectMessage(kResetPrompt, MB_OK, IDOK, [&] { board.PressReset(); });
        uint64_t before = clock.NowMilliseconds();
        EXPECT_FALSE(qd.Program("COM1:", &status));
        ui.VerifyAndClear();
        EXPECT_EQ(status, lowVoltage ? "Unable to erase PIC device" : "Unable to program the EEPROM memory");
        EXPECT_EQ(sim.EepromWrites(), 1);
        // Three commands a poll: the bound of 100 ms ends it after about 34 polls.
        EXPECT_GE(sim.EepromPolls(), 30);
        EXPECT_LE(sim.EepromPolls(), 40);
        EXPECT_LT(clock.NowMilliseconds() - before, 200000u);
        EXPECT_TRUE(board.PortClosed());
    }
}

// The serial lines stop working at the third command the device receives in each step.
TEST_F(Pic18ProgramTest, ALineFailureAtEachStepFailsThatStep)
{
    struct Case {
        const char* step;  // the progress text shown
        const char* status;
    } cases[] = {
        {"", "Failed to unlock PIC code protection"},
        {"Erasing the target device", "Unable to erase PIC device"},
        {"Programming the code memory", "Unable to program the code memory"},
        {"Programming the ID memory", "Unable to program the ID memory"},
        {"Programming the EEPROM memory", "Unable to program the EEPROM memory"},
        {"Verifying the code memory", "Verification of the code memory failed"},
        {"Verifying the ID memory", "Verification of the ID memory failed"},
        {"Verifying the EEPROM memory", "Verification of the EEPROM memory failed"},
        {"Programming Configuration memory", "Unable to program the configuration memory"},
        {"Verifying the Configuration memory", "Verification of the configuration memory failed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        CPic18Simulator sim(CPic18Simulator::F252);
        sim.Record(false);
        CPicSerialBoard board(sim);
        int seen = 0;
        sim.OnCommand([&](BYTE) {
            if (host.ProgressText() == c.step && ++seen == 3)
                board.Port().SetModemLinesWork(false);
        });
        host.GetProgressText()->SetWindowText("");
        qd.ClearModule(-1);
        LoadImage();
        ui.ExpectMessage(kResetPrompt, MB_OK, IDOK, [&] { board.PressReset(); });
        status = "unchanged";
        EXPECT_FALSE(qd.Program("COM1:", &status));
        ui.VerifyAndClear();
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(seen, 3);
        EXPECT_TRUE(board.PortClosed());
    }
}

TEST_F(Pic18ProgramTest, RunsThatCannotStartSayWhyAndLeaveNothingOpen)
{
    CPic18Simulator sim(CPic18Simulator::F252);
    CPicSerialBoard board(sim, "COM3:");
    // Nothing loaded at all.
    ui.ExpectMessage("No data present to program", MB_OK, IDOK);
    EXPECT_FALSE(qd.Program("COM3:", &status));
    ui.VerifyAndClear();
    EXPECT_EQ(status, "Invalid Binary Image");

    // Two files over the same bytes, and the user declines.
    LoadImage();
    ASSERT_TRUE(qd.LoadModule(0, HexFile("again.hex", 4, {0x11})));
    ui.ExpectMessage("Overlaid data has been detected, continue", MB_YESNO, IDNO);
    EXPECT_FALSE(qd.Program("COM3:", &status));
    ui.VerifyAndClear();
    EXPECT_EQ(status, "Invalid Binary Image");
    EXPECT_EQ(board.Port().ConnectCount(), 0);

    qd.ClearModule(-1);
    LoadImage();
    board.Port().SetBusy(true);
    EXPECT_FALSE(qd.Program("COM3:", &status));
    EXPECT_EQ(status, "Unable to open specified communications resource");
    EXPECT_TRUE(board.PortClosed());
    EXPECT_TRUE(sim.Commands().empty());
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
