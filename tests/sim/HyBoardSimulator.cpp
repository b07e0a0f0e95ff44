#include "tests/sim/HyBoardSimulator.h"

#include <algorithm>
#include <chrono>

#include <pthread.h>
#include <time.h>

#include "platform/testing/VirtualClock.h"
#include "tests/support/FakeSerialDevice.h"
#include "tests/support/RealClock.h"

namespace {

const BYTE kSync = 0xAA;
const BYTE kFlagData = 0x01;
const DWORD kClockStepMs = 50;
// How far the board moves the clock on for one fault, at most: past any time-out of a host
// that waits once, short of one that waits twice. Without the cap a host thread held up after
// its time-out would find the clock far beyond it, and a test of how long the wait lasted
// would fail for the load on the machine.
const uint64_t kLongestWaitMs = 8000;
// Real time without any activity after which the board moves a virtual clock on anyway, so
// that a host waiting for a time-out nobody expected fails its test instead of hanging it.
const uint64_t kIdleWatchdogMs = 2000;

DWORD BigEndian(const BYTE* p)
{
    return ((DWORD)p[0] << 24) | ((DWORD)p[1] << 16) | ((DWORD)p[2] << 8) | p[3];
}

void PutBigEndian(std::vector<BYTE>& out, DWORD value)
{
    out.push_back((BYTE)(value >> 24));
    out.push_back((BYTE)(value >> 16));
    out.push_back((BYTE)(value >> 8));
    out.push_back((BYTE)value);
}

}  // namespace

std::vector<BYTE> CHyBoardSimulator::Frame::Wire() const
{
    std::vector<BYTE> bytes = {kSync, kSync, flags, type};
    PutBigEndian(bytes, address);
    PutBigEndian(bytes, length);
    if (flags & kFlagData)
        bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
}

CHyBoardSimulator::CHyBoardSimulator(CFakeSerialDevice& device, CVirtualClock* clock) : m_device(device), m_clock(clock)
{
    m_lastActivityMs = RealMs();
    // The observers run on the host's threads, inside its port calls.
    m_device.OnReceived([this](const BYTE* data, size_t length) {
        Lock lock(m_mutex);
        for (size_t i = 0; i < length; ++i) {
            if (m_unacked > 0)
                ++m_unpaced;
            ++m_unacked;
            ++m_hostBytesQueued;
            Event event(Event::HostByte);
            event.byte = data[i];
            m_events.push_back(event);
        }
        m_changed.notify_all();
    });
    m_device.OnLinesChanged([this](bool, bool rts) {
        Event event(Event::RtsLevel);
        event.level = rts;
        Post(event);
    });
    m_thread = std::thread([this] { Run(); });
}

CHyBoardSimulator::~CHyBoardSimulator()
{
    {
        Lock lock(m_mutex);
        m_stop = true;
        m_changed.notify_all();
    }
    m_thread.join();
    m_device.OnReceived(nullptr);
    m_device.OnLinesChanged(nullptr);
}

void CHyBoardSimulator::Post(Event event)
{
    Lock lock(m_mutex);
    m_events.push_back(std::move(event));
    m_changed.notify_all();
}

void CHyBoardSimulator::PressReset()
{
    Post(Event(Event::Reset));
}

void CHyBoardSimulator::SendFrame(const Frame& frame)
{
    SendRaw(frame.Wire());
}

void CHyBoardSimulator::SendRaw(const std::vector<BYTE>& bytes)
{
    Event event(Event::Bytes);
    event.bytes = bytes;
    Post(event);
}

void CHyBoardSimulator::Run()
{
    Lock lock(m_mutex);
    while (!m_stop) {
        if (!m_events.empty()) {
            Event event = std::move(m_events.front());
            m_events.pop_front();
            m_lastActivityMs = RealMs();
            Handle(lock, event);
            m_changed.notify_all();
            continue;
        }
        MoveClockWhileQuiet();
        bool movingClock = m_clock && m_quiet && m_quietMovedMs < kLongestWaitMs;
        m_changed.wait_for(lock, std::chrono::milliseconds(movingClock ? 1 : 100));
    }
}

