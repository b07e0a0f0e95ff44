// The serial waits that a stop event ends, on a pseudo-terminal through the real tty code, and
// the machine's serial-port map.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/serial/LinuxSerialPort.h"
#include "platform/serial/SerialDeviceMap.h"
#include "platform/threads/Synchronization.h"
#include "tests/support/FakeSerialDevice.h"
#include "tests/support/PseudoTerminal.h"
#include "tests/support/TempFolder.h"
#include "tests/support/RealClock.h"

namespace {

class SerialStop : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_pty.IsOpen());
        m_port = CLinuxSerialPort::Open(CString(m_pty.SlavePath()));
        ASSERT_TRUE(m_port);
        SerialState raw;
        raw.baudRate = 115200;
        ASSERT_TRUE(m_port->SetState(raw));
        SerialTimeouts immediate;
        immediate.readInterval = MAXDWORD;
        ASSERT_TRUE(m_port->SetTimeouts(immediate));
    }
    void TearDown() override { CloseHandle(m_stop); }

    // Sets the stop event `afterMs` from now, on another thread.
    std::thread StopLater(int afterMs)
    {
        return std::thread([this, afterMs] {
            std::this_thread::sleep_for(std::chrono::milliseconds(afterMs));
            SetEvent(m_stop);
        });
    }

    CPseudoTerminal m_pty;
    std::unique_ptr<CLinuxSerialPort> m_port;
    HANDLE m_stop = CreateEvent(NULL, TRUE, FALSE, NULL);
};

}  // namespace

TEST_F(SerialStop, InputIsReportedOnceUntilAReadTakesSome)
{
    ASSERT_TRUE(m_port->SetCommMask(EV_RXCHAR));
    ASSERT_TRUE(m_pty.Write(std::string("ab")));
    DWORD events = 0;
    EXPECT_EQ(m_port->WaitCommEvent(events, m_stop), serialWaitDone);
    EXPECT_EQ(events, (DWORD)EV_RXCHAR);

    // Two bytes wait, but they were reported: the next wait sleeps until a read takes one.
    std::atomic<int> result{-1};
    std::atomic<DWORD> seen{0};
    std::thread waiter([&] {
        DWORD again = 0;
        result = m_port->WaitCommEvent(again, m_stop);
        seen = again;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(result.load(), -1);
    BYTE byte = 0;
    DWORD done = 0;
    EXPECT_TRUE(m_port->Read(&byte, 1, done));
    EXPECT_EQ(done, 1u);
    EXPECT_EQ(byte, 'a');
    waiter.join();
    EXPECT_EQ(result.load(), serialWaitDone);
    EXPECT_EQ(seen.load(), (DWORD)EV_RXCHAR);

    // A terminal without modem lines cannot report the carrier.
    EXPECT_FALSE(m_port->SetCommMask(EV_RXCHAR | EV_RLSD));
}

TEST_F(SerialStop, TheStopEndsAWaitAndAStalledWrite)
{
    ASSERT_TRUE(m_port->SetCommMask(EV_RXCHAR));
    std::thread stopper = StopLater(30);
    DWORD events = 0;
    int64_t start = RealMs();
    EXPECT_EQ(m_port->WaitCommEvent(events, m_stop), serialWaitStopped);
    EXPECT_LT(RealMs() - start, 1000);
    stopper.join();

    // Nobody reads the far side: the terminal's buffer fills and the write stalls.
    ResetEvent(m_stop);
    std::vector<BYTE> lots(1 << 20, 0x55);
    stopper = StopLater(50);
    DWORD done = 0;
    start = RealMs();
    EXPECT_EQ(m_port->WriteUntilStopped(lots.data(), (DWORD)lots.size(), done, m_stop), serialWaitStopped);
    EXPECT_LT(RealMs() - start, 1000);
    EXPECT_GT(done, 0u);
    EXPECT_LT(done, lots.size());
    stopper.join();
}

TEST(SerialDeviceMap, ListsHardwareTtysOverridesAndRegisteredDevices)
{
    CTempFolder sys;
    sys.Write("ttyS0/device/uevent");
    sys.Write("ttyS0/type", "4\n");  // a 16550A answered
    sys.Write("ttyS1/device/uevent");
    sys.Write("ttyS1/type", "0\n");      // nothing at that address
    sys.Write("ttyUSB0/device/uevent");  // no serial-core type file
    sys.Write("tty1/dev", "4:1\n");      // a virtual console: no device
    std::vector<CString> ttys = CSerialDeviceMap::HardwareTtys(sys.Path().c_str());
    std::sort(ttys.begin(), ttys.end());
    EXPECT_EQ(ttys, (std::vector<CString>{"/dev/ttyS0", "/dev/ttyUSB0"}));
    EXPECT_TRUE(CSerialDeviceMap::HardwareTtys((sys / "missing").c_str()).empty());

    CPseudoTerminal pty;
    setenv("QUILLET_COM7", pty.SlavePath().c_str(), 1);
    setenv("QUILLET_COM8", "/nonexistent/tty", 1);
    CFakeSerialDevice device("COM6:");
    std::vector<CString> all = CSerialDeviceMap::Devices();
    unsetenv("QUILLET_COM7");
    unsetenv("QUILLET_COM8");
    auto has = [&](const CString& entry) { return std::find(all.begin(), all.end(), entry) != all.end(); };
    EXPECT_TRUE(has(pty.SlavePath().c_str()));
    EXPECT_FALSE(has("/nonexistent/tty"));
    EXPECT_TRUE(has("COM6:"));
}
