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

struct Area {
    int area;
    const char* count;
    const char* address;
};

// What the stub is told for each area of each model.
const Area kModel1[] = {{0, "6000", "4000"}, {1, "2000", "2000"}, {2, "1800", "0000"}};
const Area kModel2[] = {{0, "4000", "4000"}, {1, "1000", "3000"}, {2, "07F0", "0010"}};

const char kJumpFailed[] = "Programming complete\nBut unable to jump to specified address";

}  // namespace

class TessarThickProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ForgetJumpSettings();
        ASSERT_TRUE(sim.Start());
    }
    void TearDown() override { ForgetJumpSettings(); }

    void Use(WORD model)
    {
        target = std::make_unique<CThickUnderTest>(model);
        target->LoadOptions();
    }
    // Loads the area with words of its size and returns its text as it goes on the wire.
    std::string Load(int area, unsigned seed = 5)
    {
        std::vector<std::string> words = Words(target->Words(area), seed + (unsigned)area);
        const char* names[] = {"prog.p", "prog.x", "prog.d"};
        EXPECT_TRUE(target->LoadModule(area, folder.Write(names[area], Listing(words)).c_str()));
        return Joined(words);
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
    for (WORD model : {1, 2}) {
        SCOPED_TRACE(model);
        Use(model);
        const Area* areas = model == 1 ? kModel1 : kModel2;
        std::string wire;
        int pieces = 0;
        for (int i = 0; i < 3; ++i) {
            std::string text = Load(areas[i].area);
            wire += std::string("#") + areas[i].count + areas[i].address + text;
            pieces += (int)text.size() / 64;
        }
        wire += "#00004200";
        EXPECT_TRUE(Program());
        EXPECT_EQ(message, "Programming complete");
        EXPECT_EQ(sim.ReceivedText(), wire);
        std::vector<CTessarThickSimulator::Download> downloads = sim.Downloads();
        ASSERT_EQ(downloads.size(), 3u);
        for (const CTessarThickSimulator::Download& download : downloads)
            EXPECT_TRUE(download.complete);
        EXPECT_EQ(sim.Jumps(), std::vector<std::string>{"4200"});
        EXPECT_EQ(pieces, model == 1 ? 1536 + 512 + 384 : 1024 + 256 + 127);
        EXPECT_EQ(host.Upper(), pieces);
        EXPECT_EQ(host.Pos(), pieces);
        EXPECT_EQ(sim.UnexpectedBytes(), 0u);
        ExpectPortClosed();
    }
}

TEST_F(TessarThickProgramTest, ModelTwoDramAloneGoesAsCount07F0At0010)
{
    StoreJumpSettings("4200", 0);
    Use(2);
    std::string text = Load(2);
    EXPECT_TRUE(Program());
    EXPECT_EQ(message, "Programming complete");
    EXPECT_EQ(sim.ReceivedText(), "#07F00010" + text);
    EXPECT_EQ(sim.Pieces(), 127);
    EXPECT_EQ(host.Upper(), 127);
    EXPECT_TRUE(sim.Jumps().empty());
}

TEST_F(TessarThickProgramTest, TheJumpFollowsTheStoredFlagAndAddress)
{
    struct Case {
        const char* stored;
        DWORD flag;
        const char* sent;  // NULL: no jump exchange
    } cases[] = {
        {"A1F0", 1, "A1F0"},
        {"a1f0", 1, "a1f0"},
        {"42", 1, "0042"},
        {"", 1, "0000"},
        {"4200", 2, "4200"},  // any nonzero flag jumps
        {"4200", 0, NULL},
    };
    for (const Case& c : cases) {
        StoreJumpSettings(c.stored, c.flag);
        Use(2);
        std::string text = Load(1);
        EXPECT_TRUE(Program()) << c.stored;
        EXPECT_EQ(message, "Programming complete");
        std::string wire = "#10003000" + text + (c.sent ? std::string("#0000") + c.sent : "");
        EXPECT_EQ(sim.ReceivedText(), wire) << c.stored;
        EXPECT_EQ(sim.Jumps().size(), c.sent ? 1u : 0u);
    }
}

