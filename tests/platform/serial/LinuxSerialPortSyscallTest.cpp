// The termios port's modem-line, break and line-wait requests, on a pseudo-terminal that the
// preload library answers for as a UART's driver: what the port sets is what the line carries,
// and what the device drives is what the port reads and wakes for.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <thread>

#include "platform/serial/LinuxSerialPort.h"
#include "platform/threads/Synchronization.h"
#include "tests/preload/PreloadedDevice.h"
#include "tests/support/PseudoTerminal.h"

namespace {

class SerialLineRequests : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CPreloadedDevice::IsLoaded()) << "needs LD_PRELOAD of the preload library, as ctest sets it";
        ASSERT_TRUE(m_pty.IsOpen());
        m_device.emplace(kPreloadTtyVariable, m_pty.SlavePath());
        m_port = CLinuxSerialPort::Open(CString(m_pty.SlavePath()));
        ASSERT_TRUE(m_port);
    }

    void DriveLines(int lines)
    {
        m_device->Set([&](PreloadRecord& r) { DriveDeviceLines(r, lines); });
    }

    CPseudoTerminal m_pty;
    std::optional<CPreloadedDevice> m_device;
    std::unique_ptr<CLinuxSerialPort> m_port;
};

TEST_F(SerialLineRequests, EscapesAndBreakDriveTheirOwnLineOnly)
{
    const int both = TIOCM_DTR | TIOCM_RTS;
    struct Step {
        const char* what;
        std::function<BOOL(ISerialPort&)> act;
        int hostLines;
        int breakOn;
    } steps[] = {
        {"CLRDTR", [](ISerialPort& p) { return p.EscapeFunction(CLRDTR); }, TIOCM_RTS, 0},
        {"CLRRTS", [](ISerialPort& p) { return p.EscapeFunction(CLRRTS); }, 0, 0},
        {"SETDTR", [](ISerialPort& p) { return p.EscapeFunction(SETDTR); }, TIOCM_DTR, 0},
        {"SETRTS", [](ISerialPort& p) { return p.EscapeFunction(SETRTS); }, both, 0},
        {"break on", [](ISerialPort& p) { return p.SetBreak(TRUE); }, both, 1},
        {"CLRRTS in break", [](ISerialPort& p) { return p.EscapeFunction(CLRRTS); }, TIOCM_DTR, 1},
        {"break off", [](ISerialPort& p) { return p.SetBreak(FALSE); }, TIOCM_DTR, 0},
    };
    ASSERT_EQ(m_device->Get().hostLines, both);
    for (const Step& step : steps) {
        EXPECT_TRUE(step.act(*m_port)) << step.what;
        PreloadRecord line = m_device->Get();
        EXPECT_EQ(line.hostLines, step.hostLines) << step.what;
        EXPECT_EQ(line.breakOn, step.breakOn) << step.what;
    }
}

TEST_F(SerialLineRequests, LineControlSettingsRaiseOrDropDtrAndRts)
{
    struct Case {
        BYTE dtr, rts;
        int hostLines;
    } cases[] = {
        {DTR_CONTROL_DISABLE, RTS_CONTROL_DISABLE, 0},
        // The handshake keeps RTS up: CRTSCTS only drops it while the input is full.
        {DTR_CONTROL_ENABLE, RTS_CONTROL_HANDSHAKE, TIOCM_DTR | TIOCM_RTS},
        {DTR_CONTROL_DISABLE, RTS_CONTROL_ENABLE, TIOCM_RTS},
        {DTR_CONTROL_ENABLE, RTS_CONTROL_DISABLE, TIOCM_DTR},
    };
    for (const Case& c : cases) {
        SerialState state;
        state.baudRate = 19200;
        state.dtrControl = c.dtr;
        state.rtsControl = c.rts;
        ASSERT_TRUE(m_port->SetState(state));
        EXPECT_EQ(m_device->Get().hostLines, c.hostLines) << int(c.dtr) << "/" << int(c.rts);
    }
}

TEST_F(SerialLineRequests, ModemStatusReadsEachInputLine)
{
    struct Case {
        int lines;
        DWORD status;
    } cases[] = {
        {0, 0},
        {TIOCM_CTS, MS_CTS_ON},
        {TIOCM_DSR, MS_DSR_ON},
        {TIOCM_RI, MS_RING_ON},
        {TIOCM_CD, MS_RLSD_ON},
        {TIOCM_CTS | TIOCM_DSR | TIOCM_RI | TIOCM_CD, MS_CTS_ON | MS_DSR_ON | MS_RING_ON | MS_RLSD_ON},
    };
    for (const Case& c : cases) {
        DriveLines(c.lines);
        DWORD status = 0xFFFF;
        ASSERT_TRUE(m_port->GetModemStatus(status));
        EXPECT_EQ(status, c.status) << "lines " << c.lines;
    }
}

TEST_F(SerialLineRequests, ALineWaitWakesForItsOwnLine)
{
    const int inputs = TIOCM_CTS | TIOCM_DSR | TIOCM_RI | TIOCM_CD;
    struct Case {
        DWORD event;
        int line;
    } cases[] = {{EV_CTS, TIOCM_CTS}, {EV_DSR, TIOCM_DSR}, {EV_RLSD, TIOCM_CD}};
    for (const Case& c : cases) {
        // The line changes, and well after it every other line, so that a wait on the wrong
        // line still ends, late.
        std::atomic<bool> moved{false}, othersMoved{false};
        std::thread device([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            moved = true;
            DriveLines(m_device->Get().deviceLines ^ c.line);
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            othersMoved = true;
            DriveLines(m_device->Get().deviceLines ^ (inputs & ~c.line));
        });
        EXPECT_TRUE(m_port->WaitEvent(c.event)) << c.event;
        EXPECT_TRUE(moved) << c.event;
        EXPECT_FALSE(othersMoved) << c.event;
        device.join();
    }
}

TEST_F(SerialLineRequests, ACarrierPulseBetweenTwoSamplesIsCounted)
{
    ASSERT_TRUE(m_port->SetCommMask(EV_RLSD));
    // On and off again before the port looks: only the driver's transition count shows it.
    DriveLines(TIOCM_CD);
    DriveLines(0);
    // A port that misses the pulse is stopped after half a second.
    HANDLE stop = CreateEvent(NULL, TRUE, FALSE, NULL);
    std::atomic<bool> returned{false};
    std::thread stopper([&] {
        for (int waited = 0; waited < 500 && !returned; waited += 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        SetEvent(stop);
    });
    DWORD events = 0;
    EXPECT_EQ(m_port->WaitCommEvent(events, stop), serialWaitDone);
    returned = true;
    stopper.join();
    CloseHandle(stop);
    EXPECT_EQ(events, (DWORD)EV_RLSD);
}

}  // namespace
