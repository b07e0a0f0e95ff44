// Whole programming runs against the simulated board on the far side of a pseudo-terminal,
// through the real serial code; the host's protocol waits run on a virtual clock.
#include <tuple>

#include <unistd.h>

#include "platform/base/FailureDetail.h"
#include "platform/testing/VirtualClock.h"
#include "ports/CommsBase.h"
#include "tests/sim/QB2300Simulator.h"
#include "tests/support/FakeSerialDevice.h"
#include "tests/support/FakeTargetHost.h"
#include "tests/targets/stub/StubTestSupport.h"

using hextext::Pattern;
using Reply = CQB2300Simulator::Reply;
using Texts = std::vector<std::string>;

namespace {

const DWORD kStage1Waits = 100 + 20 * 500;

}  // namespace

class StubProgramTest : public StubBoardTest {
protected:
    void SetUp() override
    {
        StubBoardTest::SetUp();
        ASSERT_TRUE(sim.Start());
        sim.SetBehaviour(behaviour);
        stub = Pattern(0x1000, 0x31);
        bank0 = Pattern(0x1000, 0x52);
    }

    // With a 'thin' stub loaded nothing asks to add one; with bank 0 alone it is not sent.
    void LoadStubAndBank0(CQB2300Flash& target, bool withThinStub = true)
    {
        ASSERT_TRUE(target.LoadModule(0, HexFile("fat.hex", 0, stub)));
        ASSERT_TRUE(target.LoadModule(2, HexFile("bank0.hex", 0, bank0)));
        if (withThinStub) {
            ASSERT_TRUE(target.LoadModule(1, HexFile("thin.hex", 0, Pattern(0x40, 0x77))));
        }
    }

    BOOL Program(CQB2300Flash& target, const std::string& port = "")
    {
        sim.PressReset();
        sim.SetBehaviour(behaviour);
        return target.Program((port.empty() ? sim.PortPath() : port).c_str(), &status);
    }

    std::vector<BYTE> ExpectedStage1() const
    {
        std::vector<BYTE> bytes = stub;
        bytes.push_back(0x11);  // 0x1000 + 0x102, high byte first
        bytes.push_back(0x02);
        return bytes;
    }

    // The port is free again: the host closed it.
    void ExpectPortClosed()
    {
        CCommsBase port;
        EXPECT_TRUE(port.Open(CCommsBase::typeSerial, sim.PortPath().c_str()));
        port.Close();
    }

    CQB2300Simulator sim;
    CQB2300Simulator::Behaviour behaviour;
    CVirtualClock clock;
    CScopedClock useClock{clock};
    std::vector<BYTE> stub;
    std::vector<BYTE> bank0;
    CString status;
};

TEST_F(StubProgramTest, HappyPathIsByteExactOnBothBoards)
{
    for (CQB2300Flash* target : {(CQB2300Flash*)&board, (CQB2300Flash*)&kit}) {
        target->ClearModule(-1);
        LoadStubAndBank0(*target);
        DWORD slept = (DWORD)clock.Slept();
        EXPECT_TRUE(Program(*target));
        EXPECT_EQ(status, "Download complete");
        EXPECT_EQ(sim.Stage1Bytes(), ExpectedStage1());
        EXPECT_TRUE(sim.TrailerValid());
        EXPECT_EQ(sim.Stage2Length(), 0x1000u);
        EXPECT_EQ(sim.Stage2Bytes(), bank0);
        EXPECT_EQ(clock.Slept() - slept, kStage1Waits + 100);
        ExpectPortClosed();
    }
    EXPECT_EQ(sim.CompletedRuns(), 2);
}

TEST_F(StubProgramTest, ARetrySendsTheSameBytesAndSavingHasNoTrailer)
{
    LoadStubAndBank0(board);
    DWORD stubEnd = theIntelHex.GetEndAddress(NULL);
    behaviour.stage2Reply = Reply::ProgramError;
    ui.ExpectMessage("Error programming FLASH memory", MB_OK, IDOK);
    EXPECT_FALSE(Program(board));
    ui.VerifyAndClear();
    behaviour.stage2Reply = Reply::Success;
    EXPECT_TRUE(Program(board));
    EXPECT_EQ(sim.Stage1Count(), 2);
    EXPECT_EQ(sim.Stage1Bytes(), ExpectedStage1());
    EXPECT_EQ(theIntelHex.GetEndAddress(NULL), stubEnd);
    std::string saved = folder / "saved.hex";
    EXPECT_TRUE(board.SaveBuffer(saved.c_str()));
    EXPECT_EQ(CTempFolder::Read(saved).find(":02001000"), std::string::npos);
}

