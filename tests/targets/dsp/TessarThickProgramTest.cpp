// Whole thick-stub downloads and jumps against the simulated stub: over a pseudo-terminal for
// what the stub answers, behind an in-process device on the virtual clock for what it leaves
// unanswered; and the two settings the target keeps.
#include <gtest/gtest.h>

#include "platform/testing/VirtualClock.h"
#include "ports/CommsBase.h"
#include "tests/sim/TessarThickSimulator.h"
#include "tests/support/FakeSerialDevice.h"
#include "tests/support/FakeTargetHost.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempFolder.h"
#include "tests/targets/dsp/DspTestSupport.h"
#include "tests/targets/stub/StubTestSupport.h"

using namespace dsptest;
using Fault = CTessarThickSimulator::Fault;

namespace {

const char kJumpFailed[] = "Programming complete\nBut unable to jump to specified address";

// Loads `area` of `target` with words of its size; returns the area's text as it goes out.
std::string Load(CThickUnderTest& target, CTempFolder& folder, int area)
{
    std::vector<std::string> words = Words(target.Words(area), 5 + (unsigned)area);
    const char* names[] = {"prog.p", "prog.x", "prog.d"};
    EXPECT_TRUE(target.LoadModule(area, folder.Write(names[area], Listing(words)).c_str()));
    return Joined(words);
}

}  // namespace

class TessarThickProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        StoreJumpSettings(NULL, 0);
        ASSERT_TRUE(sim.Start());
    }
    void TearDown() override { StoreJumpSettings(NULL, 0); }

    void Use(WORD model)
    {
        target = std::make_unique<CThickUnderTest>(model);
        target->LoadOptions();
    }
    BOOL Program(const CTessarThickSimulator::Behaviour& behaviour = {})
    {
        sim.Reset();
        sim.SetBehaviour(behaviour);
        return target->Program(sim.PortPath().c_str(), &message);
    }
    void ExpectPortClosed()
    {
        CCommsBase port;
        EXPECT_TRUE(port.Open(CCommsBase::typeSerialFast, sim.PortPath().c_str()));
        port.Close();
    }

    CTempFolder folder;
    CScriptedUi ui;
    CFakeTargetHost host;
    CTessarThickSimulator sim;
    std::unique_ptr<CThickUnderTest> target;
    CString message;
};

TEST_F(TessarThickProgramTest, EveryAreaThenTheJumpByteForByteOnEachModel)
{
    // Count and start address the stub is told for each area.
    const char* headers[2][3] = {{"60004000", "20002000", "18000000"}, {"40004000", "10003000", "07F00010"}};
    for (WORD model : {1, 2}) {
        SCOPED_TRACE(model);
        Use(model);
        std::string wire;
        for (int area = 0; area < 3; ++area)
            wire += std::string("#") + headers[model - 1][area] + Load(*target, folder, area);
        EXPECT_TRUE(Program());
        EXPECT_EQ(message, "Programming complete");
        EXPECT_EQ(sim.Received(), wire + "#00004200");
        EXPECT_EQ(sim.AreasStored(), 3);
        EXPECT_EQ(sim.Jumps(), std::vector<std::string>{"4200"});
        int pieces = model == 1 ? 1536 + 512 + 384 : 1024 + 256 + 127;
        EXPECT_EQ(host.Upper(), pieces);
        EXPECT_EQ(host.Pos(), pieces);
        ExpectPortClosed();
    }
    EXPECT_FALSE(target->Program((folder / "no-such-tty").c_str(), &message));
    EXPECT_EQ(message, "Unable to open specified communications resource");
}

TEST_F(TessarThickProgramTest, TheJumpFollowsTheStoredFlagAndAddress)
{
    struct Case {
        const char* stored;
        DWORD flag;
        const char* sent;  // NULL: no jump exchange
    } cases[] = {
        {"A1F0", 1, "A1F0"}, {"a1f0", 1, "a1f0"}, {"42", 1, "0042"},
        {"", 1, "0000"},     {"4200", 2, "4200"},  // any nonzero flag jumps
        {"4200", 0, NULL},
    };
    for (const Case& c : cases) {
        StoreJumpSettings(c.stored, c.flag);
        Use(2);
        // Model 2 DRAM alone: count 07F0 at 0010, in 127 pieces.
        std::string text = Load(*target, folder, 2);
        EXPECT_TRUE(Program()) << c.stored;
        EXPECT_EQ(message, "Programming complete");
        EXPECT_EQ(sim.Received(), "#07F00010" + text + (c.sent ? std::string("#0000") + c.sent : ""));
        EXPECT_EQ(host.Upper(), 127);
        EXPECT_EQ(sim.Jumps().size(), c.sent ? 1u : 0u);
    }
}

