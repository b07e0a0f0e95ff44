// The serial link and the target base against the simulated board: the handshake, the byte
// pacing in both directions, frames both ways, each fault the board can show, and the stop
// that ends every wait. The host's time-outs run on a virtual clock that only the board moves,
// so a failure that comes without the clock moving came from the link's error event.
#include <gtest/gtest.h>

#include <thread>

#include "platform/serial/ISerialPort.h"
#include "platform/threads/Synchronization.h"
#include "tests/targets/hyice/HyTestSupport.h"

using hytest::Frame;
using hytest::Header;
using hytest::MakeFrame;
using Behaviour = CHyBoardSimulator::Behaviour;

TEST_F(HyLinkTest, HandshakeAnswersEveryCarrierChangeAndTheResetIsAcknowledged)
{
    Behaviour behaviour;
    behaviour.handshakeRounds = 3;
    behaviour.resetReport = Frame{0x00, 0x87, 0x12345678, 0x200, {}, {}};
    board.SetBehaviour(behaviour);
    Connect();
    EXPECT_EQ(board.HandshakeRtsToggles(), 3);
    ASSERT_TRUE(board.WaitForHostFrames(1, 2000));
    // The acknowledgement echoes type, address and length, with no data.
    EXPECT_EQ(board.HostBytes(), Header(0x00, 0x87, 0x12345678, 0x200));

    SerialState state = device.State();
    EXPECT_EQ(state.baudRate, 115200u);
    EXPECT_EQ(state.byteSize, 8);
    EXPECT_EQ(state.parity, NOPARITY);
    EXPECT_EQ(state.stopBits, ONESTOPBIT);
    EXPECT_FALSE(state.outxCtsFlow);
    EXPECT_EQ(state.dtrControl, DTR_CONTROL_DISABLE);
    EXPECT_EQ(device.Timeouts().readInterval, MAXDWORD);
}

TEST_F(HyLinkTest, EveryByteIsAcknowledgedBeforeTheNextOneGoes)
{
    Connect();
    std::vector<BYTE> block(268);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = (BYTE)(i * 13 + 1);
    CHyMessage* write = MakeFrame(0x18, 0x01, 0x8000, 268, block);
    CHyMessage* reply = NULL;
    EXPECT_TRUE(target.Transact(write, &reply));
    ASSERT_NE(reply, nullptr);
    EXPECT_EQ(reply->m_dwAddress, 0u);
    reply->Destroy();
    write->Destroy();

    CHyMessage* read = MakeFrame(0x07, 0x10, 0x8000, 268);
    EXPECT_TRUE(target.Transact(read, &reply));
    ASSERT_NE(reply, nullptr);
    ASSERT_EQ(reply->m_nDataSize, 268u);
    EXPECT_EQ(std::vector<BYTE>(reply->m_pData.get(), reply->m_pData.get() + 268), block);
    reply->Destroy();
    read->Destroy();

    EXPECT_EQ(board.Memory(0x8000, 268), block);
    EXPECT_TRUE(board.WaitSent(2000));
    EXPECT_EQ(board.UnpacedHostBytes(), 0u);
    EXPECT_EQ(board.BoardBytesAcknowledged(), board.BoardBytesSent());
    EXPECT_EQ(board.BoardBytesSent(), 12u + 12u + 12u + 268u);
}

TEST_F(HyLinkTest, SetRegisterIsOneTransactionAndAStrayAnswerIsHandedOver)
{
    Connect();
    EXPECT_TRUE(target.SetRegister(22, 0x40001000, 0x9164));
    ASSERT_TRUE(board.WaitForHostFrames(2, 2000));
    std::vector<BYTE> expected = Header(0x01, 0x04, 0x9164, 8);
    expected.insert(expected.end(), {0, 0, 0, 0x16, 0x40, 0x00, 0x10, 0x00});
    EXPECT_EQ(board.HostFrames()[1].wire, expected);
    EXPECT_EQ(board.Registers()[22], 0x40001000u);

    board.SetResponder([](const Frame&) { return std::vector<Frame>{Frame{0x00, 0x85, 0, 0, {}, {}}}; });
    CHyMessage* request = MakeFrame(0x04, 0x01, 0, 8, {0, 0, 0, 23, 0xC0, 0, 0, 0});
    CHyMessage* reply = NULL;
    EXPECT_FALSE(target.Transact(request, &reply));
    ASSERT_NE(reply, nullptr);
    EXPECT_EQ(reply->m_byType, 0x85);
    reply->Destroy();
    request->Destroy();
}

