// The ways a programming run fails, for the PIC16 and PIC18 boards alike: runs that cannot
// start, a device the board does not take, cells that will not take their values, and the
// serial lines failing at each step. Every one ends with its text and the port closed.
#include <cstdio>

#include "platform/base/FailureDetail.h"
#include "tests/targets/pic/PicFamilies.h"

template <class Family>
class PicRunTest : public PicRunFixture<typename Family::Fixture> {
protected:
    using Sim = typename Family::Sim;

    void LoadImage()
    {
        this->qd.ClearModule(-1);
        ASSERT_TRUE(this->qd.LoadModule(0, this->folder.Write("image.hex", Family::Image()).c_str()));
    }
    // Runs the board on COM1:; the outcome text is in `status`.
    BOOL Program()
    {
        CFailureDetail::Clear();
        this->status = "unchanged";
        BOOL ok = this->qd.Program("COM1:", &this->status);
        this->ui.VerifyAndClear();
        return ok;
    }
};
TYPED_TEST_SUITE(PicRunTest, PicFamilies, PicFamilyNames);

TYPED_TEST(PicRunTest, RunsThatCannotStartSayWhyAndLeaveNothingOpen)
{
    typename TypeParam::Sim sim(TypeParam::Variant());
    CPicSerialBoard board(sim);
    // Nothing loaded at all.
    this->ui.ExpectMessage("No data present to program", MB_OK, IDOK);
    EXPECT_FALSE(this->Program());
    EXPECT_EQ(this->status, "Invalid Binary Image");

    // Two files over the same bytes, and the user declines.
    this->LoadImage();
    ASSERT_TRUE(this->qd.LoadModule(0, this->HexFile("again.hex", 2, {0x11, 0x11})));
    this->ui.ExpectMessage("Overlaid data has been detected, continue", MB_YESNO, IDNO);
    EXPECT_FALSE(this->Program());
    EXPECT_EQ(this->status, "Invalid Binary Image");
    EXPECT_EQ(board.Port().ConnectCount(), 0);

    this->LoadImage();
    board.Port().SetBusy(true);
    EXPECT_FALSE(this->Program());
    EXPECT_EQ(this->status, "Unable to open specified communications resource");
    EXPECT_TRUE(board.PortClosed());
    EXPECT_TRUE(sim.Commands().empty());
}

TYPED_TEST(PicRunTest, AnotherDeviceOrADeadDataLineIsNamedAndTheDeviceLeftUntouched)
{
    for (bool deadLine : {false, true}) {
        SCOPED_TRACE(deadLine ? "dead data line" : "another device");
        typename TypeParam::Sim sim(TypeParam::Variant());
        sim.SetDeviceIdWord(TypeParam::kOtherId);
        TypeParam::Fill(sim);
        CPicSerialBoard board(sim);
        board.Lines().SetDataLineDead(deadLine);
        this->LoadImage();
        this->ExpectResets(board, TypeParam::kResetPrompt);
        EXPECT_FALSE(this->Program());
        EXPECT_EQ(this->status, "Incorrect PIC device detected");
        char detail[64];
        snprintf(detail, sizeof detail, "Expected device id 0x%04X, read 0x%04X", TypeParam::kExpectedId,
                 deadLine ? TypeParam::kDeadLineId : TypeParam::kOtherId);
        EXPECT_EQ(CFailureDetail::Get(), detail);
        TypeParam::ExpectUntouched(sim);
        EXPECT_TRUE(board.PortClosed());
    }
}

TYPED_TEST(PicRunTest, CellsThatWillNotTakeTheirValuesFailTheirStep)
{
    for (const auto& c : TypeParam::kStuckBits) {
        SCOPED_TRACE(c.what);
        typename TypeParam::Sim sim(TypeParam::Variant());
        TypeParam::Fill(sim);
        sim.SetStuckBit(c.space, c.address, c.bit, c.level);
        CPicSerialBoard board(sim);
        this->LoadImage();
        this->ExpectResets(board, TypeParam::kResetPrompt, c.resets);
        EXPECT_FALSE(this->Program());
        EXPECT_EQ(this->status, c.status);
        EXPECT_TRUE(board.PortClosed());
    }
}

TYPED_TEST(PicRunTest, ALineFailureAtEachStepFailsThatStep)
{
    for (const pictest::LineBreak& c : TypeParam::kLineBreaks) {
        SCOPED_TRACE(c.step ? c.step : std::to_string(c.code) + " #" + std::to_string(c.occurrence));
        typename TypeParam::Sim sim(TypeParam::Variant());
        if constexpr (requires { sim.Record(false); })
            sim.Record(false);  // a whole PIC18 run is too many commands to keep
        CPicSerialBoard board(sim);
        int seen = 0, after = 0;
        sim.OnCommand([&](BYTE code) {
            if (seen == c.occurrence)
                ++after;
            else if ((c.step ? this->host.ProgressText() == c.step : code == c.code) && ++seen == c.occurrence)
                board.Port().SetModemLinesWork(false);
        });
        this->host.GetProgressText()->SetWindowText("");
        this->LoadImage();
        this->ExpectResets(board, TypeParam::kResetPrompt, c.resets);
        EXPECT_FALSE(this->Program());
        EXPECT_EQ(this->status, c.status);
        EXPECT_EQ(seen, c.occurrence);
        EXPECT_EQ(after, 0) << "no command reaches the device after the lines fail";
        EXPECT_TRUE(board.PortClosed());
    }
}
