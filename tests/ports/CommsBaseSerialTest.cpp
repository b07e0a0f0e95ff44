// The port object's serial types against an in-process device: names, opening and closing by
// type, settings and time-outs, byte transfers on virtual time, and the modem lines.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/testing/VirtualClock.h"
#include "ports/CommsBase.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/FakeSerialDevice.h"

namespace {

CString Name(BYTE type, int index)
{
    CString name = "unchanged";
    if (!CCommsBase::GetResourceName(type, index, name))
        return CString("FALSE:") + name;
    return name;
}

TEST(CommsBaseNames, EveryTypeAndIndex)
{
    for (BYTE type : {1, 2, 5}) {
        EXPECT_EQ(Name(type, 0), "COM1:");
        EXPECT_EQ(Name(type, 3), "COM4:");
        EXPECT_EQ(Name(type, 4), "FALSE:unchanged");
        EXPECT_EQ(Name(type, -1), "FALSE:unchanged");
    }
    EXPECT_EQ(Name(3, 0), "LPT1:");
    EXPECT_EQ(Name(4, 0), "LPT1:");
    EXPECT_EQ(Name(4, 1), "FALSE:unchanged");
    EXPECT_EQ(Name(6, 0), "USB");
    EXPECT_EQ(Name(6, 1), "FALSE:unchanged");
    EXPECT_EQ(Name(0, 0), "FALSE:unchanged");
    EXPECT_EQ(Name(7, 0), "FALSE:unchanged");
}

class CommsBaseSerial : public ::testing::Test {
protected:
    CVirtualClock m_clock{1000};
    CScopedClock m_scoped{m_clock};
    CFakeSerialDevice m_device{"COM1:"};
    CCommsBase m_comms;