void CHyBoardSimulator::MoveClockWhileQuiet()
{
    // The wait belongs to the host's connection: once the host has closed its port (and
    // perhaps opened it again) it waits for nothing, and moving the clock on would only run
    // down whatever the test measures next, before the board's next fault.
    if (m_quiet && (!m_device.IsOpen() || m_device.ConnectCount() != m_quietConnection))
        m_quiet = false;
    if (!m_clock)
        return;
    if (m_quiet && m_quietMovedMs < kLongestWaitMs) {
        m_clock->Advance(kClockStepMs);
        m_quietMovedMs += kClockStepMs;
    } else if (RealMs() - m_lastActivityMs > kIdleWatchdogMs) {
        m_clock->Advance(kClockStepMs);
    }
}

void CHyBoardSimulator::BeQuiet()
{
    if (!m_quiet)
        m_quietMovedMs = 0;
    m_quiet = true;
    m_quietConnection = m_device.ConnectCount();
}

void CHyBoardSimulator::Handle(Lock& lock, const Event& event)
{
    switch (event.kind) {
    case Event::HostByte:
        --m_hostBytesQueued;
        OnHostByte(lock, event.byte);
        break;
    case Event::RtsLevel:
        if (event.level != m_rts) {
            m_rts = event.level;
            OnRtsChange();
        }
        break;
    case Event::Reset:
        m_program = ProgramState::None;
        m_imageAsked = 0;
        m_requestNumber = 0;
        m_out.clear();
        m_awaitingAck = false;
        m_assembling.clear();
        m_quiet = false;
        m_hostByteCount = 0;
        if (m_behaviour.silent) {
            m_state = State::Silent;
            BeQuiet();
            break;
        }
        m_state = State::Handshake;
        m_roundsLeft = m_behaviour.handshakeRounds - 1;
        ToggleCarrier();
        break;
    case Event::Bytes:
        m_out.insert(m_out.end(), event.bytes.begin(), event.bytes.end());
        if (m_state == State::Running)
            SendNextByte();
        break;
    }
}

void CHyBoardSimulator::OnRtsChange()
{
    if (m_state == State::Handshake) {
        ++m_handshakeToggles;
        if (m_roundsLeft > 0) {
            --m_roundsLeft;
            ToggleCarrier();
            return;
        }
        // The first byte of the reset report ends the handshake.
        m_state = State::Running;
        std::vector<BYTE> report = m_behaviour.resetReportRaw.empty() ? m_behaviour.resetReport.Wire()
                                                                      : m_behaviour.resetReportRaw;
        m_out.insert(m_out.begin(), report.begin(), report.end());
        SendNextByte();
        return;
    }
    if (m_state == State::Running && m_awaitingAck) {
        m_awaitingAck = false;
        ++m_acked;
        SendNextByte();
    }
}

void CHyBoardSimulator::SendNextByte()
{
    if (m_awaitingAck || m_out.empty())
        return;
    BYTE b = m_out.front();
    m_out.pop_front();
    m_awaitingAck = true;
    ++m_sent;
    m_device.Send(&b, 1);
}

void CHyBoardSimulator::ToggleCarrier()
{
    // Relative to the line as it is: a test may have moved it itself.
    m_device.SetCarrier(!m_device.Carrier());
}

void CHyBoardSimulator::OnHostByte(Lock& lock, BYTE b)
{
    ++m_hostByteCount;
    m_hostBytes.push_back(b);
    if (m_hostByteCount == m_behaviour.disconnectAtHostByte) {
        m_device.SetDisconnected(true);
        return;
    }
    if (m_state != State::Handshake && m_state != State::Running)
        return;
    if (m_hostByteCount >= m_behaviour.ackedHostBytes) {
        BeQuiet();
        return;
    }
    m_quiet = false;
    --m_unacked;
    ToggleCarrier();
    m_assembling.push_back(b);
    if (m_assembling.size() < 12)
        return;
    DWORD length = BigEndian(&m_assembling[8]);
    size_t needed = 12 + ((m_assembling[2] & kFlagData) ? (size_t)length : 0);
    if (m_assembling.size() == needed)
        OnHostFrame(lock);
}

