// The parallel port (resource type 4) against the fake driver: opening and closing in the
// driver's order, the version check, a port held elsewhere, and the register writes of the
// programming lines.
#include <gtest/gtest.h>

#include "ports/CommsBase.h"
#include "ports/Parallel.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/FakeParallelPort.h"

namespace {

using Request = CFakeParallelPort::Request;

const DWORD kData = 0x378;
const DWORD kControl = 0x37A;
const DWORD kExtended = 0x77A;

class ParallelPort : public ::testing::Test {
protected:
    void TearDown() override
    {
        m_comms.Close();
        EXPECT_EQ(m_port.OpenConnections(), 0);
        EXPECT_FALSE(m_port.IsClaimed());
        EXPECT_FALSE(theParallel.IsDriverOpen());
    }

    // Opens type 4 and forgets the opening's requests.
    void OpenLpt()
    {
        ASSERT_TRUE(m_comms.Open(CCommsBase::typeLpt, "LPT1:"));
        m_port.ClearLog();
    }

    std::vector<Request::Kind> Kinds() const
    {
        std::vector<Request::Kind> kinds;
        for (const Request& r : m_port.Log())
            kinds.push_back(r.kind);
        return kinds;
    }

    CFakeParallelPort m_port;
    CCommsBase m_comms;
};

TEST_F(ParallelPort, OpeningClaimsThePortAndSetsByteMode)
{
    m_port.SetControl(0xC3);
    ASSERT_TRUE(m_comms.Open(CCommsBase::typeLpt, "LPT1:"));
    EXPECT_EQ(m_comms.GetType(), CCommsBase::typeLpt);
    EXPECT_TRUE(m_port.IsClaimed());
    EXPECT_EQ(Kinds(), (std::vector<Request::Kind>{Request::Open, Request::Version, Request::Claim, Request::Write,
                                                   Request::Read, Request::Write}));
    EXPECT_EQ(m_port.Log()[3].port, kExtended);
    EXPECT_EQ(m_port.Log()[3].value, 0x20);
    EXPECT_EQ(m_port.Log()[4].port, kControl);
    EXPECT_EQ(m_port.Log()[5].port, kControl);
    EXPECT_EQ(m_port.Log()[5].value, 0xC7);
    EXPECT_EQ(theLptControl, 0xC7);
    const CParallel::CardRecord& card = theParallel.GetCardRecord();
    EXPECT_EQ(card.itemCount, 1u);
    EXPECT_EQ(card.items[0].kind, 3u);
    EXPECT_EQ(card.items[0].notSharable, 1u);
    EXPECT_EQ(card.items[0].firstPort, 0x378u);
    EXPECT_EQ(card.items[0].portCount, 5u);
    EXPECT_NE(card.cardHandle, 0u);
}

TEST_F(ParallelPort, ClosingReleasesThenZeroesControlThenClosesAndOnlyOnce)
{
    OpenLpt();
    m_comms.Close();
    ASSERT_EQ(Kinds(), (std::vector<Request::Kind>{Request::Release, Request::Write, Request::Close}));
    EXPECT_TRUE(m_port.Log()[0].granted);
    EXPECT_EQ(m_port.Log()[1].port, kControl);
    EXPECT_EQ(m_port.Log()[1].value, 0);
    EXPECT_EQ(m_comms.GetType(), 0);
    m_port.ClearLog();
    m_comms.Close();
    EXPECT_TRUE(m_port.Log().empty());
}

TEST_F(ParallelPort, DriverVersionMustBe501OrLater)
{
    m_port.SetVersion(500);
    EXPECT_FALSE(m_comms.Open(CCommsBase::typeLpt, "LPT1:"));
    EXPECT_EQ(Kinds(), (std::vector<Request::Kind>{Request::Open, Request::Version, Request::Close}));
    EXPECT_EQ(m_comms.GetType(), 0);

    m_port.SetVersion(501);
    EXPECT_TRUE(m_comms.Open(CCommsBase::typeLpt, "LPT1:"));
}

TEST_F(ParallelPort, MissingDriverFailsWithoutAMessage)
{
    m_port.SetPresent(false);
    EXPECT_FALSE(m_comms.Open(CCommsBase::typeLpt, "LPT1:"));
    EXPECT_EQ(m_comms.GetType(), 0);
}

TEST_F(ParallelPort, PortHeldElsewhereIsCardAlreadyInUse)
{
    CScriptedUi ui;
    // The driver's reason goes under the text, so the user can free the port.
    ui.ExpectMessage("Card Already In Use\n/dev/parport0: busy, in use by another program.", MB_OK | MB_ICONSTOP, IDOK);
    m_port.SetHeldElsewhere(true);
    EXPECT_FALSE(m_comms.Open(CCommsBase::typeLpt, "LPT1:"));
    ui.VerifyAndClear();
    // The port-mode set-up is still attempted, then the driver is let go.
    bool modeAttempted = false;
    for (const Request& r : m_port.Log())
        modeAttempted |= r.kind == Request::Write && r.port == kExtended && r.value == 0x20;
    EXPECT_TRUE(modeAttempted);
    EXPECT_EQ(m_port.Log().back().kind, Request::Close);
    EXPECT_EQ(m_comms.GetType(), 0);
    EXPECT_EQ(m_port.OpenConnections(), 0);

    m_port.SetHeldElsewhere(false);
    EXPECT_TRUE(m_comms.Open(CCommsBase::typeLpt, "LPT1:"));
}

TEST_F(ParallelPort, SetDataThenGetDataTurnsThePortAround)
{
    m_port.SetControl(0xD0);  // bits 4, 6 and 7 belong to nobody and must survive
    OpenLpt();
    m_port.SetDevicePins(0xFF);
    EXPECT_TRUE(m_comms.SetData(1));
    EXPECT_EQ(m_comms.GetData(), 1);
    m_port.SetDevicePins(0xFE);
    EXPECT_EQ(m_comms.GetData(), 0);

    const std::vector<Request>& log = m_port.Log();
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(log[0].port, kControl);
    EXPECT_EQ(log[0].value, 0xD0 | 0x04 | 0x01);
    EXPECT_EQ(log[1].port, kData);
    EXPECT_EQ(log[1].value, 1);
    EXPECT_EQ(log[2].port, kControl);
    EXPECT_EQ(log[2].value, 0xD0 | 0x04 | 0x20);
    EXPECT_EQ(log[3].kind, Request::Read);
    EXPECT_EQ(log[3].port, kData);
    for (BYTE control : m_port.WritesTo(kControl))
        EXPECT_EQ(control & 0xD0, 0xD0);
}

TEST_F(ParallelPort, DataLevelIsItsLowBit)
{
    OpenLpt();
    m_comms.SetData(2);
    EXPECT_EQ(m_port.DataLatch(), 0);
    m_comms.SetData(3);
    EXPECT_EQ(m_port.DataLatch(), 1);
    EXPECT_FALSE(m_port.HostReadsPins());
}

TEST_F(ParallelPort, ClockIsControlBit1Inverted)
{
    OpenLpt();
    EXPECT_TRUE(m_comms.SetClock(0));
    EXPECT_EQ(m_port.Control() & 0x02, 0x02);
    EXPECT_TRUE(m_comms.SetClock(1));
    EXPECT_EQ(m_port.Control() & 0x02, 0);
    m_comms.SetClock(0);
    EXPECT_TRUE(m_comms.SetClock(2));
    EXPECT_EQ(m_port.Control() & 0x02, 0);
    EXPECT_EQ(m_port.WritesTo(kControl).size(), 4u);  // one register write per change
}

TEST_F(ParallelPort, PgmSetsBit2AndItsLevelOnBit3)
{
    m_port.SetControl(0x00);
    OpenLpt();
    EXPECT_TRUE(m_comms.SetPgm(1));
    EXPECT_EQ(m_port.Control() & 0x0C, 0x0C);
    EXPECT_TRUE(m_comms.SetPgm(0));
    EXPECT_EQ(m_port.Control() & 0x0C, 0x04);
    EXPECT_TRUE(m_comms.SetPgm(2));
    EXPECT_EQ(m_port.Control() & 0x0C, 0x04);
}

TEST_F(ParallelPort, RefusedTransfersGoUnreportedAndReadAsZero)
{
    OpenLpt();
    m_port.SetDevicePins(0xFF);
    m_port.SetRefuseTransfers(true);
    EXPECT_TRUE(m_comms.SetData(1));
    EXPECT_TRUE(m_comms.SetClock(1));
    EXPECT_TRUE(m_comms.SetPgm(1));
    EXPECT_EQ(m_comms.GetData(), 0);
    EXPECT_EQ(theParallel.ReadPortByte(kControl), 0);
}

TEST_F(ParallelPort, ControlCopyOutlivesThePort)
{
    OpenLpt();
    m_comms.SetClock(0);
    BYTE last = theLptControl;
    m_comms.Close();
    EXPECT_EQ(theLptControl, last);
    EXPECT_EQ(m_port.Control(), 0);
    // Closed: the line operations answer 0 and send nothing.
    m_port.ClearLog();
    EXPECT_EQ(m_comms.SetData(1), 0);
    EXPECT_EQ(m_comms.GetData(), 0);
    EXPECT_EQ(m_comms.SetClock(1), 0);
    EXPECT_EQ(m_comms.SetPgm(1), 0);
    EXPECT_TRUE(m_port.Log().empty());
}

TEST_F(ParallelPort, RequestsWithoutADriverOrWithTheirOwnHandle)
{
    CParallel::TransferRecord transfer = {};
    transfer.command = CParallel::kTransferRead;
    transfer.port = kControl;
    EXPECT_EQ(theParallel.DriverIoctl(CParallel::kRequestTransfer, NULL, &transfer, sizeof(transfer), FALSE), -1);
    CParallel::VersionRecord version = {};
    EXPECT_NE(theParallel.DriverIoctl(CParallel::kRequestVersion, NULL, &version, sizeof(version), TRUE), 0);
    EXPECT_EQ(version.version, 501u);
    EXPECT_EQ(m_port.OpenConnections(), 0);
    // A record of the wrong size is refused rather than overrun.
    EXPECT_EQ(theParallel.DriverIoctl(CParallel::kRequestVersion, NULL, &version, 4, TRUE), 0);
}

}  // namespace
