#include "tests/sim/QB2300Simulator.h"

#include <chrono>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "tests/support/RealClock.h"

namespace {

const size_t kReplyLength = 10;

const char* ReplyText(CQB2300Simulator::Reply reply, int stage)
{
    switch (reply) {
    case CQB2300Simulator::Reply::Success: return stage == 1 ? "FAT STUB\r\n" : "FLASH OK\r\n";
    case CQB2300Simulator::Reply::ResetError: return "RSET ERR\r\n";
    case CQB2300Simulator::Reply::EraseError: return "ERAS ERR\r\n";
    case CQB2300Simulator::Reply::ProgramError: return "PROG ERR\r\n";
    case CQB2300Simulator::Reply::Garbage: return "WHAT?!\r\n\r\n";
    case CQB2300Simulator::Reply::None: break;
    }
    return NULL;
}

}  // namespace

CQB2300Simulator::CQB2300Simulator() = default;

CQB2300Simulator::~CQB2300Simulator()
{
    Stop();
}

bool CQB2300Simulator::Start()
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
        return false;
    char name[128];
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0 || ptsname_r(m_master, name, sizeof name) != 0) {
        Stop();
        return false;
    }
    m_slavePath = name;
    // Without an open slave the master reads EIO between the host's runs; raw mode from the
    // start so that nothing is echoed before the host sets its own modes.
    m_slaveKeepAlive = open(name, O_RDWR | O_NOCTTY);
    if (m_slaveKeepAlive < 0) {
        Stop();
        return false;
    }
    termios modes;
    if (tcgetattr(m_slaveKeepAlive, &modes) == 0) {
        cfmakeraw(&modes);
        tcsetattr(m_slaveKeepAlive, TCSANOW, &modes);
    }
    m_stop = false;
    m_thread = std::thread([this] { Run(); });
    return true;
}

void CQB2300Simulator::Stop()
{
    {
        // Under the lock, so that a pause about to start cannot miss the wake-up and sleep out
        // its whole erase time.
        Lock lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    if (m_slaveKeepAlive >= 0)
        close(m_slaveKeepAlive);
    if (m_master >= 0)
        close(m_master);
    m_slaveKeepAlive = -1;
    m_master = -1;
}

void CQB2300Simulator::Reset()
{
    Lock lock(m_mutex);
    DropPendingBytes();
    BackToStage1();
    m_stage1.clear();
    m_lastStage1.clear();
    m_trailerValid = false;
    m_stage2Length = 0;
    m_stage2.clear();
    m_rescueCommands = 0;
    m_stage1Count = 0;
    m_completedRuns = 0;
    m_unexpected = 0;
}

void CQB2300Simulator::PressReset()
{
    Lock lock(m_mutex);
    m_changed.wait_for(lock, std::chrono::milliseconds(3000), [this] { return !m_busy; });
    DropPendingBytes();
    m_stage1.clear();
    BackToStage1();
}

// The accessors read best as a table, one per line.
// clang-format off
void CQB2300Simulator::SetBehaviour(const Behaviour& behaviour) { Lock lock(m_mutex); m_behaviour = behaviour; }
std::vector<BYTE> CQB2300Simulator::Stage1Bytes() const { Lock lock(m_mutex); return m_lastStage1; }
bool CQB2300Simulator::TrailerValid() const { Lock lock(m_mutex); return m_trailerValid; }
DWORD CQB2300Simulator::Stage2Length() const { Lock lock(m_mutex); return m_stage2Length; }
std::vector<BYTE> CQB2300Simulator::Stage2Bytes() const { Lock lock(m_mutex); return m_stage2; }
int CQB2300Simulator::RescueCommands() const { Lock lock(m_mutex); return m_rescueCommands; }
int CQB2300Simulator::Stage1Count() const { Lock lock(m_mutex); return m_stage1Count; }
int CQB2300Simulator::CompletedRuns() const { Lock lock(m_mutex); return m_completedRuns; }
size_t CQB2300Simulator::UnexpectedBytes() const { Lock lock(m_mutex); return m_unexpected; }
// clang-format on

bool CQB2300Simulator::WaitIdle(DWORD timeoutMs)
{
    Lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [this] { return m_state == State::Stage1 && m_stage1.empty() && !m_busy; });
}

void CQB2300Simulator::Run()
{
    BYTE buffer[4096];
    while (!m_stop) {
        pollfd fd = {m_master, POLLIN, 0};
        int ready = poll(&fd, 1, 5);
        Lock lock(m_mutex);
        if (m_state == State::Stalled) {
            // A stalled board reads nothing: the host's bytes stay in the line.
            Pause(lock, 5);
            continue;
        }
        if (ready > 0 && (fd.revents & POLLIN)) {
            ssize_t got = read(m_master, buffer, sizeof buffer);
            for (ssize_t i = 0; i < got && m_state != State::Stalled && !m_stop; ++i)
                OnByte(lock, buffer[i]);
        }
        // The stub has no length field: the boot loader takes the end of the stream as its end.
        if (m_state == State::Stage1 && !m_stage1.empty() && RealMs() - m_lastByteMs >= m_behaviour.idleMs)
            FinishStage1(lock);
    }
}