void CHyBoardSimulator::OnHostFrame(Lock&)
{
    Frame frame;
    frame.wire = m_assembling;
    frame.flags = m_assembling[2];
    frame.type = m_assembling[3];
    frame.address = BigEndian(&m_assembling[4]);
    frame.length = BigEndian(&m_assembling[8]);
    frame.data.assign(m_assembling.begin() + 12, m_assembling.end());
    m_assembling.clear();
    m_hostFrames.push_back(frame);
    std::vector<Frame> answers = m_responder ? m_responder(frame) : DefaultAnswer(frame);
    if (answers.empty() && frame.type >= 0x03 && frame.type <= 0x1A)
        BeQuiet();  // the host waits for an answer that does not come
    for (const Frame& answer : answers) {
        std::vector<BYTE> wire = answer.Wire();
        m_out.insert(m_out.end(), wire.begin(), wire.end());
    }
    SendNextByte();
}

std::vector<CHyBoardSimulator::Frame> CHyBoardSimulator::DefaultAnswer(const Frame& request)
{
    if (request.type < 0x03 || request.type > 0x1A)
        return {};
    Frame answer{0, request.type, 0, 0, {}, {}};
    std::vector<Frame> after;
    switch (request.type) {
    case 0x03:
    case 0x18:
        for (size_t i = 0; i < request.data.size(); ++i)
            m_memory[request.address + (DWORD)i] = request.data[i];
        break;
    case 0x0C:
        m_program = ProgramState::Stopped;
        after.push_back(Frame{0, 0x87, request.address, 0, {}, {}});
        break;
    case 0x0D:
        if (m_program == ProgramState::Stopped && request.length == 1)
            m_program = ProgramState::Releasing;
        else if (m_program == ProgramState::Releasing && request.length == 0)
            RunProgram(after);
        break;
    case 0x1A: AfterReply(after); break;
    case 0x04:
        if (request.data.size() >= 8)
            m_registers[request.data[3]] = BigEndian(&request.data[4]);
        break;
    case 0x06:
        for (DWORD i = 0; i < request.length; ++i)
            m_memory[request.address + i] = 0;
        break;
    case 0x07:
        answer.flags = kFlagData;
        answer.address = request.address;
        answer.length = request.length;
        for (DWORD i = 0; i < request.length; ++i) {
            auto found = m_memory.find(request.address + i);
            answer.data.push_back(found == m_memory.end() ? 0xFF : found->second);
        }
        break;
    default: break;
    }
    std::vector<Frame> answers{answer};
    answers.insert(answers.end(), after.begin(), after.end());
    return answers;
}

void CHyBoardSimulator::RunProgram(std::vector<Frame>& answers)
{
    if (m_behaviour.program.startupRequests) {
        answers.push_back(StartupRequest(10));
        m_program = ProgramState::AwaitingReply10;
    } else {
        StartImaging(answers);
    }
}

void CHyBoardSimulator::StartImaging(std::vector<Frame>& answers)
{
    if (m_behaviour.program.flashProgrammer) {
        answers.push_back(ImageRequest());
        m_program = ProgramState::Imaging;
    } else {
        m_program = ProgramState::Done;
    }
}

void CHyBoardSimulator::AfterReply(std::vector<Frame>& answers)
{
    const Program& program = m_behaviour.program;
    switch (m_program) {
    case ProgramState::AwaitingReply10:
        answers.push_back(StartupRequest(11));
        m_program = ProgramState::AwaitingReply11;
        break;
    case ProgramState::AwaitingReply11: StartImaging(answers); break;
    case ProgramState::Imaging:
        if (m_imageAsked >= program.flashSize) {
            answers.push_back(Frame{0, 0x81, 0, 0, {}, {}});
            m_program = ProgramState::Done;
        } else {
            answers.push_back(ImageRequest());
        }
        break;
    default: break;
    }
}

