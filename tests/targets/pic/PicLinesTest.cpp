// The ICSP layer of both PIC families on the serial lines: the device id read, and a line that
// stops working failing it.
#include "tests/targets/pic/PicFamilies.h"

template <class Family>
class PicLinesTest : public Family::Fixture {
protected:
    typename Family::Target target{Family::kLinesDevice};
};
TYPED_TEST_SUITE(PicLinesTest, PicFamilies, PicFamilyNames);

TYPED_TEST(PicLinesTest, TheDeviceIdIsReadAndADeadLineFailsTheRead)
{
    typename TypeParam::Sim sim(TypeParam::Variant());
    sim.SetDeviceIdWord(TypeParam::kOtherId);
    CPicSerialBoard board(sim, "COM2:");
    pictest::EnterProgramMode(this->target, board);
    WORD id = 0;
    EXPECT_TRUE(this->target.ReadDeviceId(&id));
    EXPECT_EQ(id, TypeParam::kOtherId);
    board.Port().SetModemLinesWork(false);
    EXPECT_FALSE(this->target.ReadDeviceId(&id));
    this->target.Comms().Close();
}