TEST_F(StubProgramTest, EveryErrorReplyShowsItsDetailThenTheStageFailure)
{
    LoadStubAndBank0(board);
    struct Case {
        Reply reply;
        const char* detail;
    } cases[] = {
        {Reply::ResetError, "Unable to reset FLASH memory for programming"},
        {Reply::EraseError, "Unable to erase FLASH memory"},
        {Reply::ProgramError, "Error programming FLASH memory"},
        {Reply::Garbage, "Incorrect response from 'fat' stub"},
    };
    for (const Case& c : cases) {
        for (int stage = 1; stage <= 2; ++stage) {
            behaviour.stage1Reply = stage == 1 ? c.reply : Reply::Success;
            behaviour.stage2Reply = stage == 2 ? c.reply : Reply::Success;
            ui.ExpectMessage(c.detail, MB_OK, IDOK);
            EXPECT_FALSE(Program(board));
            ui.VerifyAndClear();
            EXPECT_EQ(status, stage == 1 ? "Error downloading 'fat' stub" : "Error downloading Binary Image");
            ExpectPortClosed();
        }
    }
}

TEST_F(StubProgramTest, RescueModeSendsTheEraseCommandAndWaitsAgain)
{
    LoadStubAndBank0(board);
    const std::string rescue = "Rescue mode detected, change FLASH memory and press OK to continue";
    behaviour.stage1Rescues = 2;
    behaviour.stage2Rescues = 1;
    DWORD slept = (DWORD)clock.Slept();
    for (int shown = 0; shown < 3; ++shown)
        ui.ExpectMessage(rescue, MB_OK, IDOK);
    EXPECT_TRUE(Program(board));
    ui.VerifyAndClear();
    EXPECT_EQ(status, "Download complete");
    EXPECT_EQ(sim.RescueCommands(), 3);
    EXPECT_EQ(sim.Stage2Bytes(), bank0);
    // Each rescue in stage 1 waits the full erase time again; stage 2 has no waits.
    EXPECT_EQ(clock.Slept() - slept, kStage1Waits + 2 * 20 * 500 + 100);
}

TEST_F(StubProgramTest, ShortAndLateRepliesAreMissing)
{
    LoadStubAndBank0(board);
    const char* missing = "Missing response from 'fat' stub";
    behaviour.replyBytes = 4;
    ui.ExpectMessage(missing, MB_OK, IDOK);
    EXPECT_FALSE(Program(board));
    ui.VerifyAndClear();
    behaviour.replyBytes = 10;
    behaviour.replySplitGapMs = 300;  // far past the 50 ms allowed between two bytes
    ui.ExpectMessage(missing, MB_OK, IDOK);
    EXPECT_FALSE(Program(board));
    ui.VerifyAndClear();
    EXPECT_EQ(status, "Error downloading 'fat' stub");
}

// The board takes the whole image but never answers: the reply's full read time-out passes,
// on the virtual clock, and the run fails.
TEST_F(StubProgramTest, AStalledBoardEndsInAFailureNotSuccess)
{
    LoadStubAndBank0(board);
    CFakeSerialDevice device("COM4:");
    device.Send("FAT STUB\r\n");
    DWORD slept = (DWORD)clock.Slept();
    ui.ExpectMessage("Missing response from 'fat' stub", MB_OK, IDOK);
    EXPECT_FALSE(board.Program("COM4:", &status));
    ui.VerifyAndClear();
    EXPECT_EQ(status, "Error downloading Binary Image");
    EXPECT_EQ(device.Received().size(), 0x1002u + 4 + 0x1000);
    // Stage 1 and its waits, the pause after stage 2, then the read of 10 bytes: 5000 + 10.
    EXPECT_EQ(clock.Slept() - slept, kStage1Waits + 100 + 5010);
    EXPECT_FALSE(device.IsOpen());
}