    void TearDown() override
    {
        m_comms.Close();
        EXPECT_FALSE(m_device.IsOpen());
    }
};

// A board that stays silent or stops taking bytes ends each transfer on time: 5000 ms and 1 ms
// a byte, or 50 ms after the last byte that came.
TEST_F(CommsBaseSerial, HandshakeTypesOpenWithTheirSettingsAndTimeOutASilentBoard)
{
    for (BYTE type : {CCommsBase::typeSerial, CCommsBase::typeSerialFast}) {
        ASSERT_TRUE(m_comms.Open(type, "COM1:"));
        EXPECT_EQ(m_comms.GetType(), type);
        SerialState state = m_device.State();
        EXPECT_EQ(state.baudRate, type == CCommsBase::typeSerial ? 19200u : 115200u);
        EXPECT_EQ(state.byteSize, 8);
        EXPECT_EQ(state.parity, NOPARITY);
        EXPECT_EQ(state.stopBits, ONESTOPBIT);
        EXPECT_TRUE(state.outxCtsFlow);
        EXPECT_EQ(state.dtrControl, DTR_CONTROL_ENABLE);
        EXPECT_EQ(state.rtsControl, RTS_CONTROL_HANDSHAKE);
        EXPECT_FALSE(m_device.Break());

        BYTE buffer[10];
        DWORD count = 10;
        uint64_t start = m_clock.NowMilliseconds();
        EXPECT_FALSE(m_comms.Read(buffer, count));
        EXPECT_EQ(count, 0u);
        EXPECT_EQ(m_clock.NowMilliseconds() - start, 5010u);
        m_device.Send("AB");
        count = 10;
        start = m_clock.NowMilliseconds();
        EXPECT_FALSE(m_comms.Read(buffer, count));
        EXPECT_EQ(count, 2u);
        EXPECT_EQ(m_clock.NowMilliseconds() - start, 50u);
        m_device.SetReceiveLimit(m_device.Received().size());
        count = 4;
        start = m_clock.NowMilliseconds();
        EXPECT_FALSE(m_comms.Write(buffer, count));
        EXPECT_EQ(count, 0u);
        EXPECT_EQ(m_clock.NowMilliseconds() - start, 5004u);
        m_comms.Close();
        EXPECT_FALSE(m_device.IsOpen());
    }
}

TEST_F(CommsBaseSerial, LineTypeOpensWithoutHandshakeLinesAssertedAndBreakHeld)
{
    ASSERT_TRUE(m_comms.Open(CCommsBase::typeSerialLines, "COM1:"));
    SerialState state = m_device.State();
    EXPECT_FALSE(state.outxCtsFlow);
    EXPECT_EQ(state.rtsControl, RTS_CONTROL_DISABLE);
    EXPECT_EQ(state.baudRate, 19200u);
    EXPECT_TRUE(m_device.Dtr());
    EXPECT_TRUE(m_device.Rts());
    EXPECT_TRUE(m_device.Break());
    m_comms.Close();
    EXPECT_FALSE(m_device.BreakHeldAtClose());
    EXPECT_EQ(m_comms.GetType(), 0);
    EXPECT_FALSE(m_comms.HasHandle());
    // A second Close releases nothing more.
    m_comms.Close();
    EXPECT_EQ(m_device.ConnectCount(), 1);
    EXPECT_FALSE(m_device.IsOpen());
}

TEST_F(CommsBaseSerial, OpeningAgainClosesTheOldPortFirst)
{
    ASSERT_TRUE(m_comms.Open(CCommsBase::typeSerialLines, "COM1:"));
    // The device takes one connection at a time, so this only opens if the old one went.
    ASSERT_TRUE(m_comms.Open(CCommsBase::typeSerial, "com1"));
    EXPECT_FALSE(m_device.BreakHeldAtClose());
    EXPECT_FALSE(m_device.Break());
    EXPECT_EQ(m_device.ConnectCount(), 2);
    EXPECT_EQ(m_comms.GetType(), CCommsBase::typeSerial);
}

TEST_F(CommsBaseSerial, FailedOpeningsLeaveTheObjectClosed)
{
    for (BYTE type : {0, 3, 6, 7}) {
        EXPECT_FALSE(m_comms.Open(type, type == 6 ? "USB" : "COM1:"));
        EXPECT_EQ(m_comms.GetType(), 0);
        EXPECT_FALSE(m_device.IsOpen());
    }
    EXPECT_FALSE(m_comms.Open(CCommsBase::typeSerial, "COM2:x"));
    EXPECT_FALSE(m_comms.Open(CCommsBase::typeSerial, "LPT1:"));

    m_device.SetBusy(true);
    EXPECT_FALSE(m_comms.Open(CCommsBase::typeSerial, "COM1:"));
    m_device.SetBusy(false);

    m_device.SetStateWorks(false);
    EXPECT_FALSE(m_comms.Open(CCommsBase::typeSerialLines, "COM1:"));
    EXPECT_FALSE(m_device.IsOpen());
    EXPECT_FALSE(m_comms.HasHandle());
    EXPECT_EQ(m_comms.GetType(), 0);
}

TEST_F(CommsBaseSerial, HandshakeSwitchesBothWaysAndOnlyOnSerialTypes)
{
    ASSERT_TRUE(m_comms.Open(CCommsBase::typeSerial, "COM1:"));
    ASSERT_TRUE(m_comms.SetHandshake(FALSE));
    SerialState off = m_device.State();
    EXPECT_FALSE(off.outxCtsFlow);
    EXPECT_EQ(off.dtrControl, DTR_CONTROL_DISABLE);
    EXPECT_EQ(off.rtsControl, RTS_CONTROL_DISABLE);
    EXPECT_FALSE(m_device.Dtr());
    EXPECT_FALSE(m_device.Rts());
    ASSERT_TRUE(m_comms.SetHandshake(TRUE));
    SerialState on = m_device.State();
    EXPECT_TRUE(on.outxCtsFlow);
    EXPECT_EQ(on.dtrControl, DTR_CONTROL_ENABLE);
    EXPECT_EQ(on.rtsControl, RTS_CONTROL_HANDSHAKE);
    EXPECT_EQ(on.baudRate, 19200u);

    m_comms.Close();
    EXPECT_FALSE(m_comms.SetHandshake(TRUE));
}

TEST_F(CommsBaseSerial, FailedHandshakeChangeClosesThePort)
{
    ASSERT_TRUE(m_comms.Open(CCommsBase::typeSerialFast, "COM1:"));
    m_device.SetStateWorks(false);
    EXPECT_FALSE(m_comms.SetHandshake(FALSE));
    EXPECT_FALSE(m_device.IsOpen());
    EXPECT_EQ(m_comms.GetType(), 0);
}

TEST_F(CommsBaseSerial, ShortReadEndsAfterTheGapBetweenBytes)
{
    ASSERT_TRUE(m_comms.Open(CCommsBase::typeSerial, "COM1:"));
    m_device.Send("ABCD");
    BYTE buffer[10] = {};
    DWORD count = 10;
    uint64_t start = m_clock.NowMilliseconds();
    EXPECT_FALSE(m_comms.Read(buffer, count));
    EXPECT_EQ(count, 4u);
    EXPECT_EQ(std::string((char*)buffer, 4), "ABCD");
    EXPECT_EQ(m_clock.NowMilliseconds() - start, 50u);
}

TEST_F(CommsBaseSerial, SilentReadEndsAfterTheTotalTimeout)
{
    ASSERT_TRUE(m_comms.Open(CCommsBase::typeSerial, "COM1:"));
    BYTE buffer[10];
    DWORD count = 10;
    uint64_t start = m_clock.NowMilliseconds();
    EXPECT_FALSE(m_comms.Read(buffer, count));
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(m_clock.NowMilliseconds() - start, 5010u);

    // A late answer that still comes within 5000 + n ms is read whole.
    m_device.Send("FLASH OK\r\n", 4900);
    count = 10;
    EXPECT_TRUE(m_comms.Read(buffer, count));
    EXPECT_EQ(count, 10u);

    BYTE b = 0;
    m_device.Send("Z", 5002);
    EXPECT_FALSE(m_comms.ReadByte(&b));
    EXPECT_TRUE(m_comms.ReadByte(&b));
    EXPECT_EQ(b, 'Z');
}

TEST_F(CommsBaseSerial, WritesReachTheDeviceAndStallsReportTheShortCount)
{
    ASSERT_TRUE(m_comms.Open(CCommsBase::typeSerialFast, "COM1:"));
    const BYTE data[] = {0x00, 0xFF, 0x0D, 0x0A, 0x11, 0x13};
    DWORD count = sizeof(data);
    EXPECT_TRUE(m_comms.Write(data, count));
    EXPECT_EQ(count, sizeof(data));
    EXPECT_TRUE(m_comms.WriteByte(0x7E));
    std::vector<BYTE> expected(data, data + sizeof(data));
    expected.push_back(0x7E);
    EXPECT_EQ(m_device.Received(), expected);

    m_device.SetReceiveLimit(expected.size() + 2);
    count = 5;
    uint64_t start = m_clock.NowMilliseconds();
    EXPECT_FALSE(m_comms.Write(data, count));
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(m_clock.NowMilliseconds() - start, 5005u);
    EXPECT_FALSE(m_comms.WriteByte(1));
}

TEST_F(CommsBaseSerial, ByteTransfersOnlyOnStreamTypes)
{
    BYTE b = 0;
    DWORD count = 1;
    EXPECT_FALSE(m_comms.ReadByte(&b));
    EXPECT_FALSE(m_comms.WriteByte(1));
    ASSERT_TRUE(m_comms.Open(CCommsBase::typeSerialLines, "COM1:"));
    m_device.Send("x");
    EXPECT_FALSE(m_comms.ReadByte(&b));
    EXPECT_FALSE(m_comms.Read(&b, count));
    EXPECT_FALSE(m_comms.WriteByte(1));
    count = 1;
    EXPECT_FALSE(m_comms.Write(&b, count));
    EXPECT_TRUE(m_device.Received().empty());
}

TEST_F(CommsBaseSerial, SerialLinesAreInverted)
{
    ASSERT_TRUE(m_comms.Open(CCommsBase::typeSerialLines, "COM1:"));
    EXPECT_TRUE(m_comms.SetData(1));
    EXPECT_FALSE(m_device.Dtr());
    EXPECT_TRUE(m_device.Rts());
    EXPECT_TRUE(m_comms.SetData(0));
    EXPECT_TRUE(m_device.Dtr());
    EXPECT_TRUE(m_comms.SetClock(5));
    EXPECT_FALSE(m_device.Rts());
    EXPECT_TRUE(m_device.Dtr());
    EXPECT_TRUE(m_comms.SetClock(0));
    EXPECT_TRUE(m_device.Rts());

    m_device.SetCts(true);
    EXPECT_EQ(m_comms.GetData(), 0);
    m_device.SetCts(false);
    EXPECT_EQ(m_comms.GetData(), 1);
}

TEST_F(CommsBaseSerial, AnswerOnCtsFollowsTheDataLine)
{
    // A device that echoes DTR onto CTS: the data read back equals the data written.
    m_device.OnLinesChanged([this](bool dtr, bool) { m_device.SetCts(dtr); });
    ASSERT_TRUE(m_comms.Open(CCommsBase::typeSerialLines, "COM1:"));
    for (BOOL bit : {1, 0, 0, 1, 1}) {
        ASSERT_TRUE(m_comms.SetData(bit));
        EXPECT_EQ(m_comms.GetData(), bit);
    }
}

TEST_F(CommsBaseSerial, PgmOnSerialLinesPromptsAndIgnoresTheLevel)
{
    CScriptedUi ui;
    ui.ExpectMessage("Set PGM high by removing Jumper JPXXXXX", MB_OK, IDOK)
        .ExpectMessage("Set PGM high by removing Jumper JPXXXXX", MB_OK, IDOK);
    ASSERT_TRUE(m_comms.Open(CCommsBase::typeSerialLines, "COM1:"));
    EXPECT_TRUE(m_comms.SetPgm(0));
    EXPECT_TRUE(m_comms.SetPgm(1));
    EXPECT_EQ(m_device.LineChanges(), 2u);  // the two of the opening only
}

TEST_F(CommsBaseSerial, LineFailuresAreReportedAndUnreadableStatusIsOne)
{
    m_device.SetModemLinesWork(false);
    ASSERT_FALSE(m_comms.Open(CCommsBase::typeSerialLines, "COM1:"));
    // The port stays open as type 2 until the caller closes it.
    EXPECT_EQ(m_comms.GetType(), CCommsBase::typeSerialLines);
    EXPECT_TRUE(m_device.IsOpen());
    EXPECT_TRUE(m_device.Break());
    EXPECT_FALSE(m_comms.SetData(0));
    EXPECT_FALSE(m_comms.SetClock(1));
    EXPECT_EQ(m_comms.GetData(), 1);
    m_comms.Close();
    EXPECT_FALSE(m_device.IsOpen());
    EXPECT_FALSE(m_device.BreakHeldAtClose());
}

TEST_F(CommsBaseSerial, LineOperationsOnStreamTypesDoNothing)
{
    for (BYTE type : {CCommsBase::typeSerial, CCommsBase::typeSerialFast}) {
        ASSERT_TRUE(m_comms.Open(type, "COM1:"));
        m_device.SetCts(true);
        uint64_t changes = m_device.LineChanges();
        bool dtr = m_device.Dtr(), rts = m_device.Rts();
        EXPECT_EQ(m_comms.SetData(0), 0);
        EXPECT_EQ(m_comms.SetData(1), 0);
        EXPECT_EQ(m_comms.SetClock(0), 0);
        EXPECT_EQ(m_comms.GetData(), 0);
        m_device.SetCts(false);
        EXPECT_EQ(m_comms.GetData(), 0);
        EXPECT_EQ(m_comms.SetPgm(1), 0);
        EXPECT_EQ(m_device.LineChanges(), changes);
        EXPECT_EQ(m_device.StatusReads(), 0u);
        EXPECT_EQ(m_device.Dtr(), dtr);
        EXPECT_EQ(m_device.Rts(), rts);
        m_comms.Close();
    }
    EXPECT_EQ(m_comms.SetData(1), 0);
    EXPECT_EQ(m_comms.GetData(), 0);
}

TEST_F(CommsBaseSerial, WaitCarrierReturnsOnTheNextChange)
{
    ASSERT_TRUE(m_comms.Open(CCommsBase::typeSerial, "COM1:"));
    std::atomic<bool> done{false};
    // Toggles until the wait has ended, so a change made before the wait began cannot hang it.
    std::thread device([&] {
        bool carrier = false;
        while (!done) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            m_device.SetCarrier(carrier = !carrier);
        }
    });
    EXPECT_TRUE(m_comms.WaitCarrier());
    done = true;
    device.join();
    m_comms.Close();
    EXPECT_FALSE(m_comms.WaitCarrier());
}

}  // namespace
