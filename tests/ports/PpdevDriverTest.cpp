// The ppdev driver on devices that are not parallel ports: nothing is claimed or written, and
// the port object's type-4 opening fails without a message.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/os/PortOpenFailure.h"
#include "platform/parallel/PpdevDriver.h"
#include "ports/CommsBase.h"
#include "ports/Parallel.h"

namespace {

class ScopedLptPath {
public:
    explicit ScopedLptPath(const char* path)
    {
        const char* old = std::getenv("QUILLET_LPT1");
        m_had = old != NULL;
        if (m_had)
            m_old = old;
        setenv("QUILLET_LPT1", path, 1);
    }
    ~ScopedLptPath()
    {
        if (m_had)
            setenv("QUILLET_LPT1", m_old.c_str(), 1);
        else
            unsetenv("QUILLET_LPT1");
    }

private:
    bool m_had = false;
    std::string m_old;
};

TEST(PpdevDriver, DevicePathFollowsTheOverride)
{
    {
        ScopedLptPath path("/dev/parport3");
        EXPECT_EQ(CPpdevDriver::DevicePath(), "/dev/parport3");
    }
    ScopedLptPath empty("");
    EXPECT_EQ(CPpdevDriver::DevicePath(), "/dev/parport0");
}

TEST(PpdevDriver, ANonPortDeviceAnswersNothing)
{
    std::unique_ptr<CPpdevDriver> driver = CPpdevDriver::Open("/dev/null");
    ASSERT_TRUE(driver);
    EXPECT_EQ(driver->QueryVersion(), 0u);
    EXPECT_EQ(driver->ClaimRange(0x378, 5, TRUE), 0u);
    EXPECT_FALSE(driver->WritePort(0x37A, 0));
    BYTE value = 0x55;
    EXPECT_FALSE(driver->ReadPort(0x378, value));
    EXPECT_EQ(value, 0x55);
    EXPECT_FALSE(driver->ReleaseRange(1));
    EXPECT_FALSE(CPpdevDriver::Open("/nonexistent/parport0"));
}

TEST(PpdevDriver, PortObjectFailsQuietlyAndLetsTheDeviceGo)
{
    struct Case {
        const char* path;
        CPortOpenFailure::Kind reason;
    } cases[] = {
        {"/dev/null", CPortOpenFailure::kindWrongDevice},
        {"/nonexistent/parport0", CPortOpenFailure::kindNoDevice},
    };
    for (const Case& c : cases) {
        ScopedLptPath lpt(c.path);
        CCommsBase comms;
        EXPECT_FALSE(comms.Open(CCommsBase::typeLpt, "LPT1:")) << c.path;
        EXPECT_EQ(comms.GetType(), 0);
        EXPECT_FALSE(theParallel.IsDriverOpen());
        // No message of its own, but the reason is there for the caller's.
        const CPortOpenFailure& failure = CPortOpenFailure::GetLast();
        EXPECT_EQ(failure.m_nKind, c.reason) << c.path;
        EXPECT_EQ(failure.m_nPort, CPortOpenFailure::portParallel);
        EXPECT_EQ(failure.Describe().Find(CString(c.path) + ": "), 0) << failure.Describe().GetString();
    }
}

}  // namespace