// A board that stops taking bytes at a chosen point: the write that cannot finish fails its
// stage with its own text, on the virtual clock.
TEST_F(StubProgramTest, WritesTheBoardDoesNotTakeFailTheirStage)
{
    LoadStubAndBank0(board);
    const size_t stage1 = 0x1002;
    struct Case {
        const char* firstReply;
        size_t taken;
        Texts boxes;
        const char* status;
    } cases[] = {
        {"", 100, {"Error sending binary image"}, "Error downloading 'fat' stub"},
        {"FAT STUB\r\n", stage1 + 2, {"Error sending binary image length"}, "Error downloading Binary Image"},
        {"RESCUED!\r\n",
         stage1,
         {"Rescue mode detected, change FLASH memory and press OK to continue",
          "Error sending rescue mode erase command"},
         "Error downloading 'fat' stub"},
    };
    CFakeSerialDevice device("COM4:");
    DWORD end = theIntelHex.GetEndAddress(NULL);
    for (const Case& c : cases) {
        device.ClearReceived();
        device.SetReceiveLimit(c.taken);
        if (*c.firstReply)
            device.Send(c.firstReply);
        for (const std::string& text : c.boxes)
            ui.ExpectMessage(text.c_str(), MB_OK, IDOK);
        EXPECT_FALSE(board.Program("COM4:", &status));
        ui.VerifyAndClear();
        EXPECT_EQ(status, c.status);
        EXPECT_FALSE(device.IsOpen());
        EXPECT_EQ(theIntelHex.GetEndAddress(NULL), end);
    }
}

// What the main window shows while each piece goes out: the stage's text, and a bar whose
// range is one step to start, one per 2048-byte piece, one after the last piece and one per
// wait. Exactly 4096 bytes in stage 2 are two pieces and an empty last one: range 0 .. 4.
TEST_F(StubProgramTest, EachStageShowsItsTextAndItsRange)
{
    LoadStubAndBank0(board);
    CFakeTargetHost host;
    using Seen = std::tuple<size_t, std::string, int, int>;  // bytes, text, upper, position
    std::vector<Seen> seen;
    CFakeSerialDevice device("COM4:");
    device.OnReceived(
        [&](const BYTE*, size_t length) { seen.emplace_back(length, host.ProgressText(), host.Upper(), host.Pos()); });
    device.Send("FAT STUB\r\nFLASH OK\r\n");
    EXPECT_TRUE(board.Program("COM4:", &status));
    EXPECT_EQ(status, "Download complete");
    const std::string one = "Program Stage 1: Download 'fat' stub and erase FLASH";
    const std::string two = "Program Stage 2: Download program data to FLASH";
    const int stage1 = 0x1002 / 2048 + 2 + 20;
    EXPECT_EQ(seen, (std::vector<Seen>{{2048, one, stage1, 1},
                                       {2048, one, stage1, 2},
                                       {2, one, stage1, 3},
                                       {4, two, 4, 1},
                                       {2048, two, 4, 1},
                                       {2048, two, 4, 2}}));
    std::vector<BYTE> wire = device.Received();
    ASSERT_EQ(wire.size(), 0x1002u + 4 + 4096);
    EXPECT_EQ(std::vector<BYTE>(wire.begin() + 0x1002, wire.begin() + 0x1006),
              (std::vector<BYTE>{0x00, 0x10, 0x00, 0x00}));
    EXPECT_EQ(host.Lower(), 0);
    EXPECT_EQ(host.Upper(), 4);
    EXPECT_EQ(host.Pos(), 0);
}

TEST_F(StubProgramTest, TrailerThatCannotBeAllocatedStopsBeforeThePort)
{
    LoadStubAndBank0(board);
    DWORD end = theIntelHex.GetEndAddress(NULL);
    CFakeSerialDevice device("COM4:");
    CIntelHex::AllocationGate previous = CIntelHex::InstallAllocationGate([](size_t) { return (BOOL)FALSE; });
    BOOL ok = board.Program("COM4:", &status);
    CIntelHex::InstallAllocationGate(previous);
    EXPECT_FALSE(ok);
    EXPECT_EQ(status, "Error creating 'fat' stub download block");
    EXPECT_EQ(device.ConnectCount(), 0);
    EXPECT_EQ(theIntelHex.GetEndAddress(NULL), end);
}