TEST_F(HyLinkTest, BoardFramesAreAnsweredByTheirEchoOrANegativeAnswer)
{
    Connect();
    struct Case {
        std::vector<BYTE> sent;
        std::vector<BYTE> answer;
    } cases[] = {
        {Header(0x00, 0x87, 0x9164, 0), Header(0x00, 0x87, 0x9164, 0)},
        {Header(0x00, 0x81, 0, 0), Header(0x00, 0x81, 0, 0)},
        {Header(0x00, 0x89, 5, 6), Header(0x00, 0x80, 0, 0)},
        {{0x55, 0xAA, 0x00, 0x87, 0, 0, 0, 1, 0, 0, 0, 2}, Header(0x00, 0x80, 0, 0)},
        // Flags 0: complete after 12 bytes whatever the length; flags 1 with length 0 too.
        {Header(0x00, 0x85, 0, 200), Header(0x00, 0x85, 0, 200)},
        {Header(0x01, 0x85, 3, 0), Header(0x00, 0x85, 3, 0)},
    };
    size_t frames = 1;
    for (const Case& c : cases) {
        board.SendRaw(c.sent);
        CHyMessage* received = NULL;
        EXPECT_TRUE(target.ReceiveAndAck(&received));
        ASSERT_NE(received, nullptr);
        EXPECT_EQ(received->m_nByteCount, 12);
        received->Destroy();
        ASSERT_TRUE(board.WaitForHostFrames(++frames, 2000));
        EXPECT_EQ(board.HostFrames().back().wire, c.answer);
    }
}

TEST_F(HyLinkTest, AFrameTheBoardSendsRightAfterItsAnswerIsNotLost)
{
    Connect();
    board.SetResponder([this](const Frame& request) {
        std::vector<Frame> answers = board.DefaultAnswer(request);
        // The board reports the start (0x87) by itself; a request follows at once.
        if (request.type == 0x0C)
            answers.push_back(Frame{0x01, 0x85, 0x40, 2, {0x00, 0x0A}, {}});
        return answers;
    });
    CHyMessage* start = MakeFrame(0x0C, 0x00, 0x9164, 0);
    CHyMessage* reply = NULL;
    EXPECT_TRUE(target.Transact(start, &reply));
    reply->Destroy();
    start->Destroy();
    // Both board frames complete before the host asks for them; both come, in order.
    EXPECT_TRUE(board.WaitSent(2000));
    for (BYTE type : {0x87, 0x85}) {
        CHyMessage* received = NULL;
        EXPECT_TRUE(target.ReceiveAndAck(&received));
        ASSERT_NE(received, nullptr);
        EXPECT_EQ(received->m_byType, type);
        received->Destroy();
    }
}

TEST_F(HyLinkTest, AFrameReportedSentReachesTheBoardWholeWhenTheLinkClosesAtOnce)
{
    Connect();
    // After the reset's 12-byte echo, the negative answer's last byte is held up on its way out.
    device.HoldWrite(12 + 12, 50);
    CHyMessage* nak = MakeFrame(0x80, 0x00, 0, 0);
    EXPECT_TRUE(target.Send(nak));
    EXPECT_TRUE(target.CloseComms());
    nak->Destroy();
    ASSERT_TRUE(board.WaitTaken(2000));
    EXPECT_EQ(board.HostFrames().back().wire, Header(0x00, 0x80, 0, 0));
}

