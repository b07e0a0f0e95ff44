// The port object over a pseudo-terminal, through the real termios code: what a board on the
// far side of a serial cable sees, and what a pseudo-terminal cannot do (it has no modem lines).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <numeric>
#include <optional>

#include <fcntl.h>
#include <linux/serial.h>
#include <unistd.h>

#include "platform/os/PortOpenFailure.h"
#include "platform/serial/LinuxSerialPort.h"
#include "platform/serial/SerialPortRegistry.h"
#include "ports/CommsBase.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/PseudoTerminal.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/RealClock.h"

namespace {

class CommsBasePty : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_pty.IsOpen()); }
    void TearDown() override { m_comms.Close(); }

    CString Slave() const { return CString(m_pty.SlavePath()); }

    CPseudoTerminal m_pty;
    CCommsBase m_comms;
};

TEST_F(CommsBasePty, ShortReadEndsFalseWithTheCountAfterTheGap)
{
    ASSERT_TRUE(m_comms.Open(CCommsBase::typeSerial, Slave()));
    ASSERT_TRUE(m_pty.Write("\x01\x02\x03\x04"));
    BYTE buffer[10] = {};
    DWORD count = 10;
    int64_t start = RealMs();
    EXPECT_FALSE(m_comms.Read(buffer, count));
    int64_t elapsed = RealMs() - start;
    EXPECT_EQ(count, 4u);
    EXPECT_EQ(buffer[3], 4);
    EXPECT_GE(elapsed, 45);
    EXPECT_LT(elapsed, 2000);  // the gap ended it, not the 5 s total
}

TEST_F(CommsBasePty, BytesPassUntranslatedBothWays)
{
    // Every byte value, including those a cooked terminal would act on (^C, XON/XOFF, CR, DEL).
    std::vector<BYTE> all(256);
    std::iota(all.begin(), all.end(), 0);
    ASSERT_TRUE(m_comms.Open(CCommsBase::typeSerialFast, Slave()));

    DWORD count = (DWORD)all.size();
    ASSERT_TRUE(m_comms.Write(all.data(), count));
    EXPECT_EQ(count, 256u);
    EXPECT_EQ(m_pty.Read(256, 1000), all);

    ASSERT_TRUE(m_pty.Write(all.data(), all.size()));
    std::vector<BYTE> back(256);
    count = 256;
    EXPECT_TRUE(m_comms.Read(back.data(), count));
    EXPECT_EQ(count, 256u);
    EXPECT_EQ(back, all);

    EXPECT_TRUE(m_comms.WriteByte('Q'));
    EXPECT_EQ(m_pty.Read(1, 1000), std::vector<BYTE>{'Q'});
}

// The far end (a simulator, a bridge to a network adapter) may not have read everything when
// the host closes: what the write reported as sent must still arrive.
TEST_F(CommsBasePty, BytesTheFarEndHasNotReadYetSurviveTheClose)
{
    std::vector<BYTE> data(8 * 1024);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = (BYTE)(i * 7);
    ASSERT_TRUE(m_comms.Open(CCommsBase::typeSerial, Slave()));
    DWORD count = (DWORD)data.size();
    ASSERT_TRUE(m_comms.Write(data.data(), count));
    m_comms.Close();
    EXPECT_EQ(m_pty.Read(data.size(), 500), data);
}

TEST_F(CommsBasePty, ReadByteOnTheLineTypeReadsNothing)
{
    m_comms.Open(CCommsBase::typeSerialLines, Slave());
    ASSERT_TRUE(m_pty.Write("A"));
    BYTE b = 0;
    EXPECT_FALSE(m_comms.ReadByte(&b));
    m_comms.Close();
    // The byte is still there for the next reader.
    ASSERT_TRUE(m_comms.Open(CCommsBase::typeSerial, Slave()));
    EXPECT_TRUE(m_comms.ReadByte(&b));
    EXPECT_EQ(b, 'A');
}

