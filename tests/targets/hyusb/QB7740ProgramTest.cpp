// Whole programming runs of the kit against the simulated board on the fake HID platform: the
// prompts in order, the requests on the wire, the board's FLASH, the progress and the outcome,
// and that the board is closed on every path.
#include "platform/testing/DialogDriver.h"
#include "platform/testing/ModalScript.h"
#include "platform/wnd/Dialog.h"
#include "res/resource.h"
#include "tests/sim/QB7740Simulator.h"
#include "tests/targets/hyusb/HyUsbTestSupport.h"

using Fault = CQB7740Simulator::Fault;
using Phase = CQB7740Simulator::Phase;

namespace {

const char kResetPrompt[] = "Please set raDedav-AD jumper ST13 to 5-6 and press reset button S1";
const char kRunPrompt[] = "Please set raDedav-AD jumper ST13 to 1-2";
const char kJumperWrong[] = "Error - raDedav-AD jumper ST13 incorrectly set.";
const char kNoBoard[] = "Unable to establish communication with the raDedav-AD";
const char kProgramFailed[] = "Error - Unable to program the Flash memory";
const char kVerifyFailed[] = "Error - Unable to verify the Flash memory";
const char kSuccess[] = "raDedav-AD Flash programmed successfully";
const int kBlocks = 512;

}  // namespace

class HyUsbProgramTest : public HyUsbKitTest {
protected:
    void SetUp() override
    {
        HyUsbKitTest::SetUp();
        image = LoadImage();
    }

    // The two prompts of a run that reaches the board; the board is open at the second one.
    void ExpectPrompts(int board = 0)
    {
        ui.ExpectMessage(kResetPrompt, MB_OK, IDOK, [this] { EXPECT_EQ(hid.OpenDevices(), 0); });
        ui.ExpectMessage(kRunPrompt, MB_OK, IDOK, [this, board] { EXPECT_TRUE(hid.IsOpen(board)); });
    }

    BOOL Program()
    {
        BOOL ok = kit.Program("USB", &status);
        ui.VerifyAndClear();
        EXPECT_EQ(hid.OpenDevices(), 0);
        EXPECT_EQ(ui.WaitDepth(), 0);
        return ok;
    }

    std::string Flash(const CQB7740Simulator& board) const
    {
        return std::string(board.Flash().begin(), board.Flash().end());
    }

    std::string image;
    CString status;
};

TEST_F(HyUsbProgramTest, AWholeRunWritesEveryBlockAndVerifiesWhenAsked)
{
    struct Case {
        DWORD options;
        DWORD reportLength;
        int verifies;
        const char* lastStep;
        size_t reportsPerWrite;
    } cases[] = {
        {1, 65, kBlocks, "Verifying the Flash memory", 3},
        {0xFFFFFFFE, 65, 0, "Programming the Flash memory", 3},
        {1, 200, kBlocks, "Verifying the Flash memory", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reportLength);
        CFakeHidPlatform devices;
        CQB7740Simulator board(c.reportLength, c.reportLength);
        devices.AddBoard("QB1", &board, 256, c.reportLength, c.reportLength);
        StoreKitOptions(c.options);
        kit.LoadOptions();
        ui.ExpectMessage(kResetPrompt, MB_OK, IDOK);
        ui.ExpectMessage(kRunPrompt, MB_OK, IDOK);
        EXPECT_TRUE(kit.Program("USB", &status));
        ui.VerifyAndClear();
        EXPECT_EQ(status, kSuccess);
        EXPECT_EQ(Flash(board), image);
        EXPECT_EQ(board.CountRequests(0x00), kBlocks);
        EXPECT_EQ(board.CountRequests(0x02), c.verifies);
        EXPECT_EQ(board.Requests()[kBlocks - 1].address, 0xFF80);
        EXPECT_EQ(board.MalformedReports(), 0);
        EXPECT_EQ(board.PendingInputReports(), 0u);
        EXPECT_EQ(devices.Written(0).size(), kBlocks * c.reportsPerWrite + c.verifies);
        EXPECT_EQ(host.Upper(), kBlocks);
        EXPECT_EQ(host.Pos(), kBlocks);
        EXPECT_EQ(host.ProgressText(), c.lastStep);
        EXPECT_EQ(devices.OpenDevices(), 0);
        EXPECT_GE(ui.MaxWaitDepth(), 1);
        EXPECT_EQ(ui.WaitDepth(), 0);
    }
    // The image stays loaded for the next run.
    EXPECT_TRUE(kit.CanProgram());
}