TEST_F(StubProgramTest, PortThatCannotBeOpened)
{
    LoadStubAndBank0(board);
    DWORD end = theIntelHex.GetEndAddress(NULL);
    EXPECT_FALSE(Program(board, (folder / "no-such-tty").c_str()));
    EXPECT_EQ(status, "Unable to open specified communications port");
    EXPECT_EQ(theIntelHex.GetEndAddress(NULL), end);
}

TEST_F(StubProgramTest, ProgramRefusesWithoutStubAndBankZero)
{
    ASSERT_TRUE(board.LoadModule(0, HexFile("fat.hex", 0, stub)));
    EXPECT_FALSE(Program(board));
    EXPECT_EQ(status, "Invalid Binary Image");
    EXPECT_EQ(sim.Stage1Count(), 0);
}

TEST_F(StubProgramTest, OverlaidDataAsksWhetherToGoOn)
{
    LoadStubAndBank0(board);
    ASSERT_TRUE(board.LoadModule(2, HexFile("again.hex", 0x10, Pattern(4, 9))));
    const char* question = "Overlaid data has been detected, continue";
    ui.ExpectMessage(question, MB_YESNO, IDNO);
    EXPECT_FALSE(Program(board));
    ui.VerifyAndClear();
    EXPECT_EQ(status, "Invalid Binary Image");
    EXPECT_EQ(sim.Stage1Count(), 0);
    ui.ExpectMessage(question, MB_YESNO, IDYES);
    EXPECT_TRUE(Program(board));
    ui.VerifyAndClear();
    // The byte loaded first wins.
    EXPECT_EQ(sim.Stage2Bytes(), bank0);
}

TEST_F(StubProgramTest, StageTwoEndsAtTheLastBankOfTheRunFromBankZero)
{
    LoadStubAndBank0(board);
    board.LoadModule(3, HexFile("bank1.hex", 0, Pattern(0x20, 1)));
    board.LoadModule(5, HexFile("bank3.hex", 0, Pattern(0x20, 3)));
    EXPECT_TRUE(Program(board));
    EXPECT_EQ(sim.Stage2Length(), 0x10020u);
    std::vector<BYTE> sent = sim.Stage2Bytes();
    ASSERT_EQ(sent.size(), 0x10020u);
    EXPECT_EQ(sent[0x1000], 0xFF);  // the gap
    // The 'thin' stub goes to the start of bank 1 in what is sent, over the bank's own bytes.
    std::vector<BYTE> bank1 = Pattern(0x40, 0x77);
    bank1.resize(0x20);
    EXPECT_EQ(std::vector<BYTE>(sent.begin() + 0x10000, sent.end()), bank1);
}

class ThinStubQuestionTest : public StubProgramTest {
protected:
    void SetUp() override
    {
        StubProgramTest::SetUp();
        char here[4096];
        ASSERT_NE(getcwd(here, sizeof here), (char*)NULL);
        previous = here;
        ASSERT_EQ(chdir(folder.Path().c_str()), 0);
        LoadStubAndBank0(board, false);
        // Bank 1 data that leaves its first 256 bytes free, so the question is asked.
        board.LoadModule(3, HexFile("bank1.hex", 0x100, Pattern(0x10, 1)));
    }
    void TearDown() override
    {
        if (chdir(previous.c_str()) != 0) {}
        StubProgramTest::TearDown();
    }

    // The whole store as it would be saved.
    std::vector<BYTE> Images()
    {
        std::unique_ptr<BYTE[]> image = theIntelHex.BuildImage(0xFF, 0xFF);
        return std::vector<BYTE>(image.get(), image.get() + (image ? theIntelHex.GetEndAddress(NULL) : 0));
    }

    const char* question = "Automaticaly include 'thin' stub code in bank 1";
    std::string previous;
};