TEST_F(TessarThickProgramTest, WrongAnswersEndTheRunAtOnce)
{
    StoreJumpSettings("ABCD", 1);
    Use(2);
    std::string pram = Load(*target, folder, 0);
    const std::string sent = "#40004000" + pram + "#10003000" + Load(*target, folder, 1);
    struct Case {
        const char* what;
        Fault fault;
        int at;
        const char* message;
        std::string wire;
        int acked;
        size_t jumps;
    } cases[] = {
        {"wrong prompt", Fault::WrongPrompt, 0, "Unable to program device", "#", 0, 0},
        {"wrong prompt for XRAM", Fault::WrongPrompt, 1, "Unable to program device", "#40004000" + pram + "#", 1024, 0},
        {"wrong answer to a piece", Fault::WrongAck, 5, "Unable to program device",
         "#40004000" + pram.substr(0, 6 * 64), 5, 0},
        {"wrong answer to the last piece", Fault::WrongAck, 1279, "Unable to program device", sent, 1279, 0},
        {"wrong prompt for the jump", Fault::WrongPrompt, 2, kJumpFailed, sent + "#", 1280, 0},
        {"lower-case echo", Fault::WrongEcho, 0, kJumpFailed, sent + "#0000A", 1280, 0},
        // The stub has jumped: only its echo of the last character was wrong.
        {"wrong last echo", Fault::WrongEcho, 3, kJumpFailed, sent + "#0000ABCD", 1280, 1},
        {"wrong answer to the jump", Fault::WrongDone, 0, kJumpFailed, sent + "#0000ABCD", 1280, 0},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(Program({c.fault, c.at})) << c.what;
        EXPECT_EQ(message, c.message) << c.what;
        EXPECT_EQ(sim.Received(), c.wire) << c.what;
        EXPECT_EQ(host.Pos(), c.acked) << c.what;
        EXPECT_EQ(sim.Jumps().size(), c.jumps) << c.what;
        ExpectPortClosed();
    }
}

// Silence costs the host its read time-out: on the virtual clock, with no main dialog.
TEST(TessarThickSilence, UnansweredStepsFailAndThePortIsClosed)
{
    StoreJumpSettings(NULL, 0);
    CVirtualClock clock;
    CScopedClock useClock(clock);
    CTempFolder folder;
    CThickUnderTest target(2);
    const std::string sent = "#10003000" + Load(target, folder, 1);
    CFakeSerialDevice device("COM2:");
    CTessarThickSimulator sim;
    sim.Attach(device);
    struct Case {
        const char* what;
        Fault fault;
        int at;
        size_t silentAfter;
        const char* message;
        std::string wire;
    } cases[] = {
        {"no prompt", Fault::NoPrompt, 0, (size_t)-1, "Unable to program device", "#"},
        {"no answer to a piece", Fault::NoAck, 3, (size_t)-1, "Unable to program device", sent.substr(0, 9 + 4 * 64)},
        {"line silent mid-area", Fault::None, 0, 9 + 100 * 64 + 10, "Unable to program device",
         sent.substr(0, 9 + 101 * 64)},
        {"no prompt for the jump", Fault::NoPrompt, 1, (size_t)-1, kJumpFailed, sent + "#"},
        {"no echo", Fault::NoEcho, 1, (size_t)-1, kJumpFailed, sent + "#000042"},
        {"no answer to the jump", Fault::NoDone, 0, (size_t)-1, kJumpFailed, sent + "#00004200"},
    };
    for (const Case& c : cases) {
        sim.Reset();
        sim.SetBehaviour({c.fault, c.at});
        sim.GoSilentAfter(c.silentAfter);
        CString message;
        EXPECT_FALSE(target.Program("COM2:", &message)) << c.what;
        EXPECT_EQ(message, c.message) << c.what;
        EXPECT_EQ(sim.Received(), c.wire) << c.what;
        EXPECT_FALSE(device.IsOpen()) << c.what;
    }
    SerialState state = device.State();
    EXPECT_EQ(state.baudRate, 115200u);
    EXPECT_FALSE(state.outxCtsFlow);
    EXPECT_EQ(state.rtsControl, RTS_CONTROL_DISABLE);
}

TEST(TessarThickSettings, OnlyWellFormedValuesReplaceTheDefaults)
{
    struct Case {
        const char* what;
        DWORD addressType;
        std::string address;  // bytes stored; empty: no value
        DWORD optionsSize;    // 0: no value
        DWORD options;
        const char* jump;
        DWORD flag;
    } cases[] = {
        {"nothing stored", REG_SZ, "", 0, 0, "4200", 1},
        {"four characters", REG_SZ, std::string("BEEF\0", 5), 4, 0, "BEEF", 0},
        {"five characters", REG_SZ, std::string("12345\0", 6), 4, 2, "4200", 2},
        {"four bytes without a zero", REG_BINARY, "12AB", 8, 3, "12AB", 1},
        {"five bytes without a zero", REG_BINARY, "12ABC", 2, 7, "4200", 1},
        {"an empty text", REG_SZ, std::string("\0", 1), 4, 1, "", 1},
    };
    for (const Case& c : cases) {
        StoreJumpSettings(NULL, 0);
        if (!c.address.empty())
            StoreSetting("TST Jmp Addr", c.addressType, c.address.data(), (DWORD)c.address.size());
        uint64_t options = c.options;
        if (c.optionsSize)
            StoreSetting("TST_Options", REG_BINARY, &options, c.optionsSize);
        CThickUnderTest target(1);
        EXPECT_EQ(target.LoadOptions(), 1) << c.what;
        EXPECT_EQ(target.GetJumpAddress(), c.jump) << c.what;
        EXPECT_EQ(target.GetJumpOptions(), c.flag) << c.what;
    }
    CThickUnderTest target(1);
    target.SaveOptions();
    EXPECT_EQ(StoredString("TST Jmp Addr"), "4200");
    EXPECT_EQ(StoredDword("TST_Options"), 1u);
    StoreJumpSettings(NULL, 0);
}
