// The ppdev driver and the port object over it, on a file that the preload library answers for
// as ppdev answers for a PC parallel port: the claim, the direction, and each register reach the
// port through their own requests.
#include <gtest/gtest.h>

#include <cerrno>

#include "platform/os/PortOpenFailure.h"
#include "platform/parallel/PpdevDriver.h"
#include "ports/CommsBase.h"
#include "tests/preload/PreloadedDevice.h"

namespace {

const DWORD kData = CPpdevDriver::kBase;
const DWORD kStatus = CPpdevDriver::kBase + 1;
const DWORD kControl = CPpdevDriver::kBase + 2;

class PpdevRequests : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CPreloadedDevice::IsLoaded()) << "needs LD_PRELOAD of the preload library, as ctest sets it";
        m_driver = CPpdevDriver::Open(CString(m_device.Path()));
        ASSERT_TRUE(m_driver);
        ASSERT_NE(m_driver->QueryVersion(), 0u);
    }

    CPreloadedDevice m_device{kPreloadParportVariable};
    std::unique_ptr<CPpdevDriver> m_driver;
};

TEST_F(PpdevRequests, AnExclusiveClaimReachesEachRegister)
{
    ASSERT_NE(m_driver->ClaimRange(kData, 5, TRUE), 0u);
    PreloadRecord port = m_device.Get();
    EXPECT_TRUE(port.exclusive && port.claimed);
    m_device.Set([](PreloadRecord& r) {
        r.pins = 0x3C;
        r.status = 0x78;
    });
    // Writes, and reads with the value expected; control bit 5 turns the data lines round.
    struct Step {
        bool write;
        DWORD port;
        BYTE value;
    } steps[] = {
        {true, kData, 0xA5},    {false, kData, 0xA5},    {true, kControl, 0x2B},
        {false, kData, 0x3C},   {false, kControl, 0x2B}, {false, kStatus, 0x78},
        {true, kControl, 0x04}, {false, kData, 0xA5},    {false, kControl, 0x04},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(testing::Message() << (step.write ? "write " : "read ") << std::hex << step.port);
        if (step.write) {
            EXPECT_TRUE(m_driver->WritePort(step.port, step.value));
            continue;
        }
        BYTE value = 0;
        EXPECT_TRUE(m_driver->ReadPort(step.port, value));
        EXPECT_EQ(value, step.value);
    }
    EXPECT_TRUE(m_driver->ReleaseRange(1));
    EXPECT_FALSE(m_device.Get().claimed);
}

TEST_F(PpdevRequests, AnExclusiveClaimIsRefusedWhileAnotherDriverHasThePort)
{
    m_device.Set([](PreloadRecord& r) { r.otherUser = 1; });
    EXPECT_EQ(m_driver->ClaimRange(kData, 5, TRUE), 0u);
    EXPECT_EQ(CPortOpenFailure::GetLast().m_nError, ENXIO);
    EXPECT_FALSE(m_device.Get().claimed);
}

TEST(PpdevPortObject, OpensDrivesTheLinesAndLetsGoThroughTheRealDriver)
{
    ASSERT_TRUE(CPreloadedDevice::IsLoaded());
    CPreloadedDevice device(kPreloadParportVariable);
    CScopedEnvironment lpt("QUILLET_LPT1", device.Path().c_str());
    CCommsBase comms;
    ASSERT_TRUE(comms.Open(CCommsBase::typeLpt, "LPT1:"));
    PreloadRecord port = device.Get();
    EXPECT_TRUE(port.exclusive && port.claimed);

    EXPECT_TRUE(comms.SetData(1));
    EXPECT_EQ(device.Get().data & 1, 1);
    for (int pin : {1, 0}) {
        device.Set([&](PreloadRecord& r) { r.pins = (unsigned char)pin; });
        EXPECT_EQ(comms.GetData(), pin);
    }
    // The control reset after the release claims the port around itself.
    comms.Close();
    port = device.Get();
    EXPECT_FALSE(port.claimed);
    EXPECT_EQ(port.control, 0);
    EXPECT_FALSE(port.reverse);
}

}  // namespace
