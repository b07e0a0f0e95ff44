#include "tests/sim/TessarThickSimulator.h"

#include <cstdlib>

namespace {

const size_t kPieceChars = 64;
const size_t kFieldChars = 4;

bool ParseCount(const std::string& field, size_t& count)
{
    char* end = NULL;
    unsigned long value = strtoul(field.c_str(), &end, 16);
    if (field.size() != kFieldChars || end != field.c_str() + field.size())
        return false;
    count = value;
    return true;
}

}  // namespace

CTessarThickSimulator::CTessarThickSimulator() = default;

CTessarThickSimulator::~CTessarThickSimulator()
{
    Stop();
}

void CTessarThickSimulator::SetBehaviour(const Behaviour& behaviour)
{
    Lock lock(m_mutex);
    m_behaviour = behaviour;
}

void CTessarThickSimulator::OnReset()
{
    m_state = State::Idle;
    m_field.clear();
    m_downloads.clear();
    m_jumps.clear();
    m_commands = 0;
    m_pieces = 0;
    m_echoes = 0;
    m_jumpsTried = 0;
    m_unexpected = 0;
}

bool CTessarThickSimulator::IsFault(Fault fault, int index) const
{
    return m_behaviour.fault == fault && m_behaviour.faultAt == index;
}

void CTessarThickSimulator::OnByte(BYTE b)
{
    switch (m_state) {
    case State::Idle: {
        if (b != '#') {
            ++m_unexpected;
            return;
        }
        int command = m_commands++;
        m_state = State::Count;
        m_field.clear();
        if (!IsFault(Fault::NoPrompt, command))
            Send(IsFault(Fault::WrongPrompt, command) ? '?' : '>');
        return;
    }
    case State::Count:
        m_field += (char)b;
        if (m_field.size() == kFieldChars)
            EndCount();
        return;
    case State::Address:
        m_downloads.back().address += (char)b;
        if (m_downloads.back().address.size() == kFieldChars) {
            m_state = State::Data;
            m_pieceChars = 0;
        }
        return;
    case State::Data:
        m_downloads.back().text += (char)b;
        if (++m_pieceChars == kPieceChars || m_downloads.back().text.size() == m_wanted)
            EndPiece();
        return;
    case State::JumpAddress:
        OnJumpCharacter((char)b);
        return;
    }
}

void CTessarThickSimulator::EndCount()
{
    size_t count = 0;
    std::string field;
    field.swap(m_field);
    if (!ParseCount(field, count)) {
        ++m_unexpected;
        m_state = State::Idle;
        return;
    }
    if (count == 0) {
        m_state = State::JumpAddress;
        return;
    }
    Download download;
    download.count = field;
    m_downloads.push_back(download);
    m_wanted = 4 * count;
    m_state = State::Address;
}

void CTessarThickSimulator::EndPiece()
{
    int piece = m_pieces++;
    m_pieceChars = 0;
    if (m_downloads.back().text.size() == m_wanted) {
        m_downloads.back().complete = true;
        m_state = State::Idle;
    }
    if (!IsFault(Fault::NoAck, piece))
        Send(IsFault(Fault::WrongAck, piece) ? '?' : '.');
}

void CTessarThickSimulator::OnJumpCharacter(char ch)
{
    int echo = m_echoes++;
    m_field += ch;
    if (!IsFault(Fault::NoEcho, echo))
        Send(IsFault(Fault::WrongEcho, echo) ? (BYTE)(ch ^ 0x20) : (BYTE)ch);
    if (m_field.size() < kFieldChars)
        return;
    int jump = m_jumpsTried++;
    m_state = State::Idle;
    if (IsFault(Fault::NoDone, jump))
        return;
    if (IsFault(Fault::WrongDone, jump)) {
        Send('?');
        return;
    }
    m_jumps.push_back(m_field);
    Send('!');
}

std::vector<CTessarThickSimulator::Download> CTessarThickSimulator::Downloads() const
{
    Lock lock(m_mutex);
    return m_downloads;
}

std::vector<std::string> CTessarThickSimulator::Jumps() const
{
    Lock lock(m_mutex);
    return m_jumps;
}

int CTessarThickSimulator::Pieces() const
{
    Lock lock(m_mutex);
    return m_pieces;
}

size_t CTessarThickSimulator::UnexpectedBytes() const
{
    Lock lock(m_mutex);
    return m_unexpected;
}