TEST_F(TessarThickProgramTest, WrongAnswersEndTheRunAtOnce)
{
    StoreJumpSettings("ABCD", 1);
    Use(2);
    std::string pram = Load(0);
    std::string xram = Load(1);
    const std::string downloaded = "#40004000" + pram + "#10003000" + xram;
    struct Case {
        const char* what;
        Fault fault;
        int at;
        const char* message;
        std::string wire;
        int acked;
    } cases[] = {
        {"wrong prompt", Fault::WrongPrompt, 0, "Unable to program device", "#", 0},
        {"wrong prompt for XRAM", Fault::WrongPrompt, 1, "Unable to program device", "#40004000" + pram + "#", 1024},
        {"wrong answer to a piece", Fault::WrongAck, 5, "Unable to program device", "#40004000" + pram.substr(0, 6 * 64), 5},
        {"wrong answer to the last piece", Fault::WrongAck, 1279, "Unable to program device", downloaded, 1279},
        {"wrong prompt for the jump", Fault::WrongPrompt, 2, kJumpFailed, downloaded + "#", 1280},
        {"lower-case echo", Fault::WrongEcho, 0, kJumpFailed, downloaded + "#0000A", 1280},
        {"wrong echo of the last character", Fault::WrongEcho, 3, kJumpFailed, downloaded + "#0000ABCD", 1280},
        {"wrong answer to the jump", Fault::WrongDone, 0, kJumpFailed, downloaded + "#0000ABCD", 1280},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(Program({c.fault, c.at})) << c.what;
        EXPECT_EQ(message, c.message) << c.what;
        EXPECT_EQ(sim.ReceivedText(), c.wire) << c.what;
        EXPECT_EQ(host.Pos(), c.acked) << c.what;
        // A stub that garbles only the last echo has jumped, though the host reports failure.
        EXPECT_EQ(sim.Jumps().size(), c.fault == Fault::WrongEcho && c.at == 3 ? 1u : 0u) << c.what;
        ExpectPortClosed();
    }
}

TEST_F(TessarThickProgramTest, APortThatCannotBeOpened)
{
    Use(1);
    Load(1);
    EXPECT_FALSE(target->Program((folder / "no-such-tty").c_str(), &message));
    EXPECT_EQ(message, "Unable to open specified communications resource");
}

// Silence costs the host its read time-out: on the virtual clock, with no main dialog.
TEST(TessarThickSilence, UnansweredStepsFailAndThePortIsClosed)
{
    ForgetJumpSettings();
    CVirtualClock clock;
    CScopedClock useClock(clock);
    CTempFolder folder;
    CThickUnderTest target(2);
    target.LoadOptions();
    std::vector<std::string> words = Words(0x1000);
    ASSERT_TRUE(target.LoadModule(1, folder.Write("prog.x", Listing(words)).c_str()));
    const std::string downloaded = "#10003000" + Joined(words);
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
        {"no answer to a piece", Fault::NoAck, 3, (size_t)-1, "Unable to program device", downloaded.substr(0, 9 + 4 * 64)},
        {"line silent mid-area", Fault::None, 0, 9 + 100 * 64 + 10, "Unable to program device", downloaded.substr(0, 9 + 101 * 64)},
        {"no prompt for the jump", Fault::NoPrompt, 1, (size_t)-1, kJumpFailed, downloaded + "#"},
        {"no echo", Fault::NoEcho, 1, (size_t)-1, kJumpFailed, downloaded + "#000042"},
        {"no answer to the jump", Fault::NoDone, 0, (size_t)-1, kJumpFailed, downloaded + "#00004200"},
    };
    for (const Case& c : cases) {
        sim.Reset();
        sim.SetBehaviour({c.fault, c.at});
        sim.GoSilentAfter(c.silentAfter);
        CString message;
        EXPECT_FALSE(target.Program("COM2:", &message)) << c.what;
        EXPECT_EQ(message, c.message) << c.what;
        EXPECT_EQ(sim.ReceivedText(), c.wire) << c.what;
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
        std::string address;  // bytes stored; "<none>": no value
        DWORD optionsSize;
        DWORD options;
        const char* jump;
        DWORD flag;
    } cases[] = {
        {"nothing stored", REG_SZ, "<none>", 0, 0, "4200", 1},
        {"four characters", REG_SZ, std::string("BEEF\0", 5), 4, 0, "BEEF", 0},
        {"five characters", REG_SZ, std::string("12345\0", 6), 4, 2, "4200", 2},
        {"binary without a zero", REG_BINARY, "12AB", 4, 1, "12AB", 1},
        {"five binary bytes", REG_BINARY, "12ABC", 2, 7, "4200", 1},
        {"empty", REG_SZ, std::string("\0", 1), 8, 3, "", 1},
    };
    for (const Case& c : cases) {
        ForgetJumpSettings();
        if (c.address != "<none>")
            StoreSetting("TST Jmp Addr", c.addressType, c.address.data(), (DWORD)c.address.size());
        if (c.optionsSize) {
            uint64_t wide = c.options;
            StoreSetting("TST_Options", REG_BINARY, &wide, c.optionsSize);
        }
        CThickUnderTest target(1);
        EXPECT_EQ(target.LoadOptions(), 1) << c.what;
        EXPECT_EQ(target.GetJumpAddress(), c.jump) << c.what;
        EXPECT_EQ(target.GetJumpOptions(), c.flag) << c.what;
    }
    CThickUnderTest target(1);
    target.SaveOptions();
    EXPECT_EQ(ReadStoredString("TST Jmp Addr"), "4200");
    EXPECT_EQ(ReadStoredDword("TST_Options"), 1u);
    ForgetJumpSettings();
}