TEST_F(HyUsbProgramTest, EveryBoardFaultEndsWithTheStagesTextAndTheBoardClosed)
{
    struct Case {
        const char* name;
        Fault fault;
        BOOL jumperMessage;
        const char* status;
        int barPos;
        uint64_t waited;
    } cases[] = {
        {"write status 1 on the first block", {Fault::Status, Phase::Write, 0, 1}, TRUE, kProgramFailed, 0, 0},
        {"write status 2", {Fault::Status, Phase::Write, 0x1000, 2}, FALSE, kProgramFailed, 32, 0},
        {"write reply code wrong", {Fault::WrongCode, Phase::Write, 0x80, 0x03}, FALSE, kProgramFailed, 1, 0},
        {"no write reply", {Fault::NoReply, Phase::Write, 0x200, 0}, FALSE, kProgramFailed, 4, 5000},
        {"unplugged while writing", {Fault::Unplug, Phase::Write, 0x8000, 0}, FALSE, kProgramFailed, 256, 0},
        {"board stops taking a write request", {Fault::Stall, Phase::Write, 0x200, 0}, FALSE, kProgramFailed, 4, 5000},
        {"verify status 1", {Fault::Status, Phase::Verify, 0, 1}, TRUE, kVerifyFailed, 0, 0},
        {"verify status 2", {Fault::Status, Phase::Verify, 0x100, 2}, FALSE, kVerifyFailed, 2, 0},
        {"verify reply code wrong", {Fault::WrongCode, Phase::Verify, 0x80, 0x01}, FALSE, kVerifyFailed, 1, 0},
        {"no verify reply on the last block",
         {Fault::NoReply, Phase::Verify, 0xFF80, 0},
         FALSE,
         kVerifyFailed,
         511,
         5000},
        {"unplugged while verifying", {Fault::Unplug, Phase::Verify, 0x4000, 0}, FALSE, kVerifyFailed, 128, 0},
        {"board stops taking a verify request", {Fault::Stall, Phase::Verify, 0x180, 0}, FALSE, kVerifyFailed, 3, 5000},
        {"first byte of block 128 differs",
         {Fault::CorruptReadBack, Phase::Verify, 0x80, 0x01, 0},
         FALSE,
         kVerifyFailed,
         1,
         0},
        {"byte 7 differs", {Fault::CorruptReadBack, Phase::Verify, 0, 0x80, 7}, FALSE, kVerifyFailed, 0, 0},
        {"bytes 0 to 6 are not compared",
         {Fault::CorruptReadBack, Phase::Verify, 0, 0xFF, 6},
         FALSE,
         kSuccess,
         kBlocks,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CFakeHidPlatform devices;
        CQB7740Simulator board;
        devices.AddBoard("QB1", &board);
        board.Inject(c.fault);
        ui.ExpectMessage(kResetPrompt, MB_OK, IDOK);
        ui.ExpectMessage(kRunPrompt, MB_OK, IDOK);
        if (c.jumperMessage)
            ui.ExpectMessage(kJumperWrong, MB_OK, IDOK);
        uint64_t before = clock.NowMilliseconds();
        EXPECT_EQ(kit.Program("USB", &status), c.status == kSuccess);
        ui.VerifyAndClear();
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(host.Pos(), c.barPos);
        EXPECT_EQ(clock.NowMilliseconds() - before, c.waited);
        EXPECT_EQ(devices.OpenDevices(), 0);
        EXPECT_EQ(ui.WaitDepth(), 0);
        // Nothing is retried: the failing request is the last one sent (a stalled one never
        // arrives whole, so the one before it is the last the board has).
        if (c.status != kSuccess) {
            DWORD stalled = c.fault.kind == Fault::Stall ? CQB7740Simulator::blockSize : 0;
            EXPECT_EQ(board.Requests().back().address, c.fault.address - stalled);
        }
    }
}

TEST_F(HyUsbProgramTest, WithoutAUsableBoardOnlyTheFirstPromptShows)
{
    struct Case {
        const char* name;
        const char* serial;
        WORD product;
        BOOL openable;
    } cases[] = {
        {"nothing plugged in", NULL, 0, TRUE},
        {"board without serial number", "", 256, TRUE},
        {"board of another product", "QB1", 257, TRUE},
        {"board held by another program", "QB1", 256, FALSE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CFakeHidPlatform devices;
        CQB7740Simulator board;
        devices.AddUnrelated(0x046D, 0xC52B, "K1");
        if (c.serial) {
            int index = devices.AddBoard(*c.serial ? c.serial : NULL, &board, c.product);
            devices.SetOpenable(index, c.openable);
        }
        ui.ExpectMessage(kResetPrompt, MB_OK, IDOK);
        EXPECT_FALSE(kit.Program("USB", &status));
        ui.VerifyAndClear();
        EXPECT_EQ(status, kNoBoard);
        EXPECT_TRUE(board.Requests().empty());
        EXPECT_EQ(devices.OpenDevices(), 0);
    }
}

TEST_F(HyUsbProgramTest, WithTwoBoardsTheUserPicksOne)
{
    CQB7740Simulator first, second;
    hid.AddBoard("QB1", &first);
    hid.AddBoard("QB2", &second);
    CModalScript script;
    script.Expect(IDD_HIDSN, [](CDialog& dialog) {
        CDialogDriver(dialog).SelectListItem(IDC_HIDSN_LIST, 1);
        CDialogDriver(dialog).Click(IDOK);
    });
    ExpectPrompts(1);
    EXPECT_TRUE(Program());
    EXPECT_EQ(status, kSuccess);
    EXPECT_EQ(Flash(second), image);
    EXPECT_TRUE(first.Requests().empty());
    EXPECT_EQ(kit.GetComms().GetSerial(), "QB2");

    // The next run searches afresh rather than going back to the board used last.
    script.Expect(IDD_HIDSN, [](CDialog& dialog) { CDialogDriver(dialog).Click(IDCANCEL); });
    ui.ExpectMessage(kResetPrompt, MB_OK, IDOK);
    EXPECT_FALSE(Program());
    EXPECT_EQ(status, kNoBoard);
}

TEST_F(HyUsbProgramTest, WithoutAnImageNothingIsAskedOrSent)
{
    CQB7740Simulator board;
    hid.AddBoard("QB1", &board);
    kit.ClearModule(-1);
    EXPECT_FALSE(Program());
    EXPECT_EQ(status, "Error - No Flash image loaded");
    EXPECT_EQ(hid.EnumerationCount(), 0);
    // Blocks outside the FLASH are refused before anything is sent.
    LoadImage();
    EXPECT_FALSE(kit.WriteBlock(0xFF81));
    EXPECT_FALSE(kit.VerifyBlock(0xFFFF));
    EXPECT_TRUE(board.Requests().empty());
}