TEST_F(HyLinkTest, EachBoardFaultFailsTheExchange)
{
    enum class Ends { TimeOut, AtOnce };
    using Responder = CHyBoardSimulator::Responder;
    struct Case {
        const char* name;
        Behaviour behaviour;
        Responder responder;  // NULL: the board's own answers
        Ends ends;
        int fault;  // the link's failure code; 0 when the link stays sound
    };
    Behaviour lostAck;
    lostAck.ackedHostBytes = 12 + 12 + 5;  // the reset echo, the request header, 5 data bytes
    Behaviour pulled;
    pulled.disconnectAtHostByte = 12 + 20;
    Responder silent = [](const Frame&) { return std::vector<Frame>(); };
    // The answer's header announces 269 data bytes (none follow). It comes as the answer, not
    // before the request: a link failure between two exchanges is cleared by the next Send,
    // which then runs into its time-out.
    Responder tooLong = [](const Frame&) { return std::vector<Frame>{Frame{0x01, 0x85, 0, 269, {}, {}}}; };
    Case cases[] = {
        {"lost acknowledgement", lostAck, nullptr, Ends::TimeOut, 0},
        {"no answer", Behaviour(), silent, Ends::TimeOut, 0},
        {"disconnected mid-transfer", pulled, nullptr, Ends::AtOnce, -1},
        {"length above the maximum", Behaviour(), tooLong, Ends::AtOnce, CHySerialIf::errFrameTooLong},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        board.SetBehaviour(c.behaviour);
        board.SetResponder(nullptr);
        device.SetDisconnected(false);
        Connect();
        board.SetResponder(c.responder);
        CHyMessage* write = MakeFrame(0x18, 0x01, 0x8000, 100, std::vector<BYTE>(100, 0x5A));
        CHyMessage* reply = NULL;
        uint64_t elapsed = Elapsed([&] { EXPECT_FALSE(target.Transact(write, &reply)); });
        if (reply)
            reply->Destroy();
        if (c.ends == Ends::TimeOut) {
            EXPECT_GE(elapsed, target.Timeout());
            EXPECT_LT(elapsed, 2u * target.Timeout());
        } else {
            EXPECT_LT(elapsed, target.Timeout());
        }
        if (c.fault > 0)
            EXPECT_EQ(target.Link().GetLastFault(), c.fault);
        else if (c.fault < 0)
            EXPECT_NE(target.Link().GetLastFault(), 0);
        else
            EXPECT_EQ(target.Link().GetLastFault(), 0);
        if (c.ends == Ends::TimeOut && !c.responder) {
            // The frame is still being sent: a second one is refused without waiting out the
            // time-out (the board thread may move the virtual clock on meanwhile).
            CHyMessage* next = MakeFrame(0x0D, 0x00, 0, 0);
            EXPECT_LT(Elapsed([&] { EXPECT_FALSE(target.Send(next)); }), target.Timeout());
            EXPECT_EQ(next->GetRefCount(), 1);
            next->Destroy();
        }
        write->Destroy();
        EXPECT_TRUE(target.CloseComms());
        EXPECT_FALSE(device.IsOpen());
        EXPECT_EQ(CWorkerThread::LiveCount(), 0);
    }
}

