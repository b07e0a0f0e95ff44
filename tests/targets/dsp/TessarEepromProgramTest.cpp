// Whole EEPROM-loader downloads against the simulated loader: over a pseudo-terminal through
// the real serial code for what the loader answers, behind an in-process device on the
// virtual clock for what it leaves unanswered.
#include <gtest/gtest.h>

#include "platform/testing/VirtualClock.h"
#include "ports/CommsBase.h"
#include "tests/sim/TessarEepromSimulator.h"
#include "tests/support/FakeSerialDevice.h"
#include "tests/support/FakeTargetHost.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempFolder.h"
#include "tests/targets/dsp/DspTestSupport.h"

using namespace dsptest;
using Fault = CTessarEepromSimulator::Fault;

class TessarEepromProgramTest : public ::testing::Test {
protected:
    void Use(WORD model)
    {
        target = std::make_unique<CEepromUnderTest>(model);
        sim = std::make_unique<CTessarEepromSimulator>(target->Words(0), target->Words(1));
        ASSERT_TRUE(sim->Start());
        pram = Words(target->Words(0), 11);
        xram = Words(target->Words(1), 12);
    }
    void Load(int area, const char* name, const std::vector<std::string>& words)
    {
        ASSERT_TRUE(target->LoadModule(area, folder.Write(name, Listing(words)).c_str()));
    }
    BOOL Program(const CTessarEepromSimulator::Behaviour& behaviour = {})
    {
        sim->Reset();
        sim->SetBehaviour(behaviour);
        return target->Program(sim->PortPath().c_str(), &message);
    }
    void ExpectPortClosed()
    {
        CCommsBase port;
        EXPECT_TRUE(port.Open(CCommsBase::typeSerialFast, sim->PortPath().c_str()));
        port.Close();
    }

    CTempFolder folder;
    CScriptedUi ui;
    CFakeTargetHost host;
    std::unique_ptr<CEepromUnderTest> target;
    std::unique_ptr<CTessarEepromSimulator> sim;
    std::vector<std::string> pram, xram;
    CString message;
};

TEST_F(TessarEepromProgramTest, BothAreasGoOutByteForByteOnEachModel)
{
    for (WORD model : {1, 2}) {
        SCOPED_TRACE(model);
        Use(model);
        Load(0, "prog.p", pram);
        Load(1, "prog.x", xram);
        EXPECT_TRUE(Program());
        EXPECT_EQ(message, "Programming complete");
        EXPECT_EQ(sim->Received(), "#P" + WordBytes(pram) + "#X" + WordBytes(xram));
        EXPECT_EQ(sim->Written(), "PX");
        int blocks = (int)(pram.size() + xram.size()) / 64;
        EXPECT_EQ(host.Upper(), blocks);
        EXPECT_EQ(host.Pos(), blocks);
        ExpectPortClosed();
        EXPECT_TRUE(target->IsModuleLoaded(0) && target->IsModuleLoaded(1));
    }
    EXPECT_FALSE(target->Program((folder / "no-such-tty").c_str(), &message));
    EXPECT_EQ(message, "Unable to open specified communications resource");
}

TEST_F(TessarEepromProgramTest, OnlyTheLoadedAreasAreSentAndCounted)
{
    Use(2);
    Load(1, "prog.x", xram);
    EXPECT_TRUE(Program());
    EXPECT_EQ(sim->Received(), "#X" + WordBytes(xram));
    EXPECT_EQ(host.Upper(), 0x1000 / 64);

    // DRAM loads through a ".d" name although this target does not list it; it is counted,
    // its '#' goes out and the run fails there. That last '#' is looked for on the in-process
    // device: closing a pty drops what its far side has not read yet.
    Load(2, "data.d", Words(0x7F0));
    CFakeSerialDevice device("COM2:");
    CTessarEepromSimulator board(0x4000, 0x1000);
    board.Attach(device);
    EXPECT_FALSE(target->Program("COM2:", &message));
    EXPECT_EQ(message, "Unable to program device");
    EXPECT_EQ(host.Upper(), (0x1000 + 0x7F0) / 64);
    EXPECT_EQ(host.Pos(), 0x1000 / 64);
    EXPECT_EQ(board.Received(), "#X" + WordBytes(xram) + "#");
    EXPECT_FALSE(device.IsOpen());
}