CHyBoardSimulator::Frame CHyBoardSimulator::StartupRequest(WORD code) const
{
    // Code, a second word, a long and two words, then data of the request's own.
    std::vector<BYTE> record = {(BYTE)(code >> 8), (BYTE)code, 0x00, 0x01};
    PutBigEndian(record, 0x00010000u + code);
    record.insert(record.end(), {0x02, (BYTE)code, 0x00, 0x00, 0xDE, 0xAD, 0xBE, 0xEF});
    return Frame{0x01, 0x85, m_behaviour.program.requestAddress, (DWORD)record.size(), record, {}};
}

CHyBoardSimulator::Frame CHyBoardSimulator::ImageRequest()
{
    const Program& program = m_behaviour.program;
    DWORD count = std::min(program.requestSize, program.flashSize - m_imageAsked);
    ++m_requestNumber;
    std::vector<BYTE> record = {0x00, 0x03, 0x00, 0x00, 0, 0, 0, 0, (BYTE)(m_requestNumber >> 8), (BYTE)m_requestNumber,
                                0x00, 0x00};
    PutBigEndian(record, program.flashBase + m_imageAsked);
    PutBigEndian(record, count);
    m_imageAsked += count;
    return Frame{0x01, 0x85, program.requestAddress, (DWORD)record.size(), record, {}};
}

// The accessors read best as a table, one per line.
// clang-format off
void CHyBoardSimulator::SetBehaviour(const Behaviour& behaviour) { Lock lock(m_mutex); m_behaviour = behaviour; }
void CHyBoardSimulator::SetResponder(Responder responder) { Lock lock(m_mutex); m_responder = std::move(responder); }
std::vector<CHyBoardSimulator::Frame> CHyBoardSimulator::HostFrames() const { Lock lock(m_mutex); return m_hostFrames; }
std::vector<BYTE> CHyBoardSimulator::HostBytes() const { Lock lock(m_mutex); return m_hostBytes; }
size_t CHyBoardSimulator::HostBytesSinceReset() const { Lock lock(m_mutex); return m_hostByteCount; }
int CHyBoardSimulator::HandshakeRtsToggles() const { Lock lock(m_mutex); return m_handshakeToggles; }
size_t CHyBoardSimulator::UnpacedHostBytes() const { Lock lock(m_mutex); return m_unpaced; }
size_t CHyBoardSimulator::BoardBytesSent() const { Lock lock(m_mutex); return m_sent; }
size_t CHyBoardSimulator::BoardBytesAcknowledged() const { Lock lock(m_mutex); return m_acked; }
std::map<BYTE, DWORD> CHyBoardSimulator::Registers() const { Lock lock(m_mutex); return m_registers; }
// clang-format on

std::vector<BYTE> CHyBoardSimulator::Memory(DWORD address, DWORD length) const
{
    Lock lock(m_mutex);
    std::vector<BYTE> bytes;
    for (DWORD i = 0; i < length; ++i) {
        auto found = m_memory.find(address + i);
        bytes.push_back(found == m_memory.end() ? 0xFF : found->second);
    }
    return bytes;
}

void CHyBoardSimulator::SetMemory(DWORD address, const std::vector<BYTE>& bytes)
{
    Lock lock(m_mutex);
    for (size_t i = 0; i < bytes.size(); ++i)
        m_memory[address + (DWORD)i] = bytes[i];
}

bool CHyBoardSimulator::WaitForHostFrames(size_t count, DWORD timeoutMs) const
{
    Lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_hostFrames.size() >= count; });
}

bool CHyBoardSimulator::WaitSent(DWORD timeoutMs) const
{
    Lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return m_events.empty() && m_out.empty() && !m_awaitingAck; });
}

bool CHyBoardSimulator::WaitTaken(DWORD timeoutMs) const
{
    Lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_hostBytesQueued == 0; });
}

double CHyBoardSimulator::CpuSeconds() const
{
    clockid_t id;
    timespec used;
    if (pthread_getcpuclockid(const_cast<std::thread&>(m_thread).native_handle(), &id) != 0 ||
        clock_gettime(id, &used) != 0)
        return 0;
    return (double)used.tv_sec + (double)used.tv_nsec / 1e9;
}