TEST_F(ThinStubQuestionTest, FileFromTheCurrentDirectoryGoesToTheStartOfBankOne)
{
    HexFile("boot2300.hex", 0, Pattern(0x100, 8));
    ui.ExpectMessage(question, MB_YESNO, IDYES);
    EXPECT_TRUE(Program(board));
    ui.VerifyAndClear();
    EXPECT_TRUE(board.IsModuleLoaded(1));
    std::vector<BYTE> sent = sim.Stage2Bytes();
    ASSERT_EQ(sent.size(), 0x10110u);
    std::vector<BYTE> bank1 = Pattern(0x100, 8);
    for (BYTE b : Pattern(0x10, 1))  // the bank's own data right after the stub
        bank1.push_back(b);
    EXPECT_EQ(std::vector<BYTE>(sent.begin() + 0x10000, sent.end()), bank1);
}

// This path has no size limit, but the copy to bank 1, gaps included, must not land on data
// the user loaded: the run stops before the port is opened and the file is taken back.
TEST_F(ThinStubQuestionTest, FileThatWouldOverwriteLoadedDataStopsTheRun)
{
    const std::vector<BYTE> image = Images();
    for (const std::string& text :
         {hextext::Image(0, Pattern(0x180, 8)), hextext::Image(0, {1}, false) + hextext::Image(0x2000, {2})}) {
        folder.Write("BOOT2300.HEX", text);
        ui.ExpectMessage(question, MB_YESNO, IDYES);
        CFailureDetail::Clear();
        EXPECT_FALSE(Program(board));
        ui.VerifyAndClear();
        EXPECT_EQ(CFailureDetail::AddTo(status),
                  "Unable to load specified file \u00ABBOOT2300.HEX\u00BB\n"
                  "BOOT2300.HEX: copied to bank 1 it would overwrite loaded data at 0x10100");
        EXPECT_EQ(sim.Stage1Count(), 0);
        EXPECT_EQ(sim.UnexpectedBytes(), 0u);
        EXPECT_FALSE(board.IsModuleLoaded(1));
        EXPECT_EQ(Images(), image);
        ExpectPortClosed();
    }
}

TEST_F(ThinStubQuestionTest, NoMissingOrMalformedFileProgramsWithoutIt)
{
    ui.ExpectMessage(question, MB_YESNO, IDNO);
    EXPECT_TRUE(Program(board));
    ui.VerifyAndClear();
    ui.ExpectMessage(question, MB_YESNO, IDYES)
        .ExpectMessage("Unable to open download file\nBOOT2300.HEX: No such file or directory", MB_OK, IDOK);
    EXPECT_TRUE(Program(board));
    ui.VerifyAndClear();
    folder.Write("BOOT2300.HEX", ":10000000");
    ui.ExpectMessage(question, MB_YESNO, IDYES)
        .ExpectMessage("Unable to load specified file \u00ABBOOT2300.HEX\u00BB\nLine 1: the record is cut short", MB_OK,
                       IDOK);
    EXPECT_TRUE(Program(board));
    ui.VerifyAndClear();
    EXPECT_FALSE(board.IsModuleLoaded(1));
    EXPECT_EQ(sim.Stage2Bytes()[0x10000], 0xFF);
}

TEST_F(ThinStubQuestionTest, DataInTheFirstBytesOfBankOneSuppressesTheQuestion)
{
    board.LoadModule(3, HexFile("low.hex", 0xFF, {0x77}));
    EXPECT_TRUE(Program(board));
}

TEST_F(ThinStubQuestionTest, StubThatWrapsBelowItsWindowIsNotCopied)
{
    // An extended address that wraps past 4 GB puts the file's data below 0x82000.
    folder.Write("BOOT2300.HEX", hextext::Image(0xFFF80000, Pattern(16, 5)));
    ui.ExpectMessage(question, MB_YESNO, IDYES);
    EXPECT_TRUE(Program(board));
    ui.VerifyAndClear();
    EXPECT_TRUE(board.IsModuleLoaded(1));
    EXPECT_EQ(board.GetModuleImage(1, NULL), (BYTE*)NULL);
    EXPECT_EQ(sim.Stage2Bytes()[0x10000], 0xFF);
}