TEST_F(CommsBasePty, ModemLinesFailCleanlyWithoutLines)
{
    CScriptedUi ui;
    ui.ExpectMessage("Set PGM high by removing Jumper JPXXXXX", MB_OK, IDOK);
    // The opening's line settings fail, but the port stays open as type 2 until Close.
    EXPECT_FALSE(m_comms.Open(CCommsBase::typeSerialLines, Slave()));
    EXPECT_EQ(m_comms.GetType(), CCommsBase::typeSerialLines);
    EXPECT_TRUE(m_comms.HasHandle());
    EXPECT_FALSE(m_comms.SetData(1));
    EXPECT_FALSE(m_comms.SetClock(0));
    EXPECT_EQ(m_comms.GetData(), 1);
    EXPECT_FALSE(m_comms.WaitCarrier());
    EXPECT_TRUE(m_comms.SetPgm(1));
    m_comms.Close();
    EXPECT_FALSE(m_comms.HasHandle());
    EXPECT_EQ(m_comms.GetType(), 0);
}

TEST_F(CommsBasePty, TheSameTerminalCannotBeOpenedTwice)
{
    ASSERT_TRUE(m_comms.Open(CCommsBase::typeSerial, Slave()));
    CCommsBase other;
    EXPECT_FALSE(other.Open(CCommsBase::typeSerial, Slave()));
    EXPECT_EQ(other.GetType(), 0);
    m_comms.Close();
    m_comms.Close();
    // Closed means released: the next opening, of the same or another type, succeeds.
    EXPECT_TRUE(other.Open(CCommsBase::typeSerialFast, Slave()));
    other.Close();
}

TEST_F(CommsBasePty, LineTypeThenStreamTypeReopensTheSameTerminal)
{
    m_comms.Open(CCommsBase::typeSerialLines, Slave());
    ASSERT_TRUE(m_comms.Open(CCommsBase::typeSerial, Slave()));
    ASSERT_TRUE(m_comms.WriteByte(0x55));
    EXPECT_EQ(m_pty.Read(1, 1000), std::vector<BYTE>{0x55});
}

TEST_F(CommsBasePty, HandshakeSwitchingKeepsTheTerminalUsable)
{
    ASSERT_TRUE(m_comms.Open(CCommsBase::typeSerial, Slave()));
    EXPECT_TRUE(m_comms.SetHandshake(FALSE));
    EXPECT_TRUE(m_comms.WriteByte('a'));
    EXPECT_TRUE(m_comms.SetHandshake(TRUE));
    EXPECT_TRUE(m_comms.WriteByte('b'));
    EXPECT_EQ(m_pty.Read(2, 1000), (std::vector<BYTE>{'a', 'b'}));
    EXPECT_EQ(m_comms.GetType(), CCommsBase::typeSerial);
}

TEST_F(CommsBasePty, AnyComNameReachesItsOverride)
{
    CScopedEnvironment com7("QUILLET_COM7", m_pty.SlavePath().c_str());
    ASSERT_TRUE(m_comms.Open(CCommsBase::typeSerial, "COM7:"));
    EXPECT_TRUE(m_comms.WriteByte('7'));
    EXPECT_EQ(m_pty.Read(1, 1000), std::vector<BYTE>{'7'});
}

TEST_F(CommsBasePty, ComNameMappedInProcessReachesTheTerminal)
{
    bool opened = false;
    {
        CScopedEnvironment com2("QUILLET_COM2", "/nonexistent/ttyQ2");
        CSerialPortRegistry::MapPath("COM2:", Slave());
        opened = m_comms.Open(CCommsBase::typeSerial, "COM2:");
        CSerialPortRegistry::MapPath("COM2:", "");
    }
    ASSERT_TRUE(opened);
    EXPECT_TRUE(m_comms.WriteByte('2'));
    EXPECT_EQ(m_pty.Read(1, 1000), std::vector<BYTE>{'2'});
    EXPECT_EQ(CSerialPortRegistry::DevicePath("COM2:"), "/dev/ttyS1");
}

TEST(CommsBaseOpen, MissingOrNonSerialDevicesFailCleanly)
{
    CCommsBase comms;
    EXPECT_FALSE(comms.Open(CCommsBase::typeSerial, "/nonexistent/ttyQ9"));
    EXPECT_FALSE(comms.Open(CCommsBase::typeSerial, "/dev/null"));
    EXPECT_FALSE(comms.Open(CCommsBase::typeSerialFast, "/"));
    EXPECT_FALSE(comms.Open(CCommsBase::typeSerial, QUILLET_SOURCE_DIR "/CMakeLists.txt"));
    EXPECT_EQ(comms.GetType(), 0);
    EXPECT_FALSE(comms.HasHandle());
}

