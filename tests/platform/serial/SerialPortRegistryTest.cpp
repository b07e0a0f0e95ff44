// Port names to devices: the COMn: mapping, its overrides, absolute paths, and devices
// registered in process.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/serial/SerialPortRegistry.h"
#include "tests/support/FakeSerialDevice.h"
#include "tests/support/ScopedEnvironment.h"

namespace {

TEST(SerialPortRegistry, ComNamesMapToTtysUnlessOverridden)
{
    CScopedEnvironment com1("QUILLET_COM1", NULL);
    CScopedEnvironment com4("QUILLET_COM4", NULL);
    CScopedEnvironment com12("QUILLET_COM12", NULL);
    EXPECT_EQ(CSerialPortRegistry::DevicePath("COM1:"), "/dev/ttyS0");
    EXPECT_EQ(CSerialPortRegistry::DevicePath("com4:"), "/dev/ttyS3");
    EXPECT_EQ(CSerialPortRegistry::DevicePath("COM12"), "/dev/ttyS11");
    com12.Set("/dev/ttyUSB0");
    EXPECT_EQ(CSerialPortRegistry::DevicePath("COM12:"), "/dev/ttyUSB0");
    com12.Set("");
    EXPECT_EQ(CSerialPortRegistry::DevicePath("COM12:"), "/dev/ttyS11");
    EXPECT_EQ(CSerialPortRegistry::DevicePath("/dev/pts/3"), "/dev/pts/3");
}

TEST(SerialPortRegistry, OtherNamesMapToNothing)
{
    for (const char* name :
         {"", "COM", "COM:", "COM0:", "COMX:", "COM1:x", "LPT1:", "USB", "ttyS0", "COM12345678:", "COM1::"})
        EXPECT_EQ(CSerialPortRegistry::DevicePath(name), "") << name;
    EXPECT_FALSE(CSerialPortRegistry::Open("COM0:"));
}

TEST(SerialPortRegistry, RegisteredDevicesAnswerTheirNameInAnySpelling)
{
    CFakeSerialDevice device("COM9:");
    std::unique_ptr<ISerialPort> port = CSerialPortRegistry::Open("com9");
    ASSERT_TRUE(port);
    EXPECT_TRUE(device.IsOpen());
    port.reset();
    EXPECT_FALSE(device.IsOpen());

    {
        // A later registration of the name wins; unregistering it restores nothing else's.
        CFakeSerialDevice other("COM9:");
        port = CSerialPortRegistry::Open("COM9:");
        EXPECT_TRUE(other.IsOpen());
        EXPECT_FALSE(device.IsOpen());
        port.reset();
    }
    CSerialPortRegistry::Unregister("COM9:", &device);
    EXPECT_FALSE(CSerialPortRegistry::Open("/nonexistent/COM9"));
}

}  // namespace