void CQB2300Simulator::OnByte(Lock& lock, BYTE b)
{
    if (++m_runBytes > m_behaviour.stallAfterBytes) {
        m_state = State::Stalled;
        return;
    }
    switch (m_state) {
    case State::Stage1:
        m_stage1.push_back(b);
        m_lastByteMs = RealMs();
        break;
    case State::RescueWait:
        if (b != 'X') {
            ++m_unexpected;
            break;
        }
        ++m_rescueCommands;
        m_busy = true;
        if (m_rescueStage == 1)
            Pause(lock, m_behaviour.eraseMs);
        Answer(lock, m_rescueStage);
        m_busy = false;
        m_changed.notify_all();
        break;
    case State::Stage2Length:
        m_lengthBytes[m_lengthCount++] = b;
        if (m_lengthCount == 4) {
            m_stage2Length = m_lengthBytes[0] | (m_lengthBytes[1] << 8) | (m_lengthBytes[2] << 16) |
                             ((DWORD)m_lengthBytes[3] << 24);
            m_stage2.clear();
            m_state = State::Stage2Data;
            if (m_stage2Length == 0)
                FinishStage2(lock);
        }
        break;
    case State::Stage2Data:
        m_stage2.push_back(b);
        if (m_stage2.size() == m_stage2Length)
            FinishStage2(lock);
        break;
    case State::Stalled: break;
    }
    m_changed.notify_all();
}

void CQB2300Simulator::FinishStage1(Lock& lock)
{
    m_lastStage1.swap(m_stage1);
    m_stage1.clear();
    ++m_stage1Count;
    size_t n = m_lastStage1.size();
    // The trailer is the stub's length plus 0x102, i.e. the whole transfer's length plus 0x100.
    WORD expected = (WORD)((n + 0x100) & 0xFFFF);
    m_trailerValid = n >= 2 && m_lastStage1[n - 2] == (expected >> 8) && m_lastStage1[n - 1] == (expected & 0xFF);
    if (!m_trailerValid) {
        BackToStage1();  // not a stub the loader will run: it stays silent
        return;
    }
    m_busy = true;
    m_rescueStage = 1;
    m_rescuesLeft = m_behaviour.stage1Rescues;
    Pause(lock, m_behaviour.eraseMs);
    Answer(lock, 1);
    m_busy = false;
    m_changed.notify_all();
}

void CQB2300Simulator::FinishStage2(Lock& lock)
{
    m_busy = true;
    m_rescueStage = 2;
    m_rescuesLeft = m_behaviour.stage2Rescues;
    Answer(lock, 2);
    m_busy = false;
    m_changed.notify_all();
}

void CQB2300Simulator::Answer(Lock& lock, int stage)
{
    if (m_rescuesLeft > 0) {
        --m_rescuesLeft;
        m_state = State::RescueWait;
        static const BYTE rescued[] = "RESCUED!\r\n";
        size_t n = m_behaviour.replyBytes < kReplyLength ? m_behaviour.replyBytes : kReplyLength;
        SendBytes(rescued, n);
        return;
    }
    Reply reply = stage == 1 ? m_behaviour.stage1Reply : m_behaviour.stage2Reply;
    SendReply(lock, reply, stage);
    if (reply == Reply::Success && stage == 1) {
        m_state = State::Stage2Length;
        m_lengthCount = 0;
        return;
    }
    if (reply == Reply::Success)
        ++m_completedRuns;
    BackToStage1();
}

void CQB2300Simulator::SendReply(Lock& lock, Reply reply, int stage)
{
    const char* text = ReplyText(reply, stage);
    if (!text)
        return;
    Pause(lock, m_behaviour.replyDelayMs);
    size_t n = m_behaviour.replyBytes < kReplyLength ? m_behaviour.replyBytes : kReplyLength;
    const BYTE* bytes = (const BYTE*)text;
    if (m_behaviour.replySplitGapMs == 0) {
        SendBytes(bytes, n);
        return;
    }
    size_t half = n / 2;
    SendBytes(bytes, half);
    Pause(lock, m_behaviour.replySplitGapMs);
    SendBytes(bytes + half, n - half);
}

void CQB2300Simulator::SendBytes(const BYTE* data, size_t length)
{
    while (length > 0 && m_master >= 0) {
        ssize_t done = write(m_master, data, length);
        if (done <= 0)
            return;
        data += done;
        length -= (size_t)done;
    }
}

void CQB2300Simulator::DropPendingBytes()
{
    // Both directions: what the host sent that the board has not read, and any answer the
    // host gave up on before it arrived, which the next opening of the port would read.
    if (m_master >= 0)
        tcflush(m_master, TCIOFLUSH);
    if (m_slaveKeepAlive >= 0)
        tcflush(m_slaveKeepAlive, TCIFLUSH);
}

void CQB2300Simulator::Pause(Lock& lock, DWORD ms)
{
    if (ms == 0)
        return;
    m_changed.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_stop.load(); });
}

void CQB2300Simulator::BackToStage1()
{
    m_state = State::Stage1;
    m_runBytes = 0;
    m_lengthCount = 0;
    m_changed.notify_all();
}