TEST_F(TessarEepromProgramTest, AnswersTheLoaderGetsWrongFailTheAreaAtOnce)
{
    Use(1);
    Load(0, "prog.p", pram);
    Load(1, "prog.x", xram);
    const size_t pramWire = 2 + 2 * 0x6000;
    struct Case {
        const char* what;
        CTessarEepromSimulator::Behaviour behaviour;
        bool ok;
        size_t received;  // bytes the loader got
        int acked;        // blocks acknowledged: the progress position
    } cases[] = {
        {"spare byte 3: 0xC0 0x03 still sizes PRAM", {3, Fault::None, 0}, true, pramWire + 2 + 2 * 0x2000, 512},
        {"spare byte 4: 0xC0 0x04 is a word too many", {4, Fault::None, 0}, false, 2, 0},
        {"one page too many", {0, Fault::WrongSize, 0}, false, 2, 0},
        {"wrong size for the second area", {0, Fault::WrongSize, 1}, false, pramWire + 2, 384},
        {"wrong answer to the first block", {0, Fault::WrongAck, 0}, false, 2 + 128, 0},
        {"wrong answer to PRAM's last block", {0, Fault::WrongAck, 383}, false, pramWire, 383},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Program(c.behaviour), c.ok) << c.what;
        EXPECT_EQ(message, c.ok ? "Programming complete" : "Unable to program device") << c.what;
        EXPECT_EQ(sim->Received().size(), c.received) << c.what;
        EXPECT_EQ(host.Pos(), c.acked) << c.what;
        ExpectPortClosed();
    }
}

// Silence costs the host its whole read time-out: on the virtual clock, and with no main
// dialog, so without a progress bar.
TEST(TessarEepromSilence, UnansweredStepsFailAndThePortIsClosed)
{
    CVirtualClock clock;
    CScopedClock useClock(clock);
    CTempFolder folder;
    CEepromUnderTest target(2);
    ASSERT_TRUE(target.LoadModule(0, folder.Write("prog.p", Listing(Words(0x4000))).c_str()));
    ASSERT_TRUE(target.LoadModule(1, folder.Write("prog.x", Listing(Words(0x1000))).c_str()));
    CFakeSerialDevice device("COM3:");
    CTessarEepromSimulator sim(0x4000, 0x1000);
    sim.Attach(device);
    struct Case {
        const char* what;
        Fault fault;
        int at;
        size_t silentAfter;
        size_t received;
    } cases[] = {
        {"no size answer", Fault::NoSize, 0, (size_t)-1, 2},
        {"half a size answer", Fault::ShortSize, 1, (size_t)-1, 2 + 0x8000 + 2},
        {"no answer to a block", Fault::NoAck, 100, (size_t)-1, 2 + 101 * 128},
        {"line silent inside PRAM", Fault::None, 0, 2 + 50 * 128 + 7, 2 + 51 * 128},
    };
    for (const Case& c : cases) {
        sim.Reset();
        sim.SetBehaviour({0, c.fault, c.at});
        sim.GoSilentAfter(c.silentAfter);
        CString message;
        EXPECT_FALSE(target.Program("COM3:", &message)) << c.what;
        EXPECT_EQ(message, "Unable to program device") << c.what;
        EXPECT_EQ(sim.Received().size(), c.received) << c.what;
        EXPECT_FALSE(device.IsOpen()) << c.what;
    }
    // Three whole read time-outs; half an answer ends after the 50 ms between two bytes.
    EXPECT_GE(clock.NowMilliseconds(), 3 * 5000u + 50);
    SerialState state = device.State();
    EXPECT_EQ(state.baudRate, 115200u);
    EXPECT_TRUE(state.outxCtsFlow);
    EXPECT_EQ(state.rtsControl, RTS_CONTROL_HANDSHAKE);
}
