// Port names to devices: the COMn: mapping, its overrides, absolute paths, and devices
// registered in process.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/serial/SerialPortRegistry.h"
#include "tests/support/FakeSerialDevice.h"

namespace {

TEST(SerialPortRegistry, ComNamesMapToTtysUnlessOverridden)
{
    unsetenv("QUILLET_COM1");
    unsetenv("QUILLET_COM12");
    EXPECT_EQ(CSerialPortRegistry::DevicePath("COM1:"), "/dev/ttyS0");
    EXPECT_EQ(CSerialPortRegistry::DevicePath("com4:"), "/dev/ttyS3");
    EXPECT_EQ(CSerialPortRegistry::DevicePath("COM12"), "/dev/ttyS11");
    setenv("QUILLET_COM12", "/dev/ttyUSB0", 1);
    EXPECT_EQ(CSerialPortRegistry::DevicePath("COM12:"), "/dev/ttyUSB0");
    setenv("QUILLET_COM12", "", 1);
    EXPECT_EQ(CSerialPortRegistry::DevicePath("COM12:"), "/dev/ttyS11");
    unsetenv("QUILLET_COM12");
    EXPECT_EQ(CSerialPortRegistry::DevicePath("/dev/pts/3"), "/dev/pts/3");
}

TEST(SerialPortRegistry, OtherNamesMapToNothing)
{
    for (const char* name : {"", "COM", "COM:", "COM0:", "COMX:", "COM1:x", "LPT1:", "USB",
                             "ttyS0", "COM12345678:", "COM1::"})
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