TEST_F(HyLinkTest, ASilentBoardOrABadResetReportFailsTheReset)
{
    struct Case {
        const char* name;
        bool silent;
        std::vector<BYTE> report;
        std::vector<BYTE> answer;  // what the host sends back; empty: nothing
        bool timesOut;
    } cases[] = {
        {"silent", true, {}, {}, true},
        {"bad sync", false, {0xAA, 0x55, 0x00, 0x87, 0, 0, 0, 0, 0, 0, 0, 0}, Header(0x00, 0x80, 0, 0), false},
        {"other type", false, Header(0x00, 0x85, 1, 0), Header(0x00, 0x80, 0, 0), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Behaviour behaviour;
        behaviour.silent = c.silent;
        behaviour.resetReportRaw = c.report;
        board.SetBehaviour(behaviour);
        size_t before = board.HostFrames().size();
        ASSERT_TRUE(target.OpenComms("COM3:"));
        ui.ExpectMessage(hytest::kResetPrompt, MB_OK, IDOK, [this] { board.PressReset(); });
        uint64_t elapsed = Elapsed([&] { EXPECT_FALSE(target.WaitForReset()); });
        ui.VerifyAndClear();
        EXPECT_EQ(elapsed >= target.Timeout(), c.timesOut);
        if (!c.answer.empty()) {
            ASSERT_TRUE(board.WaitForHostFrames(before + 1, 2000));
            EXPECT_EQ(board.HostFrames().back().wire, c.answer);
        }
        target.CloseComms();
    }
}

// Close while the workers wait in every way they can: it returns promptly and every thread
// has ended, whatever the board does.
TEST_F(HyLinkTest, CloseEndsEveryWait)
{
    // Queues a fill frame and waits (real time) until the board has had `hostBytes` bytes
    // since its reset; the link keeps the frame it is still sending.
    auto QueueFrame = [this](size_t hostBytes) {
        CHyMessage* frame = MakeFrame(0x06, 0x00, 0x9908, 0x88);
        frame->AddRef();
        EXPECT_TRUE(target.Link().Send(frame));
        frame->Destroy();
        for (int tries = 0; tries < 2000 && board.HostBytesSinceReset() < hostBytes; ++tries)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_EQ(board.HostBytesSinceReset(), hostBytes);
    };
    struct Case {
        const char* name;
        std::function<void()> arrange;
    } cases[] = {
        {"waiting for the board's first carrier change", [] {}},
        {"handshaking, no character yet", [this] { device.SetCarrier(true); }},
        {"idle link after the reset", [this] { Connect(); }},
        {"waiting for a byte's acknowledgement",
         [this, QueueFrame] {
             Behaviour behaviour;
             behaviour.ackedHostBytes = 12 + 3;
             board.SetBehaviour(behaviour);
             Connect();
             QueueFrame(12 + 3);
         }},
        {"inside a write the device does not take",
         [this, QueueFrame] {
             Connect();
             // The reset's echo may still be on its way when the reset is reported: the limit
             // counts from its last byte.
             for (int tries = 0; tries < 2000 && board.HostBytesSinceReset() < 12; ++tries)
                 std::this_thread::sleep_for(std::chrono::milliseconds(1));
             device.SetReceiveLimit(device.Received().size() + 4);
             QueueFrame(12 + 4);
         }},
        {"after the read thread failed",
         [this] {
             Connect();
             board.SendRaw(Header(0x01, 0x85, 0, 0x10000));
             CHyMessage* received = NULL;
             EXPECT_FALSE(target.Receive(&received));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        board.SetBehaviour(Behaviour());
        device.SetReceiveLimit((size_t)-1);
        ASSERT_TRUE(target.OpenComms("COM3:"));
        int64_t arranged = RealMs();
        c.arrange();
        EXPECT_LT(RealMs() - arranged, 1000) << "arranging waited for a time-out";
        int64_t start = RealMs();
        EXPECT_TRUE(target.CloseComms());
        EXPECT_LT(RealMs() - start, 1000);
        EXPECT_EQ(CWorkerThread::LiveCount(), 0);
        EXPECT_FALSE(device.IsOpen());
    }
}

TEST_F(HyLinkTest, OpeningAgainAndAgainStartsClean)
{
    CHySerialIf& link = target.Link();
    ASSERT_TRUE(target.OpenComms("COM3:"));
    EXPECT_TRUE(target.OpenComms("COM3:"));  // already open: nothing changes
    EXPECT_EQ(device.ConnectCount(), 1);
    EXPECT_TRUE(target.CloseComms());
    EXPECT_FALSE(target.CloseComms());

    for (int round = 0; round < 10; ++round) {
        Connect();
        // A frame left untaken in one session is not delivered in the next.
        board.SendRaw(Header(0x00, 0x85, (DWORD)round, 0));
        EXPECT_TRUE(board.WaitSent(2000));
        EXPECT_TRUE(target.CloseComms());
        EXPECT_EQ(CWorkerThread::LiveCount(), 0);
    }
    Connect();
    CHyMessage* stale = link.GetReceivedMessage();
    EXPECT_EQ(stale, nullptr);
    if (stale)
        stale->Destroy();
    EXPECT_EQ(device.ConnectCount(), 12);
}

TEST_F(HyLinkTest, OpenFailuresLeaveNothingOpen)
{
    CHySerialIf& link = target.Link();
    HANDLE events[3] = {CreateEvent(NULL, FALSE, FALSE, NULL), CreateEvent(NULL, FALSE, FALSE, NULL),
                        CreateEvent(NULL, FALSE, FALSE, NULL)};
    link.SetParameter(CHySerialIf::paramPortName, "COM9:");
    EXPECT_EQ(link.Open(events[0], events[1], events[2]), CHySerialIf::errOpenPort);

    link.SetParameter(CHySerialIf::paramPortName, "COM3:");
    device.SetStateWorks(false);
    EXPECT_EQ(link.Open(events[0], events[1], events[2]), -1);
    EXPECT_FALSE(device.IsOpen());
    EXPECT_FALSE(link.IsOpen());
    device.SetStateWorks(true);

    // Whichever of the three threads cannot be had, the open fails and the others end.
    for (int started = 0; started < 3; ++started) {
        CWorkerThread::FailNextStarts(1, started);
        EXPECT_EQ(link.Open(events[0], events[1], events[2]), CHySerialIf::errOpenPort);
        EXPECT_FALSE(device.IsOpen());
        EXPECT_FALSE(link.IsOpen());
        EXPECT_EQ(CWorkerThread::LiveCount(), 0);
    }
    CWorkerThread::FailNextStarts(0);

    EXPECT_FALSE(target.OpenComms("COM9:"));
    EXPECT_FALSE(target.CloseComms());
    for (HANDLE event : events)
        CloseHandle(event);
}

TEST(HyICETarget, ResourcesFilterAndOptions)
{
    CTestIceTarget target;
    CString name;
    for (int index = 0; index < 4; ++index) {
        ASSERT_TRUE(target.GetResourceName(index, name));
        EXPECT_EQ(name, CString("COM") + (char)('1' + index) + ":");
    }
    name = "unchanged";
    EXPECT_FALSE(target.GetResourceName(4, name));
    EXPECT_EQ(name, "unchanged");
    CString filter;
    EXPECT_FALSE(target.GetFileFilter(filter));
    EXPECT_EQ(filter, "hye Files (*.hye)|*.hye|");
    EXPECT_EQ(target.LoadOptions(), 1);
    EXPECT_EQ(target.Link().GetMaxDataSize(), 268);
    CFakeSerialDevice device("COM4:");
    EXPECT_TRUE(target.Link().IsSerialPortPresent());
}