// The port object only says FALSE; the reason waits for whoever shows the caller's failure
// text, and the next opening forgets it.
TEST_F(CommsBasePty, FailedOpeningsKeepTheirReasonUntilTheNextOpening)
{
    using F = CPortOpenFailure;
    CScopedEnvironment com3("QUILLET_COM3", "/nonexistent/ttyQ3");
    struct Case {
        const char* name;
        F::Kind kind;
        const char* device;
    } cases[] = {
        {"/nonexistent/ttyQ9", F::kindNoDevice, "/nonexistent/ttyQ9"},
        {"COM3:", F::kindNoDevice, "/nonexistent/ttyQ3"},
        {"/dev/null", F::kindWrongDevice, "/dev/null"},
        {"USB", F::kindNoDevice, "USB"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(m_comms.Open(CCommsBase::typeSerial, c.name));
        EXPECT_EQ(F::GetLast().m_nKind, c.kind) << c.name;
        EXPECT_EQ(F::GetLast().m_strDevice, c.device) << c.name;
    }
    EXPECT_FALSE(m_comms.Open(CCommsBase::typeSerial, "COM3:"));
    EXPECT_NE(F::GetLast().Describe().Find("set QUILLET_COM3 to the device to use"), -1);

    ASSERT_TRUE(m_comms.Open(CCommsBase::typeSerial, Slave()));
    EXPECT_FALSE(F::GetLast().IsSet());
    CCommsBase second;
    EXPECT_FALSE(second.Open(CCommsBase::typeSerialFast, Slave()));
    EXPECT_EQ(F::GetLast().m_nKind, F::kindBusy);
    // Held by this very process, so only the kind of holder is known.
    EXPECT_EQ(F::GetLast().Describe().Find(Slave() + ": busy, in use by another "), 0)
        << F::GetLast().Describe().GetString();
    EXPECT_FALSE(second.Open(CCommsBase::typeUsb, "USB"));
    EXPECT_FALSE(F::GetLast().IsSet()) << "a type that never opens has no device to blame";
}

// A ttyS port without a UART behind it fails at once instead of swallowing the download;
// whatever does not answer as such a port opens as before.
TEST_F(CommsBasePty, OnlyATtySPortOfUnknownTypeHasNoUart)
{
    using Probe = CLinuxSerialPort::UartProbe;
    static std::optional<UartInfo> answer;  // what the installed probe says; none: the real probe
    struct Case {
        const char* what;
        std::optional<UartInfo> answer;
        bool opens;
    } cases[] = {
        {"ttyS of unknown type", UartInfo{TRUE, PORT_UNKNOWN, TRUE}, false},
        {"ttyS with a 16550A", UartInfo{TRUE, PORT_16550A, TRUE}, true},
        {"USB CDC-ACM adapter", UartInfo{TRUE, PORT_UNKNOWN, FALSE}, true},
        {"no TIOCGSERIAL", UartInfo{FALSE, PORT_UNKNOWN, TRUE}, true},
        {"the real probe on a pseudo-terminal", std::nullopt, true},
    };
    for (const Case& c : cases) {
        answer = c.answer;
        Probe previous = CLinuxSerialPort::InstallUartProbe(answer ? [](int) { return *answer; } : Probe(NULL));
        BOOL opened = m_comms.Open(CCommsBase::typeSerial, Slave());
        CLinuxSerialPort::InstallUartProbe(previous);
        EXPECT_EQ((bool)opened, c.opens) << c.what;
        CPortOpenFailure::Kind expected = c.opens ? CPortOpenFailure::kindNone : CPortOpenFailure::kindNoUart;
        EXPECT_EQ(CPortOpenFailure::GetLast().m_nKind, expected) << c.what;
        m_comms.Close();
    }
    // Refused before the port was locked: it is free for the next opening.
    EXPECT_TRUE(m_comms.Open(CCommsBase::typeSerial, Slave()));
}

TEST(CommsBaseOpen, ClosedObjectClosesNoOtherDescriptor)
{
    int other = open("/dev/null", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    bool stdinOpen = fcntl(0, F_GETFD) != -1;
    CCommsBase comms;
    comms.Close();
    EXPECT_FALSE(comms.Open(CCommsBase::typeSerial, "/nonexistent/ttyQ9"));
    comms.Close();
    comms.Close();
    EXPECT_NE(fcntl(other, F_GETFD), -1);
    EXPECT_EQ(fcntl(0, F_GETFD) != -1, stdinOpen);
    close(other);
}

}  // namespace
