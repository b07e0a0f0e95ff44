// The Windows time-out rules as the tty implementation keeps them, over a pseudo-terminal with
// short time-outs so that each case costs a fraction of a second of real time.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/serial/LinuxSerialPort.h"
#include "tests/support/PseudoTerminal.h"
#include "tests/support/RealClock.h"

namespace {

class LinuxSerialPort : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_pty.IsOpen());
        m_port = CLinuxSerialPort::Open(CString(m_pty.SlavePath()));
        ASSERT_TRUE(m_port);
        SerialState raw;
        raw.baudRate = 19200;
        ASSERT_TRUE(m_port->SetState(raw));
    }

    void Timeouts(DWORD interval, DWORD readConstant, DWORD readMultiplier, DWORD writeConstant = 0,
                  DWORD writeMultiplier = 0)
    {
        SerialTimeouts t;
        t.readInterval = interval;
        t.readTotalConstant = readConstant;
        t.readTotalMultiplier = readMultiplier;
        t.writeTotalConstant = writeConstant;
        t.writeTotalMultiplier = writeMultiplier;
        ASSERT_TRUE(m_port->SetTimeouts(t));
    }

    CPseudoTerminal m_pty;
    std::unique_ptr<CLinuxSerialPort> m_port;
};

TEST_F(LinuxSerialPort, TotalTimeoutCountsConstantPlusPerByte)
{
    Timeouts(20, 100, 10);
    BYTE buffer[5];
    DWORD done = 99;
    int64_t start = RealMs();
    EXPECT_TRUE(m_port->Read(buffer, 5, done));  // a time-out is not a failure
    int64_t elapsed = RealMs() - start;
    EXPECT_EQ(done, 0u);
    // The gap between bytes does not count before the first byte.
    EXPECT_GE(elapsed, 145);
    EXPECT_LT(elapsed, 1500);
}

TEST_F(LinuxSerialPort, BytesWithinTheGapKeepTheReadGoing)
{
    Timeouts(80, 3000, 0);
    std::thread sender([this] {
        for (char c : std::string("HELLO")) {
            std::this_thread::sleep_for(std::chrono::milliseconds(15));
            m_pty.Write(std::string(1, c));
        }
    });
    BYTE buffer[5];
    DWORD done = 0;
    EXPECT_TRUE(m_port->Read(buffer, 5, done));
    sender.join();
    EXPECT_EQ(done, 5u);
    EXPECT_EQ(std::string((char*)buffer, 5), "HELLO");
}

TEST_F(LinuxSerialPort, TotalTimeoutBoundsATrickle)
{
    // Bytes keep coming within the gap, but the total still ends the read.
    Timeouts(100, 150, 0);
    std::atomic<bool> stop{false};
    std::thread sender([&] {
        while (!stop) {
            m_pty.Write("x");
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    std::vector<BYTE> buffer(1000);
    DWORD done = 0;
    int64_t start = RealMs();
    EXPECT_TRUE(m_port->Read(buffer.data(), 1000, done));
    int64_t elapsed = RealMs() - start;
    stop = true;
    sender.join();
    EXPECT_GT(done, 0u);
    EXPECT_LT(done, 1000u);
    EXPECT_GE(elapsed, 140);
    EXPECT_LT(elapsed, 1500);
}

TEST_F(LinuxSerialPort, StalledWriteEndsAtItsTotalWithTheCountThatWentOut)
{
    Timeouts(0, 0, 0, 100, 0);
    // Nobody reads the far side, so the terminal's buffers fill up.
    std::vector<BYTE> data(1 << 20, 0xA5);
    DWORD done = 0;
    int64_t start = RealMs();
    EXPECT_TRUE(m_port->Write(data.data(), (DWORD)data.size(), done));
    int64_t elapsed = RealMs() - start;
    EXPECT_GT(done, 0u);
    EXPECT_LT(done, data.size());
    EXPECT_GE(elapsed, 95);
    EXPECT_LT(elapsed, 1500);
}

TEST_F(LinuxSerialPort, SettingsReadBackFromTheTerminal)
{
    SerialState state;
    ASSERT_TRUE(m_port->GetState(state));
    state.baudRate = 115200;
    state.byteSize = 8;
    state.parity = NOPARITY;
    state.stopBits = ONESTOPBIT;
    state.outxCtsFlow = TRUE;
    state.rtsControl = RTS_CONTROL_HANDSHAKE;
    ASSERT_TRUE(m_port->SetState(state));
    SerialState back;
    ASSERT_TRUE(m_port->GetState(back));
    EXPECT_EQ(back.baudRate, 115200u);
    EXPECT_EQ(back.byteSize, 8);
    EXPECT_EQ(back.parity, NOPARITY);
    EXPECT_EQ(back.stopBits, ONESTOPBIT);
    EXPECT_TRUE(back.outxCtsFlow);

    state.baudRate = 19200;
    state.outxCtsFlow = FALSE;
    state.rtsControl = RTS_CONTROL_DISABLE;
    ASSERT_TRUE(m_port->SetState(state));
    ASSERT_TRUE(m_port->GetState(back));
    EXPECT_EQ(back.baudRate, 19200u);
    EXPECT_FALSE(back.outxCtsFlow);
    EXPECT_EQ(back.rtsControl, RTS_CONTROL_DISABLE);

    state.baudRate = 12345;  // no such rate
    EXPECT_FALSE(m_port->SetState(state));
    state.baudRate = 19200;
    state.byteSize = 9;
    EXPECT_FALSE(m_port->SetState(state));
}

TEST_F(LinuxSerialPort, ModemLinesOfATerminalWithoutThemFail)
{
    DWORD status = 0;
    EXPECT_FALSE(m_port->EscapeFunction(SETDTR));
    EXPECT_FALSE(m_port->EscapeFunction(CLRRTS));
    EXPECT_FALSE(m_port->EscapeFunction(99));
    EXPECT_FALSE(m_port->GetModemStatus(status));
    EXPECT_FALSE(m_port->WaitEvent(EV_RLSD));
    EXPECT_FALSE(m_port->WaitEvent(0));
    // Break is accepted (a pseudo-terminal ignores it) and changes nothing else.
    EXPECT_TRUE(m_port->SetBreak(TRUE));
    EXPECT_TRUE(m_port->SetBreak(FALSE));
}

}  // namespace
